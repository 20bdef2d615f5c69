#include "exporttestenv.h"

#include "export/pagerecording.h"
#include "gdi/core/objects.h"

#include <QDir>
#include <QProcess>
#include <unistd.h>

namespace kvtest {

SmallDisk::SmallDisk(int kilobytes)
{
    if (geteuid() != 0) {
        reason_ = QStringLiteral("mounting a small tmpfs needs root");
        return;
    }
    QProcess mount;
    mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                          QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"),
                                          mountPoint_.path()});
    mounted_ = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
    if (!mounted_)
        reason_ = QStringLiteral("tmpfs could not be mounted: ") + QString::fromLocal8Bit(mount.readAllStandardError());
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        QProcess::execute(QStringLiteral("umount"), {mountPoint_.path()});
}

QString SmallDisk::path(const QString& name) const { return mountPoint_.filePath(name); }

QStringList allEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void ExportTest::SetUp()
{
    ASSERT_TRUE(pageDir.isValid() && outDir.isValid());
    device = std::make_unique<kv::TPrinter>(QStringLiteral("Export Test"), false, false, QStringLiteral("PDF File"));
    ASSERT_NE(device->hDC, 0u) << "the built-in PDF printer could not be made";
}

void ExportTest::TearDown() { device.reset(); }

QStringList ExportTest::makePages(int count)
{
    QStringList files;
    for (int i = 1; i <= count; ++i) {
        const QString path = pageDir.filePath(QStringLiteral("E001%1.emf").arg(i, 4, 10, QLatin1Char('0')));
        const kv::HDC hdc = kv::CREATEENHMETAFILE(device->hDC, path);
        EXPECT_NE(hdc, 0u);
        kv::gdi::Dc* dc = kv::dcFromHandle(hdc);
        if (!dc)
            return files;
        dc->selectObject(kv::gdi::makeObject(kv::gdi::Pen{kv::gdi::PS_SOLID, 8, 0x000000}));
        dc->rectangle({300, 300, 4000, 5500});
        dc->selectObject(kv::gdi::makeObject(kv::gdi::Brush{kv::gdi::BS_SOLID, kv::gdi::ColorRef(0x2040C0 + i)}));
        dc->rectangle({600, 600, 600 + 300 * i, 1200});
        kv::gdi::LogFont font;
        font.height = -120;
        font.faceName = u"Arial";
        dc->selectObject(kv::gdi::makeObject(kv::gdi::Font{font}));
        dc->extTextOut(600, 1500, 0, nullptr, u"Quarterly figures, page " + QString::number(i).toStdU16String());
        const kv::HENHMETAFILE closed = kv::CLOSEENHMETAFILE(hdc);
        EXPECT_NE(closed, 0u);
        kv::DELETEENHMETAFILE(closed);
        files << path;
    }
    return files;
}

kv::HENHMETAFILE ExportTest::recordedPage(const QString& pageFile, bool wmf)
{
    return kv::recordPageForExport(*device, pageFile, wmf);
}

QStringList ExportTest::spoolPages()
{
    const std::optional<QString> corpus = corpusDir();
    if (!corpus)
        return {};
    QStringList files;
    const QDir emf(*corpus + QStringLiteral("/emf"));
    for (const QString& name : emf.entryList({QStringLiteral("spool-*.emf")}, QDir::Files, QDir::Name))
        files << emf.filePath(name);
    return files;
}

QStringList ExportTest::shown() const
{
    QStringList out;
    for (const kv::Message& m : messages.messages)
        out << QString::fromStdString(m.title + "|" + m.text);
    return out;
}

} // namespace kvtest
