// How soon korvelle ends once its window is asked to close (the close request that closing the
// window, the Exit button and SIGTERM all make). Target: within 0.3 s. Each run starts the real
// program offscreen on a one-page report, waits until its window is up, asks it to close and
// times the way to the process's end, reaped by this process as its parent.
#include "guibenchmain.h"
#include "gdi/metafileapi.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <csignal>

namespace {

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

void writePage(const QString& path)
{
    const kv::HDC hdc = kv::CREATEENHMETAFILE(0, path);
    if (kv::gdi::Dc* dc = kv::dcFromHandle(hdc))
        dc->rectangle({100, 100, 900, 1200});
    kv::DELETEENHMETAFILE(kv::CLOSEENHMETAFILE(hdc));
}

void BM_EndAfterCloseRequest(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir windir, spool, cwd, pdf;
        writePage(spool.filePath("tmp0001.emf"));
        writeText(windir.filePath("KORVELLE.TMP"),
                  "[General]\r\nPath=" + QFile::encodeName(spool.path()) + "\r\nDocument=Shutdown\r\nPrinter=PDF File\r\n");
        writeText(cwd.filePath("KORVELLE.INI"), "[General]\r\nMaximize=0\r\n");
        QProcess korvelle;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("WINDIR", windir.path());
        env.insert("XDG_RUNTIME_DIR", windir.path());
        env.insert("TEMP", spool.path());
        env.insert("KV_PDF_DIR", pdf.path());
        env.insert("KV_RESOURCE_DIR", KV_BUILD_DIR "/app");
        korvelle.setProcessEnvironment(env);
        korvelle.setWorkingDirectory(cwd.path());
        korvelle.start(KV_BUILD_DIR "/app/korvelle", {});
        if (!korvelle.waitForStarted(10000))
            return state.SkipWithError("korvelle could not be started");
        // The hand-off file is consumed as the window is built; then it paints.
        for (int i = 0; i < 300 && QFile::exists(windir.filePath("KORVELLE.TMP")); ++i)
            QThread::msleep(10);
        QThread::msleep(500);
        if (korvelle.state() != QProcess::Running)
            return state.SkipWithError("korvelle ended before its window was asked to close");
        QElapsedTimer timer;
        timer.start();
        ::kill(pid_t(korvelle.processId()), SIGTERM);
        korvelle.waitForFinished(10000);
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        if (korvelle.exitStatus() != QProcess::NormalExit || korvelle.exitCode() != 0)
            return state.SkipWithError("korvelle did not end normally");
    }
}
BENCHMARK(BM_EndAfterCloseRequest)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

KV_GUI_BENCHMARK_MAIN()
