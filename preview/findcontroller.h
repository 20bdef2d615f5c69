#pragma once
// Find in the preview: the find bar over the bottom of the window, the search over every
// page's text (read on worker threads, pagetextcache.h), the step from hit to hit, which
// brings the hit's page into view (zoomed: scrolled to the hit), and the marks the page views
// lay over the hits they show.
#include "findhits.h"
#include "pageview/pagemarks.h"

#include <QObject>
#include <QPointer>

class QShortcut;

namespace kv {

class FindBar;
class KORVELLE;
class PageTextCache;

class FindController : public QObject {
    Q_OBJECT
public:
    FindController(KORVELLE& preview, PageTextCache& texts, QWidget* barParent);

    void open();                 // Ctrl+F
    void step(bool forward);     // F3, Shift+F3
    void close();                // Escape
    // Lays the bar along the bottom of `area` (client pixels), above `bottomReserve` pixels.
    void place(const QRect& area, int bottomReserve);

    FindBar* bar() const { return bar_; }
    const std::vector<FindHit>& hits() const { return hits_; }
    int currentHit() const { return current_; }
    // The marks of the page a file holds; none while the bar is closed.
    std::vector<PageMark> marksFor(const QString& file) const;

private:
    void search();
    void searchWhenRead();
    void showHit(int index);
    void showStatus();
    void repaintPages();

    KORVELLE& preview_;
    PageTextCache& texts_;
    QPointer<FindBar> bar_;
    QShortcut* escape_ = nullptr;
    std::vector<FindHit> hits_;
    int current_ = -1;
    bool waitingForText_ = false;
};

} // namespace kv
