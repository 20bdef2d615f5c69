#pragma once
// Where the program finds its files on Linux.
#include <QString>
#include <vector>

namespace kv {

// The "Windows directory", home of the hand-off file. The hand-off file decides which files get
// moved and deleted, so this is never a folder other users can write:
// 1. $WINDIR when it names an existing directory that is not world-writable;
// 2. else $XDG_RUNTIME_DIR on the same terms;
// 3. else ~/.local/state/korvelle, created with mode 0700 when missing.
// No trailing slash.
QString windowsDirectory();

// A directory named by one of those variables that was passed over because users other than
// this one can write into it.
struct OpenDirectory {
    QString variable;  // "WINDIR" or "XDG_RUNTIME_DIR"
    QString path;
};
// The directories windowsDirectory() passes over for that reason, in the order it tries them.
std::vector<OpenDirectory> passedOverOpenDirectories();

// The spool directory: the first of $TEMP, $TMP, $TMPDIR that is set and not empty, with one trailing slash
// or backslash removed, when it names an existing directory; else windowsDirectory().
QString tempDirectory();

// windowsDirectory() + "/KORVELLE.TMP".
QString handoffFilePath();

// "./KORVELLE.INI": resolved against the current directory whenever it is used.
QString settingsFilePath();

} // namespace kv
