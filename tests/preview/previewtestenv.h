#pragma once
// A real preview window for every test: private Windows, spool, PDF and current directories,
// a settings file, page files recorded by the engine, the built-in PDF printer, recorded
// message boxes and tones, and the window opened inside an event loop of the test's own.
#include "resources/resourcetestenv.h"

#include "print/tprinter.h"
#include "preview/korvelle.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QDialog;
class QMenu;

namespace kv {
class BarButtonWidget;
}

namespace kvtest {

// Settings file lines ("[Section]" and "Key=Value"), Maximize=0 added first unless they set it.
using IniLines = QStringList;

class PreviewTest : public IsolatedProgramTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the preview on `pages` page files with these settings; the window frame is then
    // 1024 x 768 at 0, 0. Failures are fatal (ASSERT) in the caller through HasFatalFailure.
    void open(int pages, const IniLines& ini = {});
    // Opens the preview on copies of these page files (tmp0001… in their order; real pages
    // of other programs, say), the printer turned when `landscape`.
    void openFiles(const QStringList& sources, bool landscape = false, const IniLines& ini = {});
    // Closes the window and ends the preview and its device (a test may then open another).
    void closePreview();
    // Calls `start`, which opens a modal dialog, and runs `drive` on that dialog inside its
    // loop once it is up. A dialog that `drive` leaves open is rejected, and the test fails.
    void whileModal(const std::function<void()>& start, const std::function<void(QDialog&)>& drive);
    // The frame of the window moved to 0, 0 and sized; the layout runs.
    void resizeFrame(int width, int height);

    kv::PreviewWindow& window() const;
    // Bar buttons in bar order.
    kv::BarButtonWidget* button(int index) const;
    int buttonCount() const;
    // Clicks a bar button in its middle (or at column x).
    void click(kv::BarButtonWidget* button, int x = -1);
    // The Page menu of the menu bar, after its conditions ran as when it opens.
    QMenu* openedPageMenu() const;
    QAction* pageMenuItem(const QString& caption) const;
    // Geometry of page slot n (1..8) in the window's client pixels.
    QRect slot(int n) const;
    bool slotVisible(int n) const;
    QString slotFile(int n) const;

    std::vector<std::pair<int, int>> tones;  // hertz, milliseconds
    QStringList pageFiles;                   // as written, before the move
    std::unique_ptr<kv::TPrinter> device;
    std::unique_ptr<kv::KORVELLE> preview;
    bool sizeFrameAfterOpening = true;       // false: the window keeps the size it opened with

private:
    QString spoolPage(int number) const;
    // Writes the settings and the hand-off file and opens the preview on pageFiles.
    void openWritten(const IniLines& ini, bool landscape);
};

} // namespace kvtest
