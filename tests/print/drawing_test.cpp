// The drawing methods on a spooled page, read back from the page file: where they draw, in
// which mapping, and the import of a metafile into its frame.
#include "printtestenv.h"

#include "gdi/readers.h"

#include <QDir>
#include <QFile>

namespace {

class DrawingTest : public kvtest::PrintTest {
protected:
    void SetUp() override
    {
        PrintTest::SetUp();
        ASSERT_TRUE(spool_.isValid());
        savedTemp_ = qgetenv("TEMP");
        qputenv("TEMP", spool_.path().toUtf8());
        device_ = std::make_unique<kv::TPrinter>(QStringLiteral("Drawing"), false, true);
        ASSERT_NE(device_->hDC, 0u);
    }
    void TearDown() override
    {
        device_.reset();
        if (savedTemp_.isNull()) qunsetenv("TEMP");
        else qputenv("TEMP", savedTemp_);
        PrintTest::TearDown();
    }

    // Draws one page and returns the bounds its file records (device pixels, inclusive).
    kv::gdi::RectL page(const std::function<void(kv::TPrinter&)>& draw)
    {
        device_->StartPage();
        draw(*device_);
        device_->EndPage();
        QFile file(device_->aMeta.back());
        if (!file.open(QIODevice::ReadOnly)) return {};
        const QByteArray bytes = file.readAll();
        const auto picture = kv::gdi::readEmf({reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())});
        return picture ? picture->header.bounds : kv::gdi::RectL{};
    }

    std::unique_ptr<kv::TPrinter> device_;
    QTemporaryDir spool_;
    QByteArray savedTemp_;
};

void expectNear(const kv::gdi::RectL& got, const kv::gdi::RectL& want, int tolerance, const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_NEAR(got.left, want.left, tolerance);
    EXPECT_NEAR(got.top, want.top, tolerance);
    EXPECT_NEAR(got.right, want.right, tolerance);
    EXPECT_NEAR(got.bottom, want.bottom, tolerance);
}

TEST_F(DrawingTest, ShapesLandWhereRowsAndColumnsSay)
{
    expectNear(page([](kv::TPrinter& d) { d.Line(300, 100, 700, 500); }), {100, 300, 500, 700}, 3, "Line");
    expectNear(page([](kv::TPrinter& d) {
                   d.FillRect({200, 400, 260, 1400}, kv::gdi::makeObject(kv::gdi::Brush{kv::gdi::BS_SOLID, 0xFF, 0, {}, false}));
               }),
               {400, 200, 1399, 259}, 1, "FillRect");
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    expectNear(page([&](kv::TPrinter& d) { d.SayImage(50, 60, image); }), {60, 50, 99, 79}, 1, "SayImage");
    expectNear(page([&](kv::TPrinter& d) { d.SayImage(50, 60, image, 400, 300); }), {60, 50, 459, 349}, 1,
               "SayImage stretched");
}

TEST_F(DrawingTest, MappingModesScaleTheDrawing)
{
    // Low metric: 0.1 mm per unit, y up. 600 dpi is 23.62 px/mm.
    const auto r = page([](kv::TPrinter& d) {
        d.SetLoMetricMode();
        d.Box(-100, 100, -200, 300);  // 10..30 mm across, 10..20 mm down
    });
    const double perMm = 600 / 25.4;
    expectNear(r, {int(10 * perMm), int(10 * perMm), int(30 * perMm), int(20 * perMm)}, 3, "LoMetric box");
}

TEST_F(DrawingTest, SayAlignsOnTheColumnAndNeverLeftOfZero)
{
    const double width = device_->GetTextWidth(QStringLiteral("Total"));
    ASSERT_GT(width, 0);
    const auto left = page([](kv::TPrinter& d) { d.Say(100, 1000, QStringLiteral("Total")); });
    const auto right = page([](kv::TPrinter& d) { d.Say(100, 1000, QStringLiteral("Total"), {}, 0, {}, 1, 1); });
    const auto centred = page([](kv::TPrinter& d) { d.Say(100, 1000, QStringLiteral("Total"), {}, 0, {}, 1, 2); });
    const auto clamped = page([](kv::TPrinter& d) { d.Say(100, 10, QStringLiteral("Total"), {}, 0, {}, 1, 1); });
    EXPECT_NEAR(left.left - right.left, width, 3);
    EXPECT_NEAR(left.left - centred.left, width / 2, 3);
    EXPECT_NEAR(clamped.left, left.left - 1000, 3);
    EXPECT_GE(left.top, 100);
    device_->nPad = 1;
    const auto byDefault = page([](kv::TPrinter& d) { d.Say(100, 1000, QStringLiteral("Total")); });
    EXPECT_EQ(byDefault.left, right.left);
}

TEST_F(DrawingTest, ImportedMetafileFillsItsFrameOnThePrintableArea)
{
    // A page of the same printer, with a box near the middle, is imported into another page.
    page([](kv::TPrinter& d) { d.Box(2000, 1500, 3000, 3000); });
    const QString source = QDir(spool_.path()).filePath(QStringLiteral("source.emf"));
    ASSERT_TRUE(QFile::copy(device_->aMeta.back(), source));
    const auto frame = [&] {
        const auto h = kv::GETENHMETAFILE(source);
        const auto f = kv::ENHMETASIZE(h, 2);
        kv::DELETEENHMETAFILE(h);
        return f;
    }();
    const auto target = device_->mmRect2Pix({double(frame[0]), double(frame[1]), double(frame[2]), double(frame[3])});
    const auto imported = page([&](kv::TPrinter& d) { d.ImportEMF(source); });
    EXPECT_NEAR(imported.left, target[0], 3);
    EXPECT_NEAR(imported.top, target[1], 3);
    EXPECT_NEAR(imported.right, target[2], 3);
    EXPECT_NEAR(imported.bottom, target[3], 3);
    EXPECT_TRUE(messages.empty());

    page([](kv::TPrinter& d) { d.ImportEMF(QStringLiteral("/no/such/page.emf")); });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "/no/such/page.emf not found");
    EXPECT_FALSE(device_->ImportRAW(source));
}

} // namespace
