#pragma once
// KORVELLE: one preview, from the hand-over of the printer device and its page list to the
// closing of the window. It owns the window, its bar and menus, the eight page views and the
// moved page files; the printer device is handed in and ended when the window closes.
//
// The methods are spread over several files by subject: korvelle.cpp (New, End, settings),
// kvshow.cpp (the window), pagelayout.cpp (PaintMeta, SetPages, ShowPages, ChangePage),
// barmenu.cpp (BarMenu, PageMenu, BuildMenu), zoom.cpp (Zoom, SoftZoom, SetFactor, scrolling,
// keys), and the print and save commands.
#include "gdi/core/types.h"
#include "pageview/pageviewsettings.h"
#include "preview/scrollbarmodel.h"

#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QMenu;
class QMenuBar;
class QWidget;

namespace kv {

class TPrinter;
class KVMETAFILE;
class SetDirectory;
class SaveProgress;
class PreviewWindow;
class ButtonBar;
class BarButtonWidget;
class FindController;
class PageTextCache;
class ThumbnailPanel;

// The paper's look (border, shadow, background, page format) is the preview's own settings;
// each page view is handed them whole.
class KORVELLE : public PageViewLook {
public:
    // Builds the preview for a device whose aMeta holds the page list and shows it (KVShow).
    // Nothing when the hand-off file is missing (after the alert). `show` false stops before
    // KVShow, for callers (tests) that drive the steps themselves.
    static std::unique_ptr<KORVELLE> New(TPrinter* oDevice, bool show = true);
    // A preview whose window is still open after New returned (modeless use) is kept alive
    // until the window closes; a closed one is destroyed at once.
    static void keepUntilClosed(std::unique_ptr<KORVELLE> preview);
    ~KORVELLE();

    void KVShow();
    void End();

    // Bar and menus.
    bool BarMenu();
    QMenu* PageMenu();
    QMenuBar* BuildMenu();
    // Page layout.
    void PaintMeta();
    void ChangePage(int nCode);
    // Shows page nNewPage (kept within 1..nTotalPages) first, as the page buttons do.
    void GoToPage(int nNewPage);
    void ShowPages();
    void SetPages(int nPages, bool lRefresh = false);
    // Zoom, scrolling and keys.
    void Zoom(bool lRefresh = false);
    void SoftZoom(bool lUp);
    void SetFactor(std::optional<double> nFactor = std::nullopt);
    QStringList GetFactors() const;
    void VScroll(int nDir, bool lPage = false, std::optional<int> nPos = std::nullopt);
    void HScroll(int nDir, bool lPage = false, std::optional<int> nPos = std::nullopt);
    void SetOrg1(int nCol, int nRow);
    void SetOrg2(int nCol, int nRow, int nSlot = 2);
    void CheckKey(int nKey, int nFlags);
    // Zoomed: scrolls so that a point of the current page (fractions of its picture) is in
    // the middle of the view, as far as the page allows.
    void ScrollToPagePoint(const QPointF& fraction);
    // Find, go to page and the thumbnails (navigationaids.cpp).
    void Find();
    void FindNext(bool forward);
    void AskPageNumber();
    void ShowThumbnails(bool show);
    bool ThumbnailsShown() const;
    // Commands.
    void PrintPage(bool lExit = false);
    // Prints a choice of pages (1 all, 2 the current one, 3 nFrom to nTo), nCopies times,
    // each copy its own job; closes oDlg (when given) at the end. Says in the message bar
    // where the jobs went, in a stop box why one failed. False when a job failed, the user
    // cancelled or there is no printer.
    bool PrintPrv(QDialog* oDlg, int nChoice, int nFrom, int nTo, int nCopies);
    void PrViewSave();
    // Writes `pages` one output file each (export/imagesave.h), zipped when lZip. True when
    // every page was processed, nothing when an existing file stopped it, false when
    // `progress` cancelled it. The window does not close while it runs.
    std::optional<bool> Img_Save(const QStringList& pages, const QString& cOutput, const QString& cFormat,
                                 bool lOverwrite, int nOption, bool lZip, SaveProgress* progress = nullptr);
    // The archive of a save's output files beside them (export/ziparchive.h); lOverwrite
    // plays no part.
    void Img_Zip(const QStringList& files, const QString& cOutput, bool lOverwrite = false);
    void Email();
    gdi::ColorRef GetColor(const QString& cText, gdi::ColorRef nDefault = 0) const;

