#pragma once
// Shared set-up of the start-up tests: a private Windows directory, a spool directory, a PDF
// folder and a current directory of their own for every test, recorded message boxes and
// tones, real page files, and a driver that looks at the preview window once it shows and then
// closes it as the user would.
#include "resources/resourcetestenv.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

class QWidget;

namespace kvtest {

// Writes an enhanced metafile page (a frame and one line of text) recorded by the engine.
void writePageFile(const QString& path, const QString& text = QStringLiteral("page"));

// Writes a hand-off file at path with the given keys of section General (absent ones left out).
void writeHandoffKeys(const QString& path, const std::vector<std::pair<QString, QString>>& keys);

// The names (not paths) of the entries of a directory, sorted; empty when it does not exist.
QStringList entryNames(const QString& directory);

// What the driver saw of the preview window while it was open.
struct SeenPreview {
    bool shown = false;
    QString title;
    QStringList setFiles;  // entries of Path/korvelle while the window was open
};

// Runs `start`, which blocks in the preview's own event loop; as soon as a preview window is
// visible, `inspect` runs and the window is closed (through its close handler, like the user's
// close). Returns what was seen; shown stays false when no window came up.
SeenPreview runPreviewAndClose(const std::function<void()>& start, const QString& spoolDir,
                               const std::function<void(QWidget&)>& inspect = {});

class AppRoadTest : public IsolatedProgramTest {
protected:
    void SetUp() override;
    void TearDown() override;

    QString handoffPath() const { return windir.path() + QStringLiteral("/KORVELLE.TMP"); }
    QString setDir() const { return spool.path() + QStringLiteral("/korvelle"); }
    // tmp0001.emf … tmp000n.emf in the spool directory.
    QStringList writePages(int count);
    // A complete hand-off file for the spool directory and the built-in PDF printer.
    void writeHandoff(const QString& orientation = QStringLiteral("1"),
                      const QString& document = QStringLiteral("Quarterly Report"));
    std::vector<std::string> stopTexts() const;

    int tones = 0;
};

} // namespace kvtest
