// What printing from the preview tells the user: where the PDF went, why a file could not be
// written (and no file left), the progress of a longer print with a Cancel that drops the job,
// and that nothing prints without a printer.
#include "previewtestenv.h"

#include "preview/previewwindow.h"

#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>

namespace kvtest {
namespace {

class PrintOutcomeTest : public PreviewTest {
protected:
    QString messageBar() const { return window().statusBar()->currentMessage(); }
    QStringList pdfFiles() const { return QDir(pdf.path()).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(PrintOutcomeTest, TheMessageBarSaysWhereThePdfWent)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(preview->PrintPrv(nullptr, 1, 1, 2, 1));
    const QString file = QDir(pdf.path()).filePath(QStringLiteral("Quarterly Report.pdf"));
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(messageBar(), QStringLiteral("The PDF was written to %1.").arg(file));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(PrintOutcomeTest, AFileThatCannotBeWrittenIsNamedInAStopBoxAndPrintAndExitKeepsTheWindow)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    QFile blocker(QDir(pdf.path()).filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const EnvOverride nowhere("KV_PDF_DIR", blocker.fileName().toUtf8() + "/sub");
    preview->PrintPage(true);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].kind, kv::BoxKind::Stop);
    const std::string text = messages.messages[0].text;
    EXPECT_NE(text.find((blocker.fileName() + QStringLiteral("/sub/Quarterly Report.pdf")).toStdString()), std::string::npos) << text;
    EXPECT_NE(text.find("Not a directory"), std::string::npos) << text;
    EXPECT_EQ(pdfFiles(), QStringList{QStringLiteral("blocker")});
    // The report is still there to print again.
    ASSERT_TRUE(preview->oWnd);
    EXPECT_TRUE(QFileInfo::exists(preview->aFiles[0]));
}

TEST_F(PrintOutcomeTest, ALongerPrintShowsItsProgressAndCancelDropsTheJob)
{
    open(5);
    ASSERT_FALSE(HasFatalFailure());
    QStringList seen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* progress = window().findChild<QProgressDialog*>();
        if (!progress || (!seen.isEmpty() && seen.back() == progress->labelText()))
            return;
        seen << progress->labelText();
        if (progress->labelText() == QStringLiteral("Page 3 of 5, copy 2 of 2"))
            progress->cancel();
    });
    watcher.start(0);
    EXPECT_FALSE(preview->PrintPrv(nullptr, 1, 1, 5, 2));
    watcher.stop();
    ASSERT_GE(seen.size(), 8) << seen.join(" | ").toStdString();
    EXPECT_EQ(seen.front(), QStringLiteral("Page 1 of 5, copy 1 of 2"));
    EXPECT_TRUE(seen.contains(QStringLiteral("Page 5 of 5, copy 1 of 2")));
    EXPECT_EQ(seen.back(), QStringLiteral("Page 3 of 5, copy 2 of 2"));
    // The first copy went out whole; the cancelled second left nothing.
    EXPECT_EQ(pdfFiles(), QStringList{QStringLiteral("Quarterly Report.pdf")});
    EXPECT_TRUE(messageBar().endsWith(QStringLiteral("Printing was cancelled."))) << messageBar().toStdString();
    EXPECT_FALSE(window().findChild<QProgressDialog*>()) << "the dialog is gone";
}

TEST_F(PrintOutcomeTest, AFewPagesPrintWithoutAProgressDialog)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    bool shown = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] { shown |= window().findChild<QProgressDialog*>() != nullptr; });
    watcher.start(0);
    EXPECT_TRUE(preview->PrintPrv(nullptr, 1, 1, 3, 1));
    watcher.stop();
    EXPECT_FALSE(shown);
}

TEST_F(PrintOutcomeTest, WithoutAPrinterNothingIsPrintedAndTheMessageBarSaysSo)
{
    open(2);
    ASSERT_FALSE(HasFatalFailure());
    device->End();  // the device context is gone
    EXPECT_FALSE(preview->PrintPrv(nullptr, 1, 1, 2, 1));
    EXPECT_EQ(messageBar(), QStringLiteral("There is no printer: nothing was printed."));
    EXPECT_TRUE(pdfFiles().isEmpty());
}

TEST_F(PrintOutcomeTest, AnUnreadablePagePrintsAsAnEmptySheet)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    QFile damaged(preview->aFiles[1]);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(QByteArray(200, '\x01'));
    damaged.close();
    EXPECT_TRUE(preview->PrintPrv(nullptr, 1, 1, 3, 1));
    EXPECT_EQ(pdfPageCount(QDir(pdf.path()).filePath(QStringLiteral("Quarterly Report.pdf"))), 3);
}

} // namespace
} // namespace kvtest
