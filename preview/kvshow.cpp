// KVShow: building and showing the preview window, and closing it again.
#include "korvelle.h"

#include "buttonbar.h"
#include "devicebridge.h"
#include "gdi/metafileapi.h"
#include "lang/kvgl.h"
#include "labeltext.h"
#include "barbutton.h"
#include "bargeometry.h"
#include "pageview/kvmetafile.h"
#include "platform/notify.h"
#include "previewkeys.h"
#include "previewwindow.h"
#include "resourcelib.h"
#include "resourcescope.h"
#include "statusindicators.h"
#include "wheelnavigation.h"
#include "windowsize.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <set>

namespace kv {
namespace {

// Previews shown without a wait (modeless) outlive the call that made them: they are kept
// here until their window has closed.
std::set<KORVELLE*>& openPreviews()
{
    static std::set<KORVELLE*> previews;
    return previews;
}

QSize screenSize()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry().size();
    return {1920, 1080};
}

} // namespace

void KORVELLE::keepUntilClosed(std::unique_ptr<KORVELLE> preview)
{
    if (preview && preview->oWnd)
        openPreviews().insert(preview.release());
}

void KORVELLE::KVShow()
{
    ResourceScope resources;
    QWidget* mainWindow = QApplication::activeWindow();
    lDone = false;
    cResFile = QString::fromLatin1(kResourceFileName);
    if (!selectResourceLibraryOrStop(cResFile)) {
        lDone = true;
        return;
    }

    const PreviewWindowSize size = previewWindowSize(QSizeF(page.horzSizeMm, page.vertSizeMm), screenSize());
    lLandscape = size.landscape;
    nxyfactor = size.xyFactor;

    if (oWnd) {
        stopBox(KV_GL("A preview window is already running.").toStdString());
        return;
    }
    const bool modal = deviceWantsModal(*oDevice) && mainWindow;
    if (modal)
        mainWindow->hide();
    else
        lDone = true;

    makeWindow(size.truncated());
    makeBar();
    makePageViews();
    makeBarSideControls();
    makeNavigationAids();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        oWnd->move(screen->availableGeometry().center() - oWnd->rect().center());
    QCoreApplication::processEvents();
    restoreResourceSource(resources.saved());

    SetFactor();
    adoptOutsideWindow();
    connectFirstSlot();
    showWindow();
    runUntilClosed(modal, mainWindow);
}

// The frame with its title, icon, menus and status bar; the preview starts on page 1, unzoomed.
void KORVELLE::makeWindow(const QSize& size)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(12);

    auto* window = new PreviewWindow(*this);
    oWnd = window;
    window->setGeometry(0, 0, size.width(), size.height());
    const QString document = deviceDocument(*oDevice);
    window->setWindowTitle(cAppName.isEmpty() ? document : cAppName + QStringLiteral(" - ") + document);
    if (!cIcon.isEmpty() && QFileInfo::exists(cIcon))
        window->setWindowIcon(QIcon(cIcon));
    window->setMenuBar(BuildMenu());

    nPage = 1;
    nCurFactor = 1;
    lZoom = false;
    window->setFont(font);
    vBar = hBar = ScrollBarModel{};

    window->setStatusBar(new QStatusBar(window));
    addKeyboardIndicators(*window->statusBar());
    installWheelNavigation(*this, window->client());
}

void KORVELLE::makeBar()
{
    oBar = new ButtonBar(oWnd->client(), lNoBorder);
    oBar->setGeometry(0, 0, oWnd->client()->width(), ButtonBar::kHeight);
    BarMenu();
    // The buttons only: their drop-down menu is a child of its button and keeps the arrow.
    for (BarButtonWidget* button : oBar->buttons())
        button->setCursor(Qt::PointingHandCursor);
}

// An outside window made a child of ours, as far as the platform lets a foreign window be
// adopted.
void KORVELLE::adoptOutsideWindow()
{
    if (hKVWnd == 0 || !lSetParent) return;
    if (QWindow* foreign = QWindow::fromWinId(WId(hKVWnd))) {
        oWnd->winId();
        foreign->setParent(oWnd->windowHandle());
    }
}

// The first slot takes the keyboard: soft zoom on keypad plus and minus, the rest navigates.
void KORVELLE::connectFirstSlot()
{
    KVMETAFILE* first = aMeta[0];
    first->bKeyDown = [this](int key, int flags) {
        switch (softZoomKeyAction(key)) {
        case KeyAction::SoftZoomIn: SoftZoom(true); break;
        case KeyAction::SoftZoomOut: SoftZoom(false); break;
        default: CheckKey(key, flags); break;
        }
    };
    first->bRClicked = [this] { SoftZoom(true); };
}

