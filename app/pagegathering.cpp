#include "app/pagegathering.h"

#include "lang/kvgl.h"
#include "platform/directoryhandle.h"
#include "platform/filepattern.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kv {

namespace {

QString quoted(const QString& text) { return u'"' + text + u'"'; }

// Root passes every permission check, so a directory its owner made read-only (0555) would
// still give up its files. Root is held to the mode bits an ordinary user meets.
bool modeBitsGrantWriteAndSearch(const struct stat& status)
{
    if (status.st_uid == ::geteuid())
        return (status.st_mode & (S_IWUSR | S_IXUSR)) == (S_IWUSR | S_IXUSR);
    if (status.st_gid == ::getegid())
        return (status.st_mode & (S_IWGRP | S_IXGRP)) == (S_IWGRP | S_IXGRP);
    return (status.st_mode & (S_IWOTH | S_IXOTH)) == (S_IWOTH | S_IXOTH);
}

} // namespace

GatheredPages gatherPageFiles(const QString& spoolDirectory)
{
    GatheredPages gathered;
    const DirectoryHandle spool = DirectoryHandle::open(QFile::encodeName(spoolDirectory));
    if (!spool.isOpen())
        return gathered;
    const QString pattern = QString::fromLatin1(kPageFilePattern);
    for (const QByteArray& bytes : spool.entryNames()) {
        const QString name = QFile::decodeName(bytes);
        if (name.startsWith(u'.') || !matchesFilePattern(name, pattern))
            continue;
        // A name that does not survive the way back to bytes could not be opened by it.
        if (QFile::encodeName(name) != bytes) {
            ++gathered.undecodableNames;
            continue;
        }
        const std::optional<struct stat> status = spool.entryStatus(bytes);
        if (!status || !isOwnRegularFile(*status)) {
            ++gathered.notOwnFiles;
            continue;
        }
        gathered.files << QDir(spoolDirectory).filePath(name);
    }
    // Page order is name order, and the names match without regard to case, so they sort that
    // way too: TMP0003.EMF comes after tmp0002.emf.
    std::sort(gathered.files.begin(), gathered.files.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return gathered;
}

QString leftAloneNote(const GatheredPages& gathered, const QString& spoolDirectory)
{
    QStringList reasons;
    if (gathered.notOwnFiles > 0)
        reasons << KV_GL(QStringLiteral("%1 not a file of your own (a link, a directory or another user's file)"))
                       .arg(gathered.notOwnFiles);
    if (gathered.undecodableNames > 0)
        reasons << KV_GL(QStringLiteral("%1 with a name that is not valid UTF-8")).arg(gathered.undecodableNames);
    if (reasons.isEmpty())
        return {};
    return KV_GL(QStringLiteral("Entries of the spool directory %1 that look like page files were left alone: "))
               .arg(quoted(spoolDirectory))
           + reasons.join(QStringLiteral("; ")) + u'.';
}

QString spoolDirectoryProblem(const QString& spoolDirectory)
{
    const QString shown = quoted(spoolDirectory);
    if (spoolDirectory.isEmpty())
        return KV_GL(QStringLiteral("The hand-off file names no spool directory."));
    const DirectoryHandle spool = DirectoryHandle::open(QFile::encodeName(spoolDirectory));
    if (!spool.isOpen()) {
        if (spool.openError() == ENOENT)
            return KV_GL(QStringLiteral("The spool directory does not exist: ")) + shown;
        if (spool.openError() == ENOTDIR)
            return KV_GL(QStringLiteral("The spool directory is not a directory: ")) + shown;
        return KV_GL(QStringLiteral("The spool directory cannot be opened: ")) + shown;
    }
    // The pages are moved out of the directory (a rename), which needs write and search
    // permission on it; faccessat also honours the effective user and ACLs.
    const std::optional<struct stat> status = spool.status();
    const bool writable = ::geteuid() == 0
        ? status && modeBitsGrantWriteAndSearch(*status)
        : ::faccessat(AT_FDCWD, QFile::encodeName(spoolDirectory).constData(), W_OK | X_OK, AT_EACCESS) == 0;
    if (!writable)
        return KV_GL(QStringLiteral("The spool directory cannot be written: ")) + shown;
    return {};
}

} // namespace kv
