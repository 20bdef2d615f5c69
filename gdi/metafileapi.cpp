// The metafile primitives over the engine: handle tables for pictures, Windows metafiles and
// device contexts, and the recording contexts CREATEENHMETAFILE makes.
#include "gdi/metafileapi.h"

#include "gdi/emf/emfrecorder.h"
#include "gdi/core/handletable.h"
#include "gdi/player.h"
#include "gdi/readers.h"
#include "gdi/wmf/wmfpicture.h"
#include "gdi/wmf/wmfrecorder.h"
#include "platform/savefile.h"

#include <QFile>
#include <QSaveFile>
#include <cmath>
#include <limits>

namespace kv {

namespace {

struct EnhMetafile {
    gdi::PicturePtr picture;
    std::vector<uint8_t> bytes;  // the file as read or recorded; empty for converted pictures
};

struct WinMetafile {
    std::vector<uint8_t> bytes;
    gdi::PicturePtr unscaled;  // parsed on first play
};

struct Recording {
    std::unique_ptr<gdi::EmfRecorder> recorder;
    std::unique_ptr<gdi::Dc> dc;
    std::optional<QString> file;
};

gdi::HandleTable<EnhMetafile>& enhMetafiles() { static gdi::HandleTable<EnhMetafile> t; return t; }
gdi::HandleTable<WinMetafile>& winMetafiles() { static gdi::HandleTable<WinMetafile> t; return t; }
gdi::HandleTable<gdi::Dc*>& dcs() { static gdi::HandleTable<gdi::Dc*> t; return t; }
std::map<HDC, Recording>& recordings() { static std::map<HDC, Recording> m; return m; }

// Page files are a few megabytes; anything beyond this is not a metafile we should hold.
constexpr qint64 kMaxFileBytes = qint64(1) << 30;

std::optional<std::vector<uint8_t>> readFileBytes(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileBytes)
        return std::nullopt;
    const QByteArray data = f.readAll();
    return std::vector<uint8_t>(data.begin(), data.end());
}

// Written whole under a temporary name, then renamed: a failed write leaves no half file.
bool writeFileBytes(const QString& file, const std::vector<uint8_t>& bytes)
{
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return commitWhole(f);
}

int32_t truncated(double v)
{
    if (!std::isfinite(v))
        return 0;
    const double t = std::trunc(v);
    return int32_t(std::clamp<double>(t, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The reference surface a picture was recorded for, as its header tells.
gdi::DeviceCaps referenceOf(const gdi::EmfHeader& h)
{
    gdi::DeviceCaps caps;
    caps.horzRes = h.device.cx;
    caps.vertRes = h.device.cy;
    caps.horzSizeMm = h.millimeters.cx;
    caps.vertSizeMm = h.millimeters.cy;
    if (h.millimeters.cx > 0)
        caps.logPixelsX = int32_t(std::lround(h.device.cx * 25.4 / h.millimeters.cx));
    if (h.millimeters.cy > 0)
        caps.logPixelsY = int32_t(std::lround(h.device.cy * 25.4 / h.millimeters.cy));
    return caps;
}

// The picture's frame in the reference's pixels: where a re-recording plays it.
gdi::RectL frameInPixels(const gdi::EmfHeader& h)
{
    auto px = [](int32_t v, int32_t res, int32_t mm) {
        return mm > 0 ? int32_t(std::lround(double(v) * res / (mm * 100.0))) : v;
    };
    return gdi::RectL{px(h.frame.left, h.device.cx, h.millimeters.cx), px(h.frame.top, h.device.cy, h.millimeters.cy),
                      px(h.frame.right, h.device.cx, h.millimeters.cx),
                      px(h.frame.bottom, h.device.cy, h.millimeters.cy)};
}

// Plays a picture onto a recorder of the picture's own reference and frame.
template <class Recorder> std::vector<uint8_t> rerecord(const gdi::Picture& picture, Recorder& recorder)
{
    gdi::Dc dc(recorder);
    gdi::playPicture(dc, picture, frameInPixels(picture.header));
    return recorder.finish();
}

} // namespace

// --- device contexts ---------------------------------------------------------------------

HDC registerDc(gdi::Dc* dc) { return dc ? dcs().add(dc) : 0; }
void unregisterDc(HDC hdc) { dcs().remove(hdc); }

gdi::Dc* dcFromHandle(HDC hdc)
{
    gdi::Dc** dc = dcs().find(hdc);
    return dc ? *dc : nullptr;
}

gdi::DeviceCaps capsOf(HDC hdc)
{
    const gdi::Dc* dc = dcFromHandle(hdc);
    return dc ? dc->caps() : displayCaps();
}

// --- enhanced metafiles --------------------------------------------------------------------

HENHMETAFILE GETENHMETAFILE(const QString& file)
{
    std::optional<std::vector<uint8_t>> bytes = readFileBytes(file);
    if (!bytes)
        return 0;
    gdi::PicturePtr picture = gdi::readEmf(*bytes);
    return picture ? enhMetafiles().add(EnhMetafile{std::move(picture), std::move(*bytes)}) : 0;
}

std::array<int32_t, 4> ENHMETASIZE(HENHMETAFILE hemf, int kind)
{
    const EnhMetafile* emf = enhMetafiles().find(hemf);
    if (!emf)
        return {0, 0, 0, 0};
    const gdi::RectL& r = kind == 1 ? emf->picture->header.bounds : emf->picture->header.frame;
    return {r.left, r.top, r.right, r.bottom};
}

gdi::PicturePtr readEnhMetaFilePicture(const QString& file)
{
    const std::optional<std::vector<uint8_t>> bytes = readFileBytes(file);
    return bytes ? gdi::readEmf(*bytes) : nullptr;
}

bool PLAYENHMETAFILE(HDC hdc, HENHMETAFILE hemf, const std::array<double, 4>& rect)
{
    gdi::Dc* dc = dcFromHandle(hdc);
    const EnhMetafile* emf = enhMetafiles().find(hemf);
    if (!dc || !emf)
        return false;
    const gdi::RectL r{truncated(rect[0]), truncated(rect[1]), truncated(rect[2]), truncated(rect[3])};
    return gdi::playPicture(*dc, *emf->picture, r);
}

int DELETEENHMETAFILE(HENHMETAFILE hemf) { return enhMetafiles().remove(hemf) ? 1 : 0; }

HDC CREATEENHMETAFILE(HDC reference, const std::optional<QString>& file, int, const QString& description)
{
    if (file) {
        // GDI creates the file at once: a name that cannot be written fails here, not at close.
        QFile probe(*file);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
    }
    Recording recording;
    recording.recorder = std::make_unique<gdi::EmfRecorder>(capsOf(reference), std::nullopt,
                                                            description.toStdU16String());
    recording.dc = std::make_unique<gdi::Dc>(*recording.recorder);
    recording.file = file;
    const HDC hdc = registerDc(recording.dc.get());
    recordings().emplace(hdc, std::move(recording));
    return hdc;
}

HENHMETAFILE CLOSEENHMETAFILE(HDC hdc)
{
    auto it = recordings().find(hdc);
    if (it == recordings().end())
        return 0;
    Recording recording = std::move(it->second);
    recordings().erase(it);
    unregisterDc(hdc);
    std::vector<uint8_t> bytes = recording.recorder->finish();
    if (recording.file && !writeFileBytes(*recording.file, bytes)) {
        QFile::remove(*recording.file);  // no empty page file left to look like a page
        return 0;
    }
    // What we wrote is what we read: the handle holds the bytes parsed back.
    gdi::PicturePtr picture = gdi::readEmf(bytes);
    return picture ? enhMetafiles().add(EnhMetafile{std::move(picture), std::move(bytes)}) : 0;
}

HENHMETAFILE WMF2EMF(HDC reference, HMETAFILE hmf)
{
    const WinMetafile* wmf = winMetafiles().find(hmf);
    if (!wmf)
        return 0;
    gdi::PicturePtr picture = gdi::readWmf(wmf->bytes, capsOf(reference));
    return picture ? enhMetafiles().add(EnhMetafile{std::move(picture), {}}) : 0;
}

gdi::PicturePtr pictureOf(HENHMETAFILE hemf)
{
    const EnhMetafile* emf = enhMetafiles().find(hemf);
    return emf ? emf->picture : nullptr;
}

HENHMETAFILE adoptPicture(gdi::PicturePtr picture)
{
    return picture ? enhMetafiles().add(EnhMetafile{std::move(picture), {}}) : 0;
}

// --- Windows metafiles ---------------------------------------------------------------------

HMETAFILE GETMETAFILE(const QString& file)
{
    std::optional<std::vector<uint8_t>> bytes = readFileBytes(file);
    if (!bytes || !gdi::readWmfUnscaled(*bytes))
        return 0;
    return winMetafiles().add(WinMetafile{std::move(*bytes), nullptr});
}

HMETAFILE GETPMETAFILE(const QString& file) { return GETMETAFILE(file); }

int DELETEMETAFILE(HMETAFILE hmf) { return winMetafiles().remove(hmf) ? 1 : 0; }

bool PLAYMETAFILE(HDC hdc, HMETAFILE hmf)
{
    gdi::Dc* dc = dcFromHandle(hdc);
    WinMetafile* wmf = winMetafiles().find(hmf);
    if (!dc || !wmf)
        return false;
    if (!wmf->unscaled)
        wmf->unscaled = gdi::readWmfUnscaled(wmf->bytes);
    return wmf->unscaled
        && gdi::playPicture(*dc, *wmf->unscaled, gdi::RectL{0, 0, gdi::kWmfUnitRect, gdi::kWmfUnitRect},
                            gdi::PlayOptions{.rectIsFrame = false});
}

// --- writing files -------------------------------------------------------------------------

std::vector<uint8_t> enhMetaFileBytes(HENHMETAFILE hemf)
{
    const EnhMetafile* emf = enhMetafiles().find(hemf);
    if (!emf)
        return {};
    if (!emf->bytes.empty())
        return emf->bytes;
    const gdi::EmfHeader& h = emf->picture->header;
    gdi::EmfRecorder recorder(referenceOf(h), h.frame, h.description);
    return rerecord(*emf->picture, recorder);
}

std::vector<uint8_t> winMetaFileBytes(HENHMETAFILE hemf, bool placeable)
{
    const EnhMetafile* emf = enhMetafiles().find(hemf);
    if (!emf)
        return {};
    const gdi::EmfHeader& h = emf->picture->header;
    gdi::WmfRecorder recorder(referenceOf(h), placeable ? std::optional(frameInPixels(h)) : std::nullopt);
    return rerecord(*emf->picture, recorder);
}

bool writeEnhMetaFile(HENHMETAFILE hemf, const QString& file)
{
    const std::vector<uint8_t> bytes = enhMetaFileBytes(hemf);
    return !bytes.empty() && writeFileBytes(file, bytes);
}

bool writeWinMetaFile(HENHMETAFILE hemf, const QString& file)
{
    const std::vector<uint8_t> bytes = winMetaFileBytes(hemf);
    return !bytes.empty() && writeFileBytes(file, bytes);
}

} // namespace kv
