// Save as from the preview window the way a user does it, on pages of real print jobs: the
// bar's Save as button, PNG, pages 2 to 3, Save; then the two files and what they show.
// CTest runs this test twice: offscreen, and in a real X window under Xvfb.
#include "savedialogdriver.h"

#include "common/imagereaders.h"
#include "common/testenv.h"
#include "gdi/readers.h"
#include "gdi/render.h"
#include "gdi/metafileapi.h"
#include "preview/barbutton.h"
#include "preview/previewwindow.h"

#include <QDir>
#include <QSpinBox>
#include <QTest>

namespace kvtest {
namespace {

class SaveAsWindowTest : public SaveDialogDriver {
protected:
    kv::BarButtonWidget* barButton(const QString& bitmap) const
    {
        for (int i = 0; i < buttonCount(); ++i)
            if (button(i)->bitmapName() == bitmap)
                return button(i);
        return nullptr;
    }
};

TEST_F(SaveAsWindowTest, PagesTwoToThreeAsPngFromTheBar)
{
    const std::optional<QString> corpus = corpusDir();
    if (!corpus)
        GTEST_SKIP() << "the shared corpus (../shared/corpus or $KV_CORPUS_DIR) is not here";
    const QDir emf(*corpus + "/emf");
    QStringList spool;
    for (const QString& name : emf.entryList({"spool-*.emf"}, QDir::Files, QDir::Name).mid(0, 4))
        spool << emf.filePath(name);
    ASSERT_EQ(spool.size(), 4) << "the corpus holds fewer than four spool pages";
    openFiles(spool);
    ASSERT_FALSE(HasFatalFailure());
    kv::BarButtonWidget* save = barButton("SAVE");
    ASSERT_TRUE(save);

    const QString name = cwd.filePath("report.png");
    whileModal([&] { click(save); }, [&](QDialog& d) {
        activate(d);
        typeName(d, name);
        chooseFormat(d, 5);
        clickRadio(d, 303);
        enterField(control<QSpinBox>(d, 311), "2");
        enterField(control<QSpinBox>(d, 312), "3");
        clickButton(d, 101);
    });

    EXPECT_EQ(savedFiles(), (QStringList{"report0002.png", "report0003.png"}));
    EXPECT_EQ(setting("Format"), "PNG - Portable Network Graphic");
    EXPECT_EQ(setting("Option"), "None");
    EXPECT_EQ(window().statusBar()->currentMessage().toStdString(), ("2 files written to " + cwd.path()).toStdString());
    std::vector<QImage> saved;
    for (int page : {2, 3}) {
        const auto png = readPng(cwd.filePath(QStringLiteral("report%1.png").arg(page, 4, 10, QLatin1Char('0'))));
        ASSERT_TRUE(png) << "page " << page;
        // What the page shows drawn straight from its file at the export's 150 dpi.
        const kv::gdi::PicturePtr original = kv::gdi::readMetafileFile(spool[page - 1], kv::displayCaps());
        ASSERT_TRUE(original);
        const QImage own = kv::gdi::renderPictureDpi(*original, 150);
        EXPECT_NEAR(png->pixels.width(), own.width(), 0.005 * own.width()) << "page " << page;
        EXPECT_NEAR(png->pixels.height(), own.height(), 0.005 * own.height()) << "page " << page;
        EXPECT_GT(darkCovered(own, png->pixels), 0.95) << "page " << page;
        EXPECT_GT(darkCovered(png->pixels, own), 0.95) << "page " << page;
        EXPECT_EQ(png->pixels.pixel(0, 0), qRgb(255, 255, 255)) << "page " << page;  // the sheet
        saved.push_back(png->pixels);
    }
    EXPECT_FALSE(sameRgb(saved[0], saved[1]));
    EXPECT_TRUE(messages.messages.empty());
}

} // namespace
} // namespace kvtest
