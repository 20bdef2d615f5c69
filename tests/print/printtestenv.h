#pragma once
// A printing test's surroundings: the built-in "PDF File" printer writing into a temporary
// folder, a printer list the test chooses, recorded messages and tones, dialogs answered by
// the test, and a fresh shared printer state. Everything is put back afterwards.
#include "platform/notify.h"
#include "print/printerdialogs.h"
#include "print/printerlist.h"
#include "print/printerstate.h"
#include "print/procedural.h"
#include "print/tprinter.h"
#include "testenv.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace kvtest {

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The list the device sees: `names` in that order; "PDF File" is the default.
    void usePrinters(const QStringList& names);
    QString pdfDir() const { return pdfDir_.path(); }

    std::vector<kv::Message> messages;
    std::vector<int> tones;  // hertz of each tone
    int chooserCalls = 0;
    QString chooserReason;  // what the last choice was asked with
    std::optional<kv::PrinterChoice> chooserAnswer;  // what the print dialog answers

private:
    QTemporaryDir pdfDir_;
    QByteArray savedPdfDir_;
};

// A tool's standard output, empty when it did not finish within a minute.
QString runTool(const QString& program, const QStringList& args);
// A CUPS scheduler runs with the "PDF" queue. The tests never start one themselves (that
// changes the machine's printing system): `scripts/test --cups` does, as CI asks.
bool cupsPdfQueueReady();
// Why a printing test skips when there is none.
inline constexpr const char* kNoCupsQueue =
    "no CUPS scheduler with a PDF queue here (scripts/test --cups starts one)";


} // namespace kvtest
