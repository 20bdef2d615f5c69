#pragma once
// The resource library: the bitmaps of the bar and menus, the magnifier cursor and the print
// and save dialog templates, kept in a Qt binary resource file that ships beside the program
// and can be replaced without rebuilding it.
//
// Lookups go to the *current resource source*, a process-wide choice made by selecting a
// library file. Every user follows one discipline: remember the current source, select the
// library, load what it needs, restore the remembered source (see ResourceScope).
// All of this runs on the user-interface thread only.
#include <QCursor>
#include <QIcon>
#include <QString>

class QDialog;
class QWidget;

namespace kv {

// The file name under which the program knows its resource library (`cResFile`).
inline constexpr char kResourceFileName[] = "Korvelle.rcc";

// Full path of the library file `fileName`: looked for first in the folder named by the
// environment variable KV_RESOURCE_DIR (when set), then beside the running program.
// Empty when neither holds it.
QString locateResourceLibrary(const QString& fileName);

// Makes the library `fileName` the current source, loading and registering it on its first
// use. Returns false, leaving the current source unchanged, when the file cannot be found or
// is not a resource file. A library once registered stays available for the process.
bool selectResourceLibrary(const QString& fileName);

// The file name of the library that is the current source; empty when none is selected
// (then every lookup finds nothing).
QString currentResourceSource();

// Makes `source` (a value returned by currentResourceSource) the current source again.
// A source that was never selected restores to none.
void restoreResourceSource(const QString& source);

// The check at the start of the preview window: selects `fileName`; when that fails, shows
// the stop box "<fileName> not found, imposible to continue" titled "Tessaro Printing Error"
// and returns false, and the caller builds no window.
bool selectResourceLibraryOrStop(const QString& fileName);

// The bitmap `name` of the current source (name matched without regard to case), scalable to
// any size. A null icon when the name is unknown or no library is selected.
QIcon bitmap(const QString& name);

// The cursor `name` of the current source (case-insensitive), with its hot spot. The arrow
// cursor, without a pixmap, when the name is unknown or no library is selected.
QCursor cursor(const QString& name);

// A new dialog built from the template `name` of the current source (case-insensitive),
// owned by `parent` when one is given; nullptr when the template is missing or unreadable.
// Buttons whose template names a bitmap (dynamic property "kvBitmap") already show it.
QDialog* loadDialog(const QString& name, QWidget* parent = nullptr);

// The control with identifier `id` (dynamic property "kvId") inside a loaded dialog, or
// nullptr.
QWidget* findControl(const QWidget* dialog, int id);

// The control with identifier `id` as the given widget class, or nullptr when it is missing
// or of another class.
template <class Widget>
Widget* findControl(const QWidget* dialog, int id)
{
    return qobject_cast<Widget*>(findControl(dialog, id));
}

} // namespace kv