void KORVELLE::showWindow()
{
    const bool maximize = lMaximize;
    const int viewPages = restoreWindowState();
    oWnd->onStart = [this, maximize, viewPages] {
        if (oMenuNormal)
            oMenuNormal->setEnabled(false);
        if (maximize && oWnd)
            oWnd->showMaximized();
        if (viewPages > 1)
            SetPages(viewPages, true);
        if (lZoomAtStart)
            Zoom();
    };
    oWnd->showNormal();
}

// A preview started outside any event loop runs the application's; a modal one waits here
// with its caller's window hidden until it closes.
void KORVELLE::runUntilClosed(bool modal, QWidget* mainWindow)
{
    if (QThread::currentThread()->loopLevel() == 0 && !modal) {
        QApplication::exec();
        return;
    }
    while (!lDone)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (modal)
        mainWindow->show();
}

void KORVELLE::makePageViews()
{
    const QCursor magnifier = cursor(QStringLiteral("Lupa"));
    const PageViewSettings settings{*this, page};
    for (int i = 0; i < 8; ++i) {
        const QString file = i == 0 && !aFiles.isEmpty() ? aFiles.first() : QString();
        auto* view = new KVMETAFILE(0, 0, 0, 0, file, oWnd->client(), settings);
        if (i == 0) {
            view->bLDblClick = [this](int, int row) { SetOrg1(1, row); };
        } else {
            view->hide();
            view->bLDblClick = [this, i](int, int row) { SetOrg2(1, row, i + 1); };
        }
        view->setCursor(magnifier);
        installWheelNavigation(*this, view);
        aMeta[size_t(i)] = view;
    }
}

void KORVELLE::makeBarSideControls()
{
    const BarSideControls side = barSideControls(lShowSendTo);
    auto* factorLabel = new QLabel(KV_GL("Factor:"), oBar);
    factorLabel->setGeometry(side.factorLabel);
    factorLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    oFactor = new QComboBox(oBar);
    // Screen readers on Linux name a list by the label it is the buddy of.
    factorLabel->setBuddy(oFactor);
    oFactor->addItems(GetFactors());
    oFactor->move(side.zoomListPos);
    oFactor->setFixedWidth(side.zoomListWidth);
    // At its fixed width the style's padding and arrow leave too little room: "100 %" was cut.
    oFactor->setStyleSheet(QStringLiteral("QComboBox { padding: 1px 0px 1px 3px; }"));
    // A factor between the entries shows as the placeholder: in the colour of an entry.
    QPalette listColours = oFactor->palette();
    listColours.setColor(QPalette::PlaceholderText, listColours.color(QPalette::ButtonText));
    oFactor->setPalette(listColours);
    oFactor->setMaxVisibleItems(9);
    QObject::connect(oFactor, qOverload<int>(&QComboBox::activated), oFactor, [this](int index) {
        if (index < 0 || size_t(index) >= aZoomFactor.size())
            return;
        nCurFactor = aZoomFactor[size_t(index)];
        SetFactor(nCurFactor);
    });

    oPage = new QLabel(oBar);
    oPage->setGeometry(side.pageLabel);
    oPage->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    refreshPageLabel();
}

QString KORVELLE::PageLabelText() const
{
    return pageLabel(KV_GL(QStringLiteral("Page number: ")), nPage, nTotalPages);
}

// The label is as wide as its text in the font in use (the bar's 120 pixels fitted the
// original face only up to a few hundred pages), never narrower than that.
void KORVELLE::refreshPageLabel()
{
    if (!oPage)
        return;
    oPage->setText(PageLabelText());
    const QRect nominal = barSideControls(lShowSendTo).pageLabel;
    oPage->resize(std::max(nominal.width(), oPage->sizeHint().width()), oPage->height());
}

void KORVELLE::CloseHandler()
{
    if (!oWnd)
        return;
    saveWindowState();
    onPageChanged = nullptr;
    oText = nullptr;  // the window deletes them as it closes
    oFinder = nullptr;
    oThumbs = nullptr;
    oMenuThumbs = nullptr;
    oWnd->setWindowIcon(QIcon());
    for (KVMETAFILE*& view : aMeta) {
        if (view)
            view->End();
        view = nullptr;  // the window deletes them as it closes
    }
    oBar = nullptr;
    oPage = nullptr;
    oFactor = nullptr;
    aPageBtn.fill(nullptr);
    oTwoPages = oZoom = nullptr;
    // The pages go first, through the set directory; the device then has none left to delete.
    End();
    if (oDevice)
        endDevice(*oDevice);
    oWnd = nullptr;
    lDone = true;
    if (openPreviews().erase(this))
        QTimer::singleShot(0, [self = this] { delete self; });
}

} // namespace kv
