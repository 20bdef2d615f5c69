#pragma once
// Moving a report's page files into a private preview set: Path/korvelle/E<set><page>.<ext>.
// Several previews may share one spool directory; each takes a set number no other set in
// the directory has, so a later preview never meets an earlier one's files.
//
// The set directory is opened once, without following a link, and must be a directory of the
// effective user that nobody else can write; every listing, move and deletion is made through
// that descriptor, so nothing outside it is ever moved or deleted, whatever is planted there.
#include "platform/directoryhandle.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <set>

namespace kv {

inline constexpr int kMostPreviewSets = 999;

// The number for a new set given those in use: one more than the highest, or when that is
// taken the lowest free one below; 0 when all are in use.
int freeSetNumber(const std::set<int>& used);

// "E" + 3-digit set + 4-digit page + ".emf" or ".wmf" (by the old name's extension).
QString previewSetFileName(int set, int page, const QString& oldFile);

// The open set directory of one preview; its pages are deleted through it when it closes.
class SetDirectory {
public:
    SetDirectory(QString path, DirectoryHandle handle) : path_(std::move(path)), handle_(std::move(handle)) {}
    const QString& path() const { return path_; }
    const DirectoryHandle& handle() const { return handle_; }
    // Deletes the page `file` (a path in this directory) if it is a plain file of ours.
    void removePage(const QString& file) const;

private:
    QString path_;
    DirectoryHandle handle_;
};

struct MovedPages {
    QStringList files;         // the new names, page order, whether or not each move worked
    QStringList failedMoves;   // old paths that could not be renamed
    QString refusal;           // non-empty: nothing was moved, this says why
    std::shared_ptr<const SetDirectory> directory;  // set unless refused
};

// Moves `pages` into spoolPath + "/korvelle" (made with mode 0700 when missing). A page that
// is not a plain file of the effective user is not moved. A "korvelle" that is a link, not a
// directory, another user's or writable by others is refused with a message naming it; so are
// set numbers above 999 and page counts above 9999, which do not fit the names.
MovedPages movePagesIntoSet(const QString& spoolPath, const QStringList& pages);

} // namespace kv
