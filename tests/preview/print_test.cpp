// The print loop on the built-in PDF printer: each copy is its own job, with the chosen pages.
#include "previewtestenv.h"

#include <QDir>
#include <algorithm>

namespace kvtest {
namespace {

class PrintTest : public PreviewTest {
protected:
    // Page counts of the PDF files the printer wrote, smallest first (the names number the
    // jobs in an order of their own).
    std::vector<int> jobPages() const
    {
        std::vector<int> counts;
        const QDir dir(pdf.path());
        for (const QString& name : dir.entryList({"*.pdf"}, QDir::Files, QDir::Name))
            counts.push_back(pdfPageCount(dir.filePath(name)));
        std::sort(counts.begin(), counts.end());
        return counts;
    }
};

TEST_F(PrintTest, EveryCopyIsAJobOfTheChosenPages)
{
    open(3);
    ASSERT_FALSE(HasFatalFailure());
    preview->PrintPrv(nullptr, 1, 1, 3, 2);
    EXPECT_EQ(jobPages(), (std::vector<int>{3, 3}));
}

TEST_F(PrintTest, ARangeAndTheCurrentPagePrintOnlyThose)
{
    open(4);
    ASSERT_FALSE(HasFatalFailure());
    preview->PrintPrv(nullptr, 3, 2, 3, 1);
    preview->ChangePage(1);
    preview->PrintPrv(nullptr, 2, 1, 1, 1);
    preview->PrintPrv(nullptr, 3, 3, 2, 1);  // from beyond to: a job without pages
    // The job without pages puts out nothing, not a blank sheet.
    EXPECT_EQ(jobPages(), (std::vector<int>{1, 2}));
}

} // namespace
} // namespace kvtest
