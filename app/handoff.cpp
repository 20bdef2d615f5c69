#include "app/handoff.h"

#include "platform/dirs.h"
#include "platform/inifile.h"

#include <QFile>
#include <QFileInfo>

namespace kv {

namespace {
const QString kSection = QStringLiteral("General");
}

HandoffFile::HandoffFile() : HandoffFile(handoffFilePath()) {}

HandoffFile::HandoffFile(QString filePath) : filePath_(std::move(filePath)) {}

bool HandoffFile::exists() const
{
    // A directory of that name is not a hand-off file.
    return QFileInfo(filePath_).isFile();
}

Handoff HandoffFile::read() const
{
    const IniFile ini(filePath_);
    Handoff h;
    h.path = ini.readString(kSection, QStringLiteral("Path"));
    h.document = ini.readString(kSection, QStringLiteral("Document"));
    h.orientation = ini.readString(kSection, QStringLiteral("Orientation"));
    h.printer = ini.readString(kSection, QStringLiteral("Printer"));
    h.parentWnd = ini.readString(kSection, QStringLiteral("ParentWnd"));
    return h;
}

bool HandoffFile::write(const QString& printer, const QString& path, const QString& document,
                        int orientation) const
{
    IniFile ini(filePath_);
    // Every key is written even after a failure, as separate profile writes would be; the
    // result says whether all of them arrived.
    bool ok = ini.writeString(kSection, QStringLiteral("Printer"), printer);
    ok = ini.writeString(kSection, QStringLiteral("Path"), path) && ok;
    ok = ini.writeString(kSection, QStringLiteral("Document"), document) && ok;
    ok = ini.writeString(kSection, QStringLiteral("Orientation"), QString::number(orientation)) && ok;
    return ok;
}

bool HandoffFile::remove() const
{
    return QFile::remove(filePath_);
}

} // namespace kv
