// kvtext: prints the text of EMF and WMF pages as the preview's find reads it: lines from
// top to bottom, each from left to right.
//
//   kvtext [--boxes] page...
//
// --boxes follows every line with the box of each of its characters, in fractions of the
// page. A file that cannot be read is reported and the next one is tried; the exit status is
// non-zero when any failed.
#include "gdi/text/fontmap.h"
#include "gdi/pagetext/pagetext.h"
#include "gdi/readers.h"

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool boxes = args.removeAll(QStringLiteral("--boxes")) > 0;
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: kvtext [--boxes] page...\n");
        return 2;
    }
    kv::gdi::loadCompatibleFaces();
    int failed = 0;
    for (const QString& file : args) {
        const kv::gdi::PicturePtr picture = kv::gdi::readMetafileFile(file, kv::gdi::DeviceCaps{1920, 1080, 508, 286});
        if (!picture) {
            std::fprintf(stderr, "kvtext: %s: not a metafile\n", qPrintable(file));
            ++failed;
            continue;
        }
        const kv::gdi::PageText text = kv::gdi::extractPageText(*picture);
        if (args.size() > 1)
            std::printf("== %s\n", qPrintable(file));
        std::printf("%s\n", text.text.toUtf8().constData());
        if (!boxes)
            continue;
        for (qsizetype i = 0; i < text.text.size(); ++i) {
            const QRectF& b = text.boxes[size_t(i)];
            std::printf("%s %.4f %.4f %.4f %.4f\n", QString(text.text[i]).toUtf8().constData(), b.x(), b.y(),
                        b.width(), b.height());
        }
    }
    return failed ? 1 : 0;
}
