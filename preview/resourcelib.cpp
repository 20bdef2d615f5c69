#include "resourcelib.h"

#include "svgicon.h"

#include "platform/notify.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QResource>
#include <QUiLoader>

namespace kv {
namespace {

// Each library is mapped under its own root, so two libraries with the same inner layout
// never shadow each other and "the current source" is simply which root lookups go to.
struct Registry {
    QHash<QString, QString> rootOf;  // library file name -> map root
    QString current;                 // file name of the current source; empty: none
};

Registry& registry()
{
    static Registry r;
    return r;
}

QString currentRoot()
{
    const Registry& r = registry();
    return r.current.isEmpty() ? QString() : r.rootOf.value(r.current);
}

// Path of the entry `name` (any letter case) with one of `suffixes` in `folder` of the
// current source; empty when there is none.
QString findEntry(const QString& folder, const QString& name, const QStringList& suffixes)
{
    const QString root = currentRoot();
    if (root.isEmpty() || name.isEmpty())
        return {};
    const QDir dir(QLatin1Char(':') + root + QLatin1Char('/') + folder);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files)) {
        if (entry.completeBaseName().compare(name, Qt::CaseInsensitive) == 0
            && suffixes.contains(entry.suffix(), Qt::CaseInsensitive))
            return entry.filePath();
    }
    return {};
}

const QStringList& imageSuffixes()
{
    static const QStringList s{QStringLiteral("svg"), QStringLiteral("png")};
    return s;
}

// A cursor image may come with a small description beside it: {"size": n, "hotSpot": [x, y]}.
// Without one the cursor is 32 pixels square with its hot spot in the middle.
struct CursorShape {
    int size = 32;
    QPoint hotSpot{16, 16};
};

CursorShape cursorShape(const QString& name)
{
    CursorShape shape;
    const QString path = findEntry(QStringLiteral("cursors"), name, {QStringLiteral("json")});
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return shape;
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    shape.size = qBound(8, o.value(QStringLiteral("size")).toInt(shape.size), 256);
    shape.hotSpot = QPoint(shape.size / 2, shape.size / 2);
    const QJsonArray hot = o.value(QStringLiteral("hotSpot")).toArray();
    if (hot.size() == 2)
        shape.hotSpot = QPoint(qBound(0, hot.at(0).toInt(), shape.size - 1),
                               qBound(0, hot.at(1).toInt(), shape.size - 1));
    return shape;
}

void applyTemplateBitmaps(QDialog* dialog)
{
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        const QString name = button->property("kvBitmap").toString();
        if (!name.isEmpty())
            button->setIcon(bitmap(name));
    }
}

} // namespace

QString locateResourceLibrary(const QString& fileName)
{
    if (fileName.isEmpty())
        return {};
    QStringList folders;
    const QString fromEnv = qEnvironmentVariable("KV_RESOURCE_DIR");
    if (!fromEnv.isEmpty())
        folders << fromEnv;
    folders << QCoreApplication::applicationDirPath();
    for (const QString& folder : folders) {
        const QFileInfo candidate(QDir(folder), fileName);
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return {};
}

bool selectResourceLibrary(const QString& fileName)
{
    Registry& r = registry();
    if (!r.rootOf.contains(fileName)) {
        const QString path = locateResourceLibrary(fileName);
        const QString root = QStringLiteral("/kv-resource-library/%1").arg(r.rootOf.size());
        if (path.isEmpty() || !QResource::registerResource(path, root))
            return false;
        r.rootOf.insert(fileName, root);
    }
    r.current = fileName;
    return true;
}

QString currentResourceSource()
{
    return registry().current;
}

void restoreResourceSource(const QString& source)
{
    Registry& r = registry();
    r.current = r.rootOf.contains(source) ? source : QString();
}

bool selectResourceLibraryOrStop(const QString& fileName)
{
    if (selectResourceLibrary(fileName))
        return true;
    stopBox(fileName.toStdString() + " not found, imposible to continue", "Tessaro Printing Error");
    return false;
}

QIcon bitmap(const QString& name)
{
    const QString path = findEntry(QStringLiteral("bitmaps"), name, imageSuffixes());
    if (path.isEmpty())
        return QIcon();
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            if (QIcon drawing = svgIcon(file.readAll()); !drawing.isNull())
                return drawing;
    }
    return QIcon(path);
}

QCursor cursor(const QString& name)
{
    const QString path = findEntry(QStringLiteral("cursors"), name, imageSuffixes());
    if (path.isEmpty())
        return QCursor();
    const CursorShape shape = cursorShape(name);
    const QPixmap pixmap = QIcon(path).pixmap(QSize(shape.size, shape.size));
    if (pixmap.isNull())
        return QCursor();
    return QCursor(pixmap, shape.hotSpot.x(), shape.hotSpot.y());
}

QDialog* loadDialog(const QString& name, QWidget* parent)
{
    QFile file(findEntry(QStringLiteral("dialogs"), name, {QStringLiteral("ui")}));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly))
        return nullptr;
    QUiLoader loader;
    QWidget* widget = loader.load(&file, parent);
    auto* dialog = qobject_cast<QDialog*>(widget);
    if (!dialog) {
        delete widget;
        return nullptr;
    }
    applyTemplateBitmaps(dialog);
    return dialog;
}

QWidget* findControl(const QWidget* dialog, int id)
{
    if (!dialog)
        return nullptr;
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
        bool ok = false;
        if (child->property("kvId").toInt(&ok) == id && ok)
            return child;
    }
    return nullptr;
}

} // namespace kv
