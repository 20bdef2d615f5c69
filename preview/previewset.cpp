#include "previewset.h"

#include "lang/kvgl.h"
#include "platform/filepattern.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <variant>

namespace kv {
namespace {

const QString kSetPattern = QStringLiteral("E???????.*mf");
constexpr char kSetDirectoryName[] = "korvelle";
constexpr int kMostPages = 9999;

int setNumberOf(const QString& fileName)
{
    static const QRegularExpression re(QStringLiteral("^E(\\d{3})\\d{4}\\."),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(fileName);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString setDirectoryRefusal(const QString& setPath, const QString& why)
{
    return KV_GL(QStringLiteral("The preview directory \"%1\" cannot be used: %2")).arg(setPath, why);
}

// The set directory, made when missing, or why it cannot serve.
std::variant<DirectoryHandle, QString> openSetDirectory(const DirectoryHandle& spool, const QString& setPath)
{
    DirectoryHandle set = spool.openSubdirectory(kSetDirectoryName);
    if (!set.isOpen() && set.openError() == ENOENT) {
        spool.makeSubdirectory(kSetDirectoryName, 0700);  // losing a race to another preview is fine
        set = spool.openSubdirectory(kSetDirectoryName);
    }
    if (!set.isOpen()) {
        if (set.openError() == ELOOP || set.openError() == ENOTDIR)
            return setDirectoryRefusal(setPath, KV_GL(QStringLiteral("it is a link or not a directory.")));
        return setDirectoryRefusal(setPath, QString::fromLocal8Bit(strerror(set.openError())));
    }
    const std::optional<struct stat> status = set.status();
    if (!status || status->st_uid != ::geteuid())
        return setDirectoryRefusal(setPath, KV_GL(QStringLiteral("it belongs to another user.")));
    if (status->st_mode & (S_IWGRP | S_IWOTH))
        return setDirectoryRefusal(setPath, KV_GL(QStringLiteral("other users can write to it.")));
    return set;
}

struct SetEntries {
    std::set<int> used;
    std::vector<QByteArray> setFiles;  // every entry named like a set file
};

SetEntries listSetEntries(const DirectoryHandle& set)
{
    SetEntries entries;
    for (const QByteArray& bytes : set.entryNames()) {
        const QString name = QFile::decodeName(bytes);
        if (name.startsWith(u'.') || !matchesFilePattern(name, kSetPattern))
            continue;
        entries.setFiles.push_back(bytes);
        if (const int number = setNumberOf(name); number > 0)
            entries.used.insert(number);
    }
    return entries;
}

// Where the page files are: mostly all in the spool directory, so one open directory serves
// them in turn.
class PageDirectories {
public:
    const DirectoryHandle& of(const QString& directory)
    {
        if (directory != path_) {
            path_ = directory;
            handle_ = DirectoryHandle::open(QFile::encodeName(directory));
        }
        return handle_;
    }

private:
    QString path_;
    DirectoryHandle handle_;
};

bool isOwnRegularEntry(const DirectoryHandle& directory, const QByteArray& name)
{
    const std::optional<struct stat> status = directory.entryStatus(name);
    return status && isOwnRegularFile(*status);
}

// Only a plain file of ours is taken; it is looked at again once it is inside the private set
// directory, where nobody can swap it any more, and sent back if it changed on the way.
bool movePage(const DirectoryHandle& from, const QByteArray& name, const DirectoryHandle& set, const QByteArray& target)
{
    if (!from.isOpen() || !isOwnRegularEntry(from, name) || !from.moveEntry(name, set, target))
        return false;
    if (isOwnRegularEntry(set, target))
        return true;
    set.moveEntry(target, from, name);
    return false;
}

} // namespace

int freeSetNumber(const std::set<int>& used)
{
    const int next = used.empty() ? 1 : *used.rbegin() + 1;
    if (next <= kMostPreviewSets)
        return next;
    for (int number = 1; number <= kMostPreviewSets; ++number)
        if (!used.contains(number))
            return number;
    return 0;
}

QString previewSetFileName(int set, int page, const QString& oldFile)
{
    const bool emf = QFileInfo(oldFile).suffix().toUpper().startsWith(QLatin1String("EMF"));
    return QStringLiteral("E%1%2%3")
        .arg(set, 3, 10, QLatin1Char('0'))
        .arg(page, 4, 10, QLatin1Char('0'))
        .arg(emf ? QStringLiteral(".emf") : QStringLiteral(".wmf"));
}

void SetDirectory::removePage(const QString& file) const
{
    const QByteArray name = QFile::encodeName(QFileInfo(file).fileName());
    if (isOwnRegularEntry(handle_, name))
        handle_.removeEntry(name);
}

MovedPages movePagesIntoSet(const QString& spoolPath, const QStringList& pages)
{
    MovedPages result;
    const QString setPath = QDir(spoolPath).filePath(QString::fromLatin1(kSetDirectoryName));
    if (pages.size() > kMostPages) {
        result.refusal = KV_GL(QStringLiteral("A report of more than 9999 pages cannot be previewed."));
        return result;
    }
    const DirectoryHandle spool = DirectoryHandle::open(QFile::encodeName(spoolPath));
    if (!spool.isOpen()) {
        result.refusal = KV_GL(QStringLiteral("The spool directory cannot be opened: ")) + u'"' + spoolPath + u'"';
        return result;
    }
    std::variant<DirectoryHandle, QString> opened = openSetDirectory(spool, setPath);
    if (const QString* refusal = std::get_if<QString>(&opened)) {
        result.refusal = *refusal;
        return result;
    }
    auto directory = std::make_shared<SetDirectory>(setPath, std::get<DirectoryHandle>(std::move(opened)));
    const DirectoryHandle& set = directory->handle();
    const SetEntries entries = listSetEntries(set);
    const int number = freeSetNumber(entries.used);
    if (number == 0) {
        result.refusal = KV_GL(QStringLiteral("The preview directory %1 holds 999 preview sets; "
                                              "close other previews or empty it.")).arg(setPath);
        return result;
    }
    if (entries.used.empty()) {
        // Leftovers of previews that never closed; only our own set files are ours to remove.
        for (const QByteArray& stale : entries.setFiles)
            if (isOwnRegularEntry(set, stale))
                set.removeEntry(stale);
    }
    PageDirectories from;
    for (int i = 0; i < pages.size(); ++i) {
        const QString targetName = previewSetFileName(number, i + 1, pages[i]);
        const QFileInfo page(pages[i]);
        if (!movePage(from.of(page.absolutePath()), QFile::encodeName(page.fileName()), set, QFile::encodeName(targetName)))
            result.failedMoves << pages[i];
        result.files << setPath + u'/' + targetName;
    }
    result.directory = std::move(directory);
    return result;
}

} // namespace kv
