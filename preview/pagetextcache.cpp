#include "pagetextcache.h"

#include "gdi/text/fontmap.h"
#include "gdi/readers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>

namespace kv {

namespace {

gdi::PageTextPtr readPageText(const QString& file, const gdi::DeviceCaps& wmfReference)
{
    const gdi::PicturePtr picture = gdi::readMetafileFile(file, wmfReference);
    if (!picture)
        return std::make_shared<const gdi::PageText>();
    return std::make_shared<const gdi::PageText>(gdi::extractPageText(*picture));
}

} // namespace

PageTextCache::PageTextCache(const gdi::DeviceCaps& wmfReference, QObject* parent)
    : QObject(parent), wmfReference_(wmfReference)
{
    // The faces are registered on this (the user-interface) thread before any worker resolves a font.
    gdi::loadCompatibleFaces();
    // One worker: the text comes in page order, and the other core stays with the window.
    pool_.setMaxThreadCount(1);
}

PageTextCache::~PageTextCache()
{
    pool_.clear();
    pool_.waitForDone();
}

bool PageTextCache::isCurrent(const QString& file) const
{
    const auto it = entries_.constFind(file);
    if (it == entries_.constEnd())
        return false;
    const QFileInfo info(file);
    return info.lastModified() == it->modified && info.size() == it->size;
}

gdi::PageTextPtr PageTextCache::text(const QString& file)
{
    if (isCurrent(file))
        return entries_.value(file).text;
    queue(file);
    return nullptr;
}

void PageTextCache::request(const QStringList& files)
{
    for (const QString& file : files)
        if (!isCurrent(file))
            queue(file);
}

bool PageTextCache::hasAll(const QStringList& files) const
{
    for (const QString& file : files)
        if (!entries_.contains(file))
            return false;
    return true;
}

void PageTextCache::waitForQueued()
{
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

void PageTextCache::queue(const QString& file)
{
    if (pending_.contains(file))
        return;
    pending_.insert(file);
    const gdi::DeviceCaps reference = wmfReference_;
    pool_.start([this, file, reference] {
        const QFileInfo info(file);
        const QDateTime modified = info.lastModified();
        const qint64 size = info.size();
        gdi::PageTextPtr text = readPageText(file, reference);
        // The cache outlives its workers (its destructor waits for them), so the result can
        // be posted to it; it is taken on the user-interface thread.
        QMetaObject::invokeMethod(this, [this, file, text, modified, size] { store(file, text, modified, size); },
                                  Qt::QueuedConnection);
    });
}

void PageTextCache::store(const QString& file, gdi::PageTextPtr text, QDateTime modified, qint64 size)
{
    pending_.remove(file);
    entries_.insert(file, Entry{std::move(text), modified, size});
    ++extractions_;
    emit textReady(file);
}

} // namespace kv
