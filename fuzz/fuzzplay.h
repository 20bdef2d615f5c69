#pragma once
// What the metafile fuzz targets share: a Qt application for fonts (made once, offscreen),
// and playing a parsed picture onto a small image and into both recorders, whose output must
// read back.
#include "gdi/emf/emfrecorder.h"
#include "gdi/paint/painterdevice.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/wmf/wmfrecorder.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>

namespace kvfuzz {

inline void ensureApplication()
{
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// A small reference surface keeps the recorders' images small.
inline kv::gdi::DeviceCaps smallCaps()
{
    kv::gdi::DeviceCaps caps;
    caps.horzRes = caps.vertRes = 64;
    caps.horzSizeMm = caps.vertSizeMm = 17;
    return caps;
}

inline void playEverywhere(const kv::gdi::Picture& picture)
{
    using namespace kv::gdi;
    kv::gdi::PlayOptions options;
    options.maxRecords = 20000;
    const RectL rect{0, 0, 64, 64};
    {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterDevice device(painter, smallCaps());
        Dc dc(device);
        playPicture(dc, picture, rect, options);
    }
    {
        EmfRecorder recorder(smallCaps());
        {
            Dc dc(recorder);
            playPicture(dc, picture, rect, options);
        }
        if (!readEmf(recorder.finish()))
            std::abort();  // what the recorder writes must read back
    }
    {
        WmfRecorder recorder(smallCaps());
        {
            Dc dc(recorder);
            playPicture(dc, picture, rect, options);
        }
        if (!readWmf(recorder.finish(), smallCaps()))
            std::abort();
    }
}

} // namespace kvfuzz
