#include "app/errorreport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cstdlib>
#include <cxxabi.h>
#include <execinfo.h>
#include <memory>

namespace kv {

namespace {

QStringList& argumentStore()
{
    static QStringList arguments;
    return arguments;
}

QString applicationLine()
{
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    const QString path = exe.symLinkTarget().isEmpty() ? exe.filePath() : exe.symLinkTarget();
    return path + QStringLiteral(" (") + QString::number(QFileInfo(path).size())
        + QStringLiteral(" bytes)");
}

// "binary(mangled+0x1f) [0x4011]" -> "binary(readable name+0x1f) [0x4011]".
QString demangledFrame(const char* symbol)
{
    QString frame = QString::fromLocal8Bit(symbol);
    const qsizetype open = frame.indexOf(u'(');
    const qsizetype plus = frame.indexOf(u'+', open + 1);
    if (open < 0 || plus <= open + 1)
        return frame;
    const QByteArray mangled = frame.mid(open + 1, plus - open - 1).toLocal8Bit();
    return frame.left(open + 1) + demangledName(mangled.constData()) + frame.mid(plus);
}

void appendBlock(QString& text, const QString& title, const QStringList& lines)
{
    text += title + QStringLiteral(":\n");
    for (const QString& line : lines)
        text += QStringLiteral("  ") + line + u'\n';
    if (lines.isEmpty())
        text += QStringLiteral("  (unknown)\n");
}

} // namespace

QString demangledName(const char* mangled)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    return status == 0 && name ? QString::fromLocal8Bit(name.get()) : QString::fromLocal8Bit(mangled);
}

void rememberArguments(const QStringList& arguments)
{
    argumentStore() = arguments;
}

QStringList rememberedArguments()
{
    return argumentStore();
}

QStringList callStack(int skipFrames)
{
    void* frames[64];
    const int count = ::backtrace(frames, 64);
    std::unique_ptr<char*, void (*)(void*)> symbols(::backtrace_symbols(frames, count), std::free);
    QStringList stack;
    if (!symbols)
        return stack;
    // Frame 0 is this function itself.
    for (int i = 1 + skipFrames; i < count; ++i)
        stack << demangledFrame(symbols.get()[i]);
    return stack;
}

QStringList memoryUse()
{
    QFile status(QStringLiteral("/proc/self/status"));
    QStringList lines;
    if (!status.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& raw : status.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).simplified();
        if (line.startsWith(QLatin1String("VmRSS:")) || line.startsWith(QLatin1String("VmHWM:"))
            || line.startsWith(QLatin1String("VmSize:")))
            lines << line;
    }
    return lines;
}

QString errorReportText(const QString& description, const QStringList& details)
{
    QString text;
    text += QStringLiteral("Application: ") + applicationLine() + u'\n';
    text += QStringLiteral("Time: ")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u'\n';
    text += QStringLiteral("Error: ") + description + u'\n';
    appendBlock(text, QStringLiteral("Arguments"), rememberedArguments() + details);
    appendBlock(text, QStringLiteral("Call stack"), callStack(1));
    appendBlock(text, QStringLiteral("Memory"), memoryUse());
    return text;
}

bool writeErrorLog(const QString& report)
{
    QFile log(QString::fromLatin1(kErrorLogName));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    const QByteArray bytes = (report + QStringLiteral("\n")).toUtf8();
    return log.write(bytes) == bytes.size() && log.flush();
}

} // namespace kv
