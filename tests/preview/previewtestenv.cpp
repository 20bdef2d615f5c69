#include "previewtestenv.h"

#include "gdi/metafileapi.h"
#include "pageview/kvmetafile.h"
#include "platform/dirs.h"
#include "platform/inifile.h"
#include "preview/barbutton.h"
#include "preview/buttonbar.h"
#include "preview/previewwindow.h"

#include <QAction>
#include <QDialog>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace kvtest {
namespace {

void writePageFile(const QString& path, int number)
{
    const kv::HDC hdc = kv::CREATEENHMETAFILE(0, path);
    ASSERT_NE(hdc, 0u) << "cannot record " << path.toStdString();
    kv::gdi::Dc* dc = kv::dcFromHandle(hdc);
    dc->rectangle({100, 100, 900, 1200});
    dc->rectangle({200, 200, 200 + 50 * number, 300});
    const kv::HENHMETAFILE closed = kv::CLOSEENHMETAFILE(hdc);
    ASSERT_NE(closed, 0u);
    kv::DELETEENHMETAFILE(closed);
}

void writeText(const QString& path, const QStringList& lines)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
}


} // namespace

void PreviewTest::SetUp()
{
    IsolatedProgramTest::SetUp();
    if (HasFatalFailure())
        return;
    kv::setToneHandler([this](int hertz, int ms) { tones.emplace_back(hertz, ms); });
}

void PreviewTest::TearDown()
{
    closePreview();
    QCoreApplication::processEvents();
    kv::setToneHandler({});
    IsolatedProgramTest::TearDown();
}

QString PreviewTest::spoolPage(int number) const
{
    return spool.filePath(QStringLiteral("tmp%1.emf").arg(number, 4, 10, QLatin1Char('0')));
}

void PreviewTest::open(int pages, const IniLines& ini)
{
    for (int i = 1; i <= pages; ++i) {
        writePageFile(spoolPage(i), i);
        pageFiles << spoolPage(i);
    }
    openWritten(ini, false);
}

void PreviewTest::openFiles(const QStringList& sources, bool landscape, const IniLines& ini)
{
    for (int i = 1; i <= sources.size(); ++i) {
        ASSERT_TRUE(QFile::copy(sources[i - 1], spoolPage(i))) << sources[i - 1].toStdString();
        QFile::setPermissions(spoolPage(i), QFile::ReadOwner | QFile::WriteOwner);
        pageFiles << spoolPage(i);
    }
    openWritten(ini, landscape);
}

void PreviewTest::closePreview()
{
    if (preview && preview->oWnd)
        preview->oWnd->close();
    QCoreApplication::processEvents();
    preview.reset();
    device.reset();
    pageFiles.clear();
}

void PreviewTest::whileModal(const std::function<void()>& start, const std::function<void(QDialog&)>& drive)
{
    bool driven = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        driven = true;
        drive(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog is still open";
            dialog->reject();
        }
    });
    poll.start();
    start();
    EXPECT_TRUE(driven) << "no modal dialog opened";
}

void PreviewTest::openWritten(const IniLines& ini, bool landscape)
{
    IniLines settings{QStringLiteral("[General]")};
    if (ini.filter(QRegularExpression(QStringLiteral("^Maximize="), QRegularExpression::CaseInsensitiveOption)).isEmpty())
        settings << QStringLiteral("Maximize=0");
    settings << ini;
    writeText(cwd.filePath(QStringLiteral("KORVELLE.INI")), settings);
    writeText(kv::handoffFilePath(), {QStringLiteral("[General]"), QStringLiteral("Path=") + spool.path()});

    device = std::make_unique<kv::TPrinter>(QStringLiteral("Quarterly Report"), false, false,
                                            QStringLiteral("PDF File"));
    ASSERT_NE(device->hDC, 0u) << "the built-in PDF printer could not be made";
    if (landscape)
        device->SetLandscape();
    else
        device->SetPortrait();
    device->aMeta = pageFiles;
    preview = kv::KORVELLE::New(device.get(), false);
    ASSERT_TRUE(preview);

    // Shown from inside a running loop, the preview joins it instead of running its own.
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        preview->KVShow();
        loop.quit();
    });
    loop.exec();
    ASSERT_TRUE(preview->oWnd) << "no preview window";
    QCoreApplication::processEvents();  // the window's start handler
    if (sizeFrameAfterOpening)
        resizeFrame(1024, 768);
}

void PreviewTest::resizeFrame(int width, int height)
{
    // The platform may draw a frame around the window: size the inside so the frame fits.
    const QSize frameExtra = window().frameGeometry().size() - window().geometry().size();
    window().resize(width - frameExtra.width(), height - frameExtra.height());
    window().move(0, 0);  // moves the frame's corner
    QCoreApplication::processEvents();
    ASSERT_EQ(window().frameGeometry(), QRect(0, 0, width, height));
    preview->PaintMeta();
}

kv::PreviewWindow& PreviewTest::window() const
{
    return *preview->oWnd;
}

kv::BarButtonWidget* PreviewTest::button(int index) const
{
    return preview->oBar->buttons().at(size_t(index));
}

int PreviewTest::buttonCount() const
{
    return int(preview->oBar->buttons().size());
}

void PreviewTest::click(kv::BarButtonWidget* target, int x)
{
    const QPoint at(x < 0 ? target->width() / 2 : x, target->height() / 2);
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
}

QMenu* PreviewTest::openedPageMenu() const
{
    QMenu* menu = window().menuBar()->actions().at(1)->menu();
    emit menu->aboutToShow();
    return menu;
}

QAction* PreviewTest::pageMenuItem(const QString& caption) const
{
    for (QAction* item : openedPageMenu()->actions())
        if (item->text() == caption)
            return item;
    ADD_FAILURE() << "no Page menu item " << caption.toStdString();
    return nullptr;
}

QRect PreviewTest::slot(int n) const
{
    return preview->aMeta[size_t(n - 1)]->geometry();
}

bool PreviewTest::slotVisible(int n) const
{
    return preview->aMeta[size_t(n - 1)]->isVisible();
}

QString PreviewTest::slotFile(int n) const
{
    return preview->aMeta[size_t(n - 1)]->cCaption;
}

} // namespace kvtest
