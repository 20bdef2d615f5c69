// korvelle: the print-preview program a report application starts after writing its pages and
// the hand-off file. Without arguments it takes that hand-off; with arguments it opens, prints
// or exports metafiles named on the command line (app/commandline.h).
#include "app/commandline.h"
#include "app/commandrun.h"
#include "app/errorhandler.h"
#include "app/kvapplication.h"
#include "app/mainentry.h"
#include "app/messageboxes.h"
#include "app/rpreview.h"
#include "app/terminationrequest.h"

int main(int argc, char** argv)
{
    const bool commandLine = kv::wantsCommandLine(argc);
    if (commandLine)
        kv::chooseOffscreenWhenHeadless();
    kv::KvApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(KV_VERSION));
    kv::installErrorHandler(QCoreApplication::arguments());
    kv::installMessageBoxes();
    kv::installPreviewRoad();
    kv::closeWindowsOnTerminationRequest();
    if (commandLine)
        return kv::runCommandLine(kv::parseCommandLine(QCoreApplication::arguments()));
    kv::MAIN();
    return 0;
}
