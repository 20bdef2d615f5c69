// PRINTBEGIN's choice of printer and the one current device of the procedural interface.
#include "printtestenv.h"

#include <QDir>

namespace {

using kvtest::PrintTest;

const QStringList kSimilar{QStringLiteral("Office-LaserJet-4200"), QStringLiteral("HOME laserjet"),
                           QStringLiteral("laserjet-pdf"), kv::kPdfFilePrinter};

TEST_F(PrintTest, NameMatchingTakesTheFirstEntryContainingTheName)
{
    usePrinters(kSimilar);
    struct Case { QString wanted; std::string printer; };
    for (const Case& c : {Case{QStringLiteral("laserjet"), "Office-LaserJet-4200"},
                          Case{QStringLiteral("LASERJET"), "Office-LaserJet-4200"},
                          Case{QStringLiteral("home"), "HOME laserjet"},
                          Case{QStringLiteral("jet-PDF"), "laserjet-pdf"}}) {
        messages.clear();
        // These queues exist only in the list: the device names the one it tried to make.
        const auto device = kv::PRINTBEGIN(QStringLiteral("Match"), false, false, c.wanted);
        EXPECT_EQ(device->hDC, 0u);
        ASSERT_EQ(messages.size(), 1u) << c.wanted.toStdString();
        EXPECT_NE(messages[0].text.find(c.printer), std::string::npos) << messages[0].text;
        EXPECT_EQ(messages[0].text.find("laserjet-pdf") != std::string::npos, c.printer == "laserjet-pdf");
    }
    EXPECT_TRUE(tones.empty());
    EXPECT_EQ(chooserCalls, 0);
}

TEST_F(PrintTest, NamesAndPositionsFindTheBuiltInPrinter)
{
    usePrinters(kSimilar);
    for (const kv::PrinterSelector& selector :
         {kv::PrinterSelector(QStringLiteral("pdf file")), kv::PrinterSelector(QStringLiteral("FILE")),
          kv::PrinterSelector(4LL)}) {
        const auto device = kv::PRINTBEGIN(QStringLiteral("Found"), false, false, selector);
        ASSERT_NE(device->hDC, 0u);
        EXPECT_EQ(device->GetModel(), kv::kPdfFilePrinter);
        EXPECT_EQ(kv::currentPrinter(), device);
        device->End();
        EXPECT_EQ(kv::currentPrinter(), nullptr);
    }
    EXPECT_TRUE(tones.empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(PrintTest, NoMatchSoundsAToneAndLetsTheUserChoose)
{
    usePrinters(kSimilar);
    int expectedCalls = 0;
    for (const kv::PrinterSelector& selector :
         {kv::PrinterSelector(QString()), kv::PrinterSelector(QStringLiteral("epson")),
          kv::PrinterSelector(0LL), kv::PrinterSelector(5LL), kv::PrinterSelector(-2LL)}) {
        tones.clear();
        chooserAnswer.reset();
        const auto cancelled = kv::PRINTBEGIN(QStringLiteral("Nobody"), false, false, selector);
        EXPECT_EQ(chooserCalls, ++expectedCalls);
        ASSERT_EQ(tones.size(), 1u);
        EXPECT_EQ(tones[0], 100);
        EXPECT_EQ(cancelled->hDC, 0u);
        EXPECT_EQ(cancelled->nXOffset, 0);
        EXPECT_EQ(cancelled->nYOffset, 0);
    }
    EXPECT_TRUE(messages.empty());

    chooserAnswer = kv::PrinterChoice{kv::kPdfFilePrinter, {}, {}};
    const auto chosen = kv::PRINTBEGIN(QStringLiteral("Chosen"), false, false, QStringLiteral("epson"));
    EXPECT_NE(chosen->hDC, 0u);
    EXPECT_EQ(chosen->GetModel(), kv::kPdfFilePrinter);
}

TEST_F(PrintTest, TheChooserSaysWhyItIsAsked)
{
    usePrinters(kSimilar);
    struct Case {
        kv::PrinterSelector selector;
        QString why;
    };
    for (const Case& c : {Case{QStringLiteral("epson"), QStringLiteral("The printer \"epson\" was not found: choose a printer")},
                          Case{QString(), QStringLiteral("No printer was named: choose a printer")},
                          Case{7LL, QStringLiteral("There is no printer number 7: choose a printer")}}) {
        chooserReason.clear();
        kv::PRINTBEGIN(QStringLiteral("Why"), false, false, c.selector);
        EXPECT_EQ(chooserReason, c.why);
    }
    // Asked for by the caller, the choice needs no reason.
    kv::PRINTBEGIN(QStringLiteral("Asked"), true);
    EXPECT_EQ(chooserReason, QString());
}

TEST_F(PrintTest, ACancelledChoiceNeverPrintsEvenAfterTheOrientationIsSet)
{
    // The default printer (the built-in one here) must not take the job in the user's place.
    chooserAnswer.reset();
    const auto device = kv::PRINTBEGIN(QStringLiteral("Nobody's"), false, false, QStringLiteral("epson"));
    ASSERT_EQ(device->hDC, 0u);
    device->SetLandscape();
    device->SetPortrait();
    device->SetCopies(2);
    EXPECT_EQ(device->hDC, 0u);
    EXPECT_EQ(device->GetOrientation(), kv::kPortrait) << "the choices are still kept";
    device->StartPage();
    device->Say(100, 100, QStringLiteral("nowhere"));
    device->EndPage();
    device->End();
    EXPECT_TRUE(QDir(pdfDir()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(PrintTest, WithoutAPrinterArgumentTheUserFlagDecides)
{
    const auto plain = kv::PRINTBEGIN(QStringLiteral("Plain"));
    EXPECT_NE(plain->hDC, 0u);
    EXPECT_EQ(chooserCalls, 0);
    chooserAnswer.reset();
    const auto asked = kv::PRINTBEGIN(QStringLiteral("Asked"), true);
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_EQ(asked->hDC, 0u);
    EXPECT_TRUE(tones.empty());
    EXPECT_EQ(kv::currentPrinter(), asked);
}

TEST_F(PrintTest, SelectingANamedPrinterLeavesTheDefaultAlone)
{
    const kv::PrinterList before = kv::systemPrinterList();
    const auto device = kv::PRINTBEGIN(QStringLiteral("Default"), false, false, kv::kPdfFilePrinter);
    ASSERT_NE(device->hDC, 0u);
    EXPECT_EQ(kv::systemPrinterList().defaultName, before.defaultName);
}

TEST_F(PrintTest, PrintEndEndsADirectDeviceAndPreviewsASpoolingOne)
{
    auto direct = kv::PRINTBEGIN(QStringLiteral("Direct end"));
    ASSERT_NE(direct->hDC, 0u);
    kv::PRINTEND();
    EXPECT_EQ(direct->hDC, 0u);
    EXPECT_EQ(kv::currentPrinter(), nullptr);

    int previews = 0;
    kv::setPreviewHandler([&](kv::TPrinter& device) {
        ++previews;
        EXPECT_EQ(device.aMeta.size(), 1);
        EXPECT_TRUE(QFileInfo::exists(device.aMeta.front()));
    });
    auto spooling = kv::PRINTBEGIN(QStringLiteral("Spooled end"), false, true);
    kv::PAGEBEGIN();
    spooling->Line(10, 10, 100, 100);
    kv::PAGEEND();
    kv::PRINTEND();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(kv::currentPrinter(), nullptr);
    EXPECT_NE(spooling->hDC, 0u);  // the preview owns it now and ends it when it closes
    spooling->End();
    EXPECT_FALSE(QFileInfo::exists(spooling->aMeta.front()));

    // No pages spooled: nothing to preview, the device is ended.
    auto empty = kv::PRINTBEGIN(QStringLiteral("Spooled nothing"), false, true);
    kv::PRINTEND();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(empty->hDC, 0u);
}

TEST_F(PrintTest, TheCurrentDeviceLivesUntilItEnds)
{
    std::weak_ptr<kv::TPrinter> watched = kv::PRINTBEGIN(QStringLiteral("Kept"));
    EXPECT_FALSE(watched.expired());  // the module holds it
    kv::PAGEBEGIN();
    EXPECT_EQ(watched.lock()->nPage, 1);
    kv::PRINTEND();
    EXPECT_TRUE(watched.expired());
}

} // namespace
