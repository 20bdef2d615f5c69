#include "printtestenv.h"

#include <QPrinterInfo>
#include <QProcess>

namespace kvtest {

void PrintTest::SetUp()
{
    ASSERT_TRUE(pdfDir_.isValid());
    savedPdfDir_ = qgetenv("KV_PDF_DIR");
    qputenv("KV_PDF_DIR", pdfDir_.path().toUtf8());
    usePrinters({kv::kPdfFilePrinter});
    kv::resetSharedPrinterState();
    kv::setMessageHandler([this](const kv::Message& m) { messages.push_back(m); });
    kv::setToneHandler([this](int hertz, int) { tones.push_back(hertz); });
    kv::setPrinterChooser([this](const QString& why) {
        ++chooserCalls;
        chooserReason = why;
        return chooserAnswer;
    });
}

void PrintTest::TearDown()
{
    kv::PRINTEND();
    kv::setPrinterChooser({});
    kv::setPageSetupHook({});
    kv::setPreviewHandler({});
    kv::setPrinterListProvider({});
    kv::setMessageHandler({});
    kv::setToneHandler({});
    kv::resetSharedPrinterState();
    if (savedPdfDir_.isNull()) qunsetenv("KV_PDF_DIR");
    else qputenv("KV_PDF_DIR", savedPdfDir_);
}

void PrintTest::usePrinters(const QStringList& names)
{
    kv::setPrinterListProvider([names] { return kv::PrinterList{names, kv::kPdfFilePrinter}; });
}

QString runTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

namespace {
bool schedulerRunning()
{
    return runTool(QStringLiteral("lpstat"), {QStringLiteral("-r")}).contains(QStringLiteral("scheduler is running"));
}
} // namespace

bool cupsPdfQueueReady()
{
    return schedulerRunning() && QPrinterInfo::availablePrinterNames().contains(QStringLiteral("PDF"));
}

} // namespace kvtest