    // The close handler of the window: ends the page views and the device, deletes the
    // page files; the window then closes.
    void CloseHandler();
    // The text of the page-number label, as the label shows it now.
    QString PageLabelText() const;
    // Re-evaluates the enabling conditions of the bar's buttons.
    void AEvalWhen();

    // --- members ---------------------------------------------------------------------------
    QString cIni;
    TPrinter* oDevice = nullptr;
    QStringList aFiles;
    // Where aFiles were moved; they are deleted through it (previewset.h).
    std::shared_ptr<const SetDirectory> oSetDir;
    std::array<BarButtonWidget*, 4> aPageBtn{};
    int nTotalPages = 0;
    std::array<KVMETAFILE*, 8> aMeta{};
    QPointer<PreviewWindow> oWnd;
    ButtonBar* oBar = nullptr;
    QLabel* oPage = nullptr;
    BarButtonWidget* oTwoPages = nullptr;
    BarButtonWidget* oZoom = nullptr;
    QAction* oMenuZoom = nullptr;
    std::array<QAction*, 5> aMenuPage{};
    QComboBox* oFactor = nullptr;
    QString cResFile;
    std::array<QAction*, 9> aFactor{};
    int nPage = 1;
    bool lLandscape = false;
    bool lZoom = false;
    double nxyfactor = 1.5;
    int nViewPages = 1;
    bool lNoBorder = false;
    bool lMaximize = true;
    bool lMultiPrev = false;
    QString cAppName;
    std::vector<double> aZoomFactor{1.0};
    double nSoftZoom = 0.05;
    QString cIcon;
    bool lShowSendTo = true;
    bool lZoomAtStart = false;
    int nOldSelect = 0;
    bool lCloseLangDBF = true;
    int nPageBorStyle = 2;
    bool lSetParent = false;
    qulonglong hKVWnd = 0;
    QString cPath;                       // spool directory from the hand-off file

    // The printable page the layout and the page views work with: the printer's, or the
    // first page file's when no printer device context could be made.
    // The printer the pages are laid out for, and its printable size in millimetres.
    struct PageGeometry : PageViewPrinter {
        double horzSizeMm = 0, vertSizeMm = 0;
    };
    PageGeometry page;

    ScrollBarModel vBar, hBar;           // the window's scroll bars
    PageTextCache* oText = nullptr;      // the pages' text, for find and screen readers
    FindController* oFinder = nullptr;
    ThumbnailPanel* oThumbs = nullptr;
    QAction* oMenuThumbs = nullptr;
    std::function<void()> onPageChanged; // after every change of the current page
    bool lDone = true;                   // the local wait loop of a modal preview runs while false

private:
    KORVELLE() = default;
    void readSettings();
    void readPageGeometry();
    bool takeHandoff();
    void makeWindow(const QSize& size);
    void makeBar();
    void makePageViews();
    void makeBarSideControls();
    void makeNavigationAids();
    void placeNavigationAids(int thumbnailWidth);
    void describePagesForScreenReaders();
    int restoreWindowState();  // the page count to show once the window is up
    void saveWindowState() const;
    void adoptOutsideWindow();
    void connectFirstSlot();
    void showWindow();
    void runUntilClosed(bool modal, QWidget* mainWindow);
    void applyScrollRanges();
    void refreshPageLabel();
    void showFactorInList(int index);
    std::vector<int> pagesToPrint(int nChoice, int nFrom, int nTo) const;
};

// Module-wide values shared by all previews of the process.
extern double nCurFactor;
extern QPointer<QAction> oMenuNormal;

} // namespace kv
