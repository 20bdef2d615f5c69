#include "apptestenv.h"

#include "gdi/metafileapi.h"
#include "platform/inifile.h"
#include "preview/previewwindow.h"

#include <QApplication>
#include <QTimer>
#include <unistd.h>

namespace kvtest {

void writePageFile(const QString& path, const QString& text)
{
    const kv::HDC hdc = kv::CREATEENHMETAFILE(0, path);
    ASSERT_NE(hdc, 0u) << "cannot record " << path.toStdString();
    kv::gdi::Dc* dc = kv::dcFromHandle(hdc);
    dc->rectangle({100, 100, 900, 1200});
    const std::u16string line = text.toStdU16String();
    dc->extTextOut(150, 150, 0, nullptr, line);
    const kv::HENHMETAFILE closed = kv::CLOSEENHMETAFILE(hdc);
    ASSERT_NE(closed, 0u);
    kv::DELETEENHMETAFILE(closed);
}

void writeHandoffKeys(const QString& path, const std::vector<std::pair<QString, QString>>& keys)
{
    kv::IniFile ini(path);
    for (const auto& [key, value] : keys)
        ASSERT_TRUE(ini.writeString(QStringLiteral("General"), key, value));
}

QStringList entryNames(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

namespace {

kv::PreviewWindow* visiblePreviewWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<kv::PreviewWindow*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

} // namespace

SeenPreview runPreviewAndClose(const std::function<void()>& start, const QString& spoolDir,
                               const std::function<void(QWidget&)>& inspect)
{
    SeenPreview seen;
    // The poll only runs inside the preview's event loop: it waits for the window, not for time.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        kv::PreviewWindow* window = visiblePreviewWindow();
        if (!window)
            return;
        poll.stop();
        seen.shown = true;
        seen.title = window->windowTitle();
        seen.setFiles = entryNames(spoolDir + QStringLiteral("/korvelle"));
        if (inspect)
            inspect(*window);
        window->close();
    });
    poll.start();
    start();
    poll.stop();
    return seen;
}

void AppRoadTest::SetUp()
{
    IsolatedProgramTest::SetUp();
    if (HasFatalFailure())
        return;
    kv::setToneHandler([this](int, int) { ++tones; });
}

void AppRoadTest::TearDown()
{
    kv::setToneHandler({});
    IsolatedProgramTest::TearDown();
}

QStringList AppRoadTest::writePages(int count)
{
    QStringList pages;
    for (int i = 1; i <= count; ++i) {
        const QString path = spool.path() + QStringLiteral("/tmp%1.emf").arg(i, 4, 10, QLatin1Char('0'));
        writePageFile(path, QStringLiteral("Page %1").arg(i));
        pages << path;
    }
    return pages;
}

void AppRoadTest::writeHandoff(const QString& orientation, const QString& document)
{
    writeHandoffKeys(handoffPath(), {{QStringLiteral("Path"), spool.path()},
                                     {QStringLiteral("Document"), document},
                                     {QStringLiteral("Orientation"), orientation},
                                     {QStringLiteral("Printer"), QStringLiteral("PDF File")}});
}

std::vector<std::string> AppRoadTest::stopTexts() const
{
    std::vector<std::string> texts;
    for (const kv::Message& m : messages.messages)
        if (m.kind == kv::BoxKind::Stop)
            texts.push_back(m.text);
    return texts;
}

} // namespace kvtest
