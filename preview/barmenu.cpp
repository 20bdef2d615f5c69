// BarMenu, PageMenu and BuildMenu: every command of the preview on the button bar and in the
// menu bar, with its bitmap, caption, tooltip and enabling condition.
#include "korvelle.h"

#include "barbutton.h"
#include "bargeometry.h"
#include "buttonbar.h"
#include "labeltext.h"
#include "lang/kvgl.h"
#include "previewwindow.h"
#include "resourcelib.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>

namespace kv {
namespace {

using Condition = std::function<bool()>;

// A menu item whose condition is evaluated each time its menu opens, and again when it is
// chosen (a false condition then runs nothing).
QAction* addItem(QMenu* menu, const QString& caption, const QString& bitmapName,
                 std::function<void()> action, Condition condition = {})
{
    QAction* item = menu->addAction(caption);
    if (!bitmapName.isEmpty())
        item->setIcon(bitmap(bitmapName));
    QObject::connect(item, &QAction::triggered, menu, [action, condition] {
        if (!condition || condition())
            action();
    });
    if (condition)
        QObject::connect(menu, &QMenu::aboutToShow, item, [item, condition] { item->setEnabled(condition()); });
    return item;
}

struct PageCountItem {
    const char* caption;
    const char* bitmapName;
    int pages;
    int minimumTotal;  // the item needs more than this many pages
};

// The bitmaps differ in letter case between the drop-down and the Page menu; names are
// matched without regard to case, so both resolve alike.
constexpr PageCountItem kPageCounts[] = {
    {"&1 Page", "ONE_PAGE", 1, 1},
    {"&2 Pages", "TWO_PAGES", 2, 1},
    {"&4 Pages", "PAGES4", 4, 3},
    {"&6 Pages", "PAGES6", 6, 5},
    {"&8 Pages", "PAGES8", 8, 7},
};

} // namespace

QMenu* KORVELLE::PageMenu()
{
    auto* menu = new QMenu;
    for (const PageCountItem& item : kPageCounts) {
        addItem(menu, withoutAmpersands(KV_GL(item.caption)), item.bitmapName,
                [this, n = item.pages] { SetPages(n); },
                [this, item] { return nTotalPages > item.minimumTotal && nViewPages != item.pages; });
    }
    return menu;
}

bool KORVELLE::BarMenu()
{
    const bool border = !lNoBorder;
    const std::vector<BarButtonSpan> spans = barButtonSpans(lShowSendTo);
    size_t next = 0;
    const auto add = [&](const QString& bitmapName, const QString& tooltip, std::function<void()> action,
                         Condition condition = {}, QMenu* dropDown = nullptr) {
        BarButtonWidget::Definition definition;
        definition.bitmap = bitmapName;
        definition.tooltip = tooltip;
        definition.action = std::move(action);
        definition.enabledWhen = std::move(condition);
        definition.border = border;
        definition.dropDown = dropDown;
        definition.groupStart = next < spans.size() && (spans[next].button == BarButton::Zoom
                                                        || spans[next].button == BarButton::SaveAs
                                                        || spans[next].button == BarButton::Exit);
        auto* button = new BarButtonWidget(oBar, std::move(definition));
        if (next < spans.size())
            button->setGeometry(spans[next].rect());
        ++next;
        button->evaluate();
        return button;
    };
    const Condition notFirst = [this] { return nPage > 1; };
    const Condition notLast = [this] { return nPage < nTotalPages; };

    aPageBtn[0] = add("Top", KV_GL("Go to first page"), [this] { ChangePage(3); }, notFirst);
    aPageBtn[1] = add("Previous", KV_GL("Go to previous page"), [this] { ChangePage(2); }, notFirst);
    aPageBtn[2] = add("Next", KV_GL("Go to next page"), [this] { ChangePage(1); }, notLast);
    aPageBtn[3] = add("Bottom", KV_GL("Go to last page"), [this] { ChangePage(4); }, notLast);
    oZoom = add("Zoom", KV_GL("Page zoom"), [this] { Zoom(); });
    oTwoPages = add("Two_Pages", KV_GL("Preview on two pages"),
                    [this] { SetPages(nViewPages == 1 ? 2 : 1); },
                    [this] { return nTotalPages > 1; }, PageMenu());
    add("MINUS", KV_GL("Reduce [-]"), [this] { SoftZoom(false); }, [] { return nCurFactor > 1; });
    add("PLUS", KV_GL("Enlarge [+]"), [this] { SoftZoom(true); });
    add("SAVE", withoutAmpersands(KV_GL("&Save as")), [this] { PrViewSave(); });
    if (lShowSendTo)
        add("EMAIL", withoutAmpersands(KV_GL("Send &to")), [this] { Email(); });
    add("PRINTER", withoutAmpersands(KV_GL("&Print")), [this] { PrintPage(); });
    add("PRINTEXIT", KV_GL("Print and exit"), [this] { PrintPage(true); });
    add("Exit", KV_GL(lNoBorder ? "Exit from preview" : "Exit"), [this] { if (oWnd) oWnd->close(); });
    return true;
}

QMenuBar* KORVELLE::BuildMenu()
{
    auto* bar = new QMenuBar;
    QMenu* file = bar->addMenu(KV_GL("&File"));
    addItem(file, KV_GL("&Save as"), "SAVE", [this] { PrViewSave(); });
    if (lShowSendTo)
        addItem(file, KV_GL("Send &to"), "EMAIL", [this] { Email(); });
    addItem(file, KV_GL("&Print"), "PRINTER", [this] { PrintPage(); });
    file->addSeparator();
    addItem(file, KV_GL("&Exit"), "Exit", [this] { if (oWnd) oWnd->close(); });

    QMenu* pages = bar->addMenu(KV_GL("&Page"));
    const Condition notFirst = [this] { return nPage > 1; };
    const Condition notLast = [this] { return nPage < nTotalPages; };
    const auto navigate = [this](int code) { return [this, code] { ChangePage(code); AEvalWhen(); }; };
    addItem(pages, KV_GL("&First"), "Top", navigate(3), notFirst);
    addItem(pages, KV_GL("&Previous"), "Previous", navigate(2), notFirst);
    addItem(pages, KV_GL("&Next"), "Next", navigate(1), notLast);
    addItem(pages, KV_GL("&Last"), "Bottom", navigate(4), notLast);
    pages->addSeparator();
    oMenuZoom = addItem(pages, KV_GL("&Zoom"), "Zoom", [this] { Zoom(true); });
    oMenuNormal = addItem(pages, KV_GL("Nor&mal"), "UnZoom", [this] { Zoom(true); });
    QMenu* factors = pages->addMenu(KV_GL("Zoom &Factor"));
    for (size_t i = 0; i < aFactor.size() && i < aZoomFactor.size(); ++i) {
        QAction* item = factors->addAction(factorMenuCaption(aZoomFactor[i], KV_GL("%")));
        item->setCheckable(true);
        QObject::connect(item, &QAction::triggered, factors, [this, i] {
            if (oFactor)
                oFactor->setCurrentIndex(int(i));
            nCurFactor = aZoomFactor[i];
            SetFactor(nCurFactor);
        });
        aFactor[i] = item;
    }
    pages->addSeparator();
    for (size_t i = 0; i < std::size(kPageCounts); ++i) {
        const PageCountItem& item = kPageCounts[i];
        aMenuPage[i] = addItem(pages, KV_GL(item.caption), item.bitmapName,
                               [this, n = item.pages] { SetPages(n, true); },
                               [this, item] { return nTotalPages > item.minimumTotal && nViewPages != item.pages; });
    }
    pages->addSeparator();
    addItem(pages, KV_GL("&Find"), {}, [this] { Find(); })->setShortcut(QKeySequence::Find);

    QMenu* view = bar->addMenu(KV_GL("&View"));
    oMenuThumbs = view->addAction(KV_GL("&Thumbnails"));
    oMenuThumbs->setCheckable(true);
    oMenuThumbs->setShortcut(QKeySequence(Qt::Key_F4));
    QObject::connect(oMenuThumbs, &QAction::toggled, view, [this](bool on) { ShowThumbnails(on); });
    return bar;
}

} // namespace kv
