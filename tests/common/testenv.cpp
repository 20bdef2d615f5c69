#include "testenv.h"
#include <QDir>
#include <QFileInfo>

namespace kvtest {

std::optional<QString> corpusDir()
{
    const QString fromEnv = qEnvironmentVariable("KV_CORPUS_DIR");
    const QString path = fromEnv.isEmpty()
        ? QDir::cleanPath(QStringLiteral(KV_SOURCE_DIR) + "/../shared/corpus")
        : fromEnv;
    if (QFileInfo(path + "/emf").isDir())
        return path;
    return std::nullopt;
}

QString dataFile(const QString& name)
{
    return QStringLiteral(KV_SOURCE_DIR) + "/tests/data/" + name;
}

QString buildFile(const QString& name)
{
    return QStringLiteral(KV_BUILD_DIR) + "/" + name;
}

} // namespace kvtest
