// korvelle: the print-preview program a report application starts after writing its pages and
// the hand-off file. It takes no command-line arguments.
#include "app/errorhandler.h"
#include "app/kvapplication.h"
#include "app/mainentry.h"
#include "app/messageboxes.h"
#include "app/rpreview.h"
#include "app/terminationrequest.h"

int main(int argc, char** argv)
{
    kv::KvApplication app(argc, argv);
    kv::installErrorHandler(QCoreApplication::arguments());
    kv::installMessageBoxes();
    kv::installPreviewRoad();
    kv::closeWindowsOnTerminationRequest();
    kv::MAIN();
    return 0;
}
