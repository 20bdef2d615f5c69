#include "ziparchive.h"

#include "outputnames.h"

#include "lang/kvgl.h"
#include "platform/notify.h"

#include <QFile>
#include <QFileInfo>
#include <zip.h>

namespace kv {

namespace {

QString archiveError(zip_t* archive) { return QString::fromLocal8Bit(zip_strerror(archive)); }

} // namespace

ZipResult writeZipArchive(const QString& archive, const QStringList& files, int level)
{
    int openError = 0;
    zip_t* za = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &openError);
    if (!za) {
        zip_error_t error;
        zip_error_init_with_code(&error, openError);
        const QString reason = QString::fromLocal8Bit(zip_error_strerror(&error));
        zip_error_fini(&error);
        return {false, reason};
    }
    for (const QString& file : files) {
        if (!QFileInfo(file).isFile()) {
            zip_discard(za);
            return {false, QStringLiteral("%1: no such file").arg(file)};
        }
        zip_source_t* source = zip_source_file(za, QFile::encodeName(file).constData(), 0, 0);
        const zip_int64_t index = source
            ? zip_file_add(za, QFileInfo(file).fileName().toUtf8().constData(), source, ZIP_FL_ENC_UTF_8)
            : -1;
        if (index < 0 || zip_set_file_compression(za, zip_uint64_t(index), ZIP_CM_DEFLATE, zip_uint32_t(level)) < 0) {
            if (source && index < 0)
                zip_source_free(source);
            const QString reason = QStringLiteral("%1: %2").arg(file, archiveError(za));
            zip_discard(za);
            return {false, reason};
        }
    }
    if (zip_close(za) < 0) {
        const QString reason = archiveError(za);
        zip_discard(za);
        return {false, reason};
    }
    return {true, {}};
}

bool zipOutputFiles(const QStringList& files, const QString& outputName)
{
    if (files.isEmpty())
        return false;
    const ZipResult result = writeZipArchive(archiveName(outputName), files, 5);
    if (!result.written)
        alertBox((KV_GL(QStringLiteral("Error Zipping")) + QLatin1Char('\n') + result.reason).toStdString());
    return result.written;
}

} // namespace kv
