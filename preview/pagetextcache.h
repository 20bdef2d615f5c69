#pragma once
// The text of each page file (gdi/pagetext.h), read once per file on worker threads and kept
// for as long as the preview runs. Asking for a file that is not read yet queues it and gives
// nothing; `textReady` tells when it is there. A file changed on disk is read again.
#include "gdi/pagetext/pagetext.h"
#include "gdi/core/types.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

namespace kv {

class PageTextCache : public QObject {
    Q_OBJECT
public:
    // `wmfReference`: the surface a Windows metafile page is converted against.
    PageTextCache(const gdi::DeviceCaps& wmfReference, QObject* parent = nullptr);
    ~PageTextCache() override;

    // The text when it is read (an unreadable file has an empty text), else null; queues it.
    gdi::PageTextPtr text(const QString& file);
    // Queues every file not yet read, in the order given.
    void request(const QStringList& files);
    // True when every one of `files` is read.
    bool hasAll(const QStringList& files) const;
    // Blocks until the queued files are read (tests, and the end of a preview).
    void waitForQueued();

    int extractions() const { return extractions_; }

signals:
    void textReady(const QString& file);

private:
    struct Entry {
        gdi::PageTextPtr text;
        QDateTime modified;
        qint64 size = -1;
    };
    bool isCurrent(const QString& file) const;
    void queue(const QString& file);
    void store(const QString& file, gdi::PageTextPtr text, QDateTime modified, qint64 size);

    gdi::DeviceCaps wmfReference_;
    QHash<QString, Entry> entries_;
    QSet<QString> pending_;
    QThreadPool pool_;
    int extractions_ = 0;
};

} // namespace kv
