#include "pagecache.h"

#include "gdi/text/fontmap.h"

#include <QCoreApplication>

namespace kv {

PageRasterCache& PageRasterCache::shared()
{
    static PageRasterCache cache;
    return cache;
}

// Long enough for the paint that follows a page change to have run.
constexpr int kIdleDelayMs = 20;

PageRasterCache::PageRasterCache(qint64 budgetBytes) : budget_(budgetBytes)
{
    worker_.setMaxThreadCount(1);
    idle_.setSingleShot(true);
    idle_.setInterval(kIdleDelayMs);
    connect(&idle_, &QTimer::timeout, this, &PageRasterCache::startWaiting);
}

PageRasterCache::~PageRasterCache() { worker_.waitForDone(); }

const PageRasterCache::Entry* PageRasterCache::find(const QByteArray& key)
{
    const auto found = index_.constFind(key);
    if (found == index_.constEnd())
        return nullptr;
    entries_.splice(entries_.begin(), entries_, found.value());
    return &entries_.front().entry;
}

void PageRasterCache::insert(const QByteArray& key, QImage image, gdi::PicturePtr page)
{
    const qint64 size = image.sizeInBytes();
    if (image.isNull() || size > budget_)
        return;
    remove(key);
    evictBeyond(budget_ - size);
    entries_.push_front(Slot{key, Entry{std::move(image), std::move(page)}});
    index_.insert(key, entries_.begin());
    bytes_ += size;
}

void PageRasterCache::remove(const QByteArray& key)
{
    const auto found = index_.constFind(key);
    if (found == index_.constEnd())
        return;
    bytes_ -= found.value()->entry.image.sizeInBytes();
    entries_.erase(found.value());
    index_.erase(found);
}

void PageRasterCache::evictBeyond(qint64 budget)
{
    while (!entries_.empty() && bytes_ > budget) {
        bytes_ -= entries_.back().entry.image.sizeInBytes();
        index_.remove(entries_.back().key);
        entries_.pop_back();
    }
}

void PageRasterCache::clear()
{
    entries_.clear();
    index_.clear();
    bytes_ = 0;
    pending_.clear();
    waiting_.clear();
}

void PageRasterCache::renderAhead(const QByteArray& key, Render render, std::function<gdi::PicturePtr()> load)
{
    if (index_.contains(key) || pending_.contains(key))
        return;
    pending_.insert(key);
    waiting_.push_back(Job{key, std::move(render), std::move(load)});
    idle_.start();
}

void PageRasterCache::startWaiting()
{
    gdi::loadCompatibleFaces();  // before the worker resolves a font
    for (Job& job : waiting_) {
        // The cache outlives its worker (its destructor waits), and an answer posted to it
        // is dropped with it. An answer whose key was dropped meanwhile (clear()) is not kept.
        worker_.start([this, job = std::move(job)] {
            gdi::PicturePtr page = job.load();
            std::vector<Rendered> images = page ? job.render(*page) : std::vector<Rendered>();
            QMetaObject::invokeMethod(this, [this, key = job.key, images = std::move(images), page]() mutable {
                if (!pending_.remove(key) || !page)
                    return;
                ++counts_.renderedAhead;
                for (Rendered& rendered : images)
                    insert(rendered.key, std::move(rendered.image), page);
                emit renderedAhead(key);
            }, Qt::QueuedConnection);
        });
    }
    waiting_.clear();
}

void PageRasterCache::waitForRenders()
{
    idle_.stop();
    startWaiting();
    worker_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

} // namespace kv
