#pragma once
// The page raster cache of the preview: rendered page views kept by what decides their pixels
// (the page file as it was set, the control's size in device pixels, zoom, origin, printer
// and colours), so that a page that moves to another slot, a window exposed again or a page
// rendered ahead in idle time is drawn with one copy instead of being played again.
//
// Bounded by memory, least recently used first out. Every call comes on the user-interface
// thread; pages rendered ahead are played on one worker thread of the cache's own (the other
// core stays with the window) and join the cache back on the user-interface thread.
#include "gdi/core/records.h"
#include "pagesheet.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QTimer>
#include <functional>
#include <list>
#include <vector>

namespace kv {

class PageRasterCache : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kDefaultBudget = qint64(256) << 20;

    // The one cache the page views share.
    static PageRasterCache& shared();

    explicit PageRasterCache(qint64 budgetBytes = kDefaultBudget);
    ~PageRasterCache() override;

    struct Entry {
        QImage image;
        gdi::PicturePtr page;  // the parsed page, so that a view shown from the cache still owns it
    };
    // The entry of `key`, now the most recently used; null when there is none.
    const Entry* find(const QByteArray& key);
    // Keeps `image` for `key`, dropping the least recently used entries beyond the budget;
    // an image larger than the whole budget is not kept.
    void insert(const QByteArray& key, QImage image, gdi::PicturePtr page);
    // Forgets the image of `key`, if it is kept.
    void remove(const QByteArray& key);
    // Forgets every image (a view changed size or zoom); pages being rendered ahead are dropped
    // when they come back.
    void clear();

    // An image rendered ahead and the key it is kept by.
    struct Rendered {
        QByteArray key;
        QImage image;
    };
    using Render = std::function<std::vector<Rendered>(const gdi::Picture& page)>;

    // Reads the page with `load` and makes the images `render` makes of it, both on the worker
    // thread, unless `key` is cached or on its way; each image is kept by its own key, and
    // `key` stands for the whole of them while they are on their way. A page that cannot be
    // read is left out. The work starts once the window has had time to paint what it was
    // asked to, so that it does not take the processor from that paint.
    void renderAhead(const QByteArray& key, Render render, std::function<gdi::PicturePtr()> load);
    bool contains(const QByteArray& key) const { return index_.contains(key); }
    bool isPending(const QByteArray& key) const { return pending_.contains(key); }
    // Starts what is waiting and waits until no page is being rendered ahead.
    void waitForRenders();

    qint64 bytes() const { return bytes_; }
    int count() const { return int(entries_.size()); }

    // How pages were drawn, for tests and benchmarks.
    struct Counts {
        int rendered = 0;        // played on the user-interface thread, while painting
        int renderedAhead = 0;   // played on the worker thread
        int reused = 0;          // drawn from the cache
        int tilesRendered = 0;   // tiles of zoomed pages played while painting
        int tilesReused = 0;     // tiles of zoomed pages drawn from the cache
    };
    Counts& counts() { return counts_; }

signals:
    // A page rendered ahead joined the cache.
    void renderedAhead(const QByteArray& key);

private:
    struct Slot {
        QByteArray key;
        Entry entry;
    };
    void evictBeyond(qint64 budget);
    void startWaiting();

    struct Job {
        QByteArray key;
        Render render;
        std::function<gdi::PicturePtr()> load;
    };

    qint64 budget_;
    qint64 bytes_ = 0;
    std::list<Slot> entries_;  // most recently used first
    QHash<QByteArray, std::list<Slot>::iterator> index_;
    QSet<QByteArray> pending_;   // waiting or on the worker
    std::vector<Job> waiting_;   // not started yet
    QTimer idle_;
    QThreadPool worker_;
    Counts counts_;
};

} // namespace kv
