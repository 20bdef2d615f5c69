#pragma once
// What the export tests share: the built-in PDF printer as the device pages are recorded
// against, page files recorded through it (named as a preview names them, E001nnnn.emf),
// corpus pages, and recorded message boxes.
#include "common/messagerecorder.h"
#include "common/testenv.h"

#include "gdi/metafileapi.h"
#include "print/tprinter.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace kvtest {

// A tmpfs of a few kilobytes, mounted for the life of the object (only root may mount; `reason`
// says why not otherwise).
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    QString reason() const { return reason_; }
    QString path(const QString& name = {}) const;

private:
    QTemporaryDir mountPoint_;
    bool mounted_ = false;
    QString reason_;
};

// The names in a directory, hidden and temporary files included.
QStringList allEntries(const QString& dir);

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Page files 1 … n in pageDir: a frame, a numbered box and a line of text each.
    QStringList makePages(int count);
    // A page file recorded afresh as the save records it (the caller deletes it).
    kv::HENHMETAFILE recordedPage(const QString& pageFile, bool wmf = false);
    // The corpus spool pages (A4 pages of real print jobs), or nothing (the test skips).
    QStringList spoolPages();
    // A path under the output directory.
    QString out(const QString& name) const { return outDir.filePath(name); }
    // The messages shown so far, as "title|text".
    QStringList shown() const;

    QTemporaryDir pageDir, outDir;
    std::unique_ptr<kv::TPrinter> device;
    MessageRecorder messages;
};

} // namespace kvtest
