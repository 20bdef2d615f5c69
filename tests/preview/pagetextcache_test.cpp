// The page-text cache: texts are read on a worker, not while asked; each file once, again
// when it changes on disk; a file that is no page gives an empty text, not a fault.
#include "testenv.h"

#include "gdi/metafileapi.h"
#include "preview/pagetextcache.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(PageTextCacheTest, ReadsEachPageOnceOffTheCallerAndAgainWhenItChanges)
{
    const auto corpus = kvtest::corpusDir();
    if (!corpus)
        GTEST_SKIP() << "no corpus beside the project (../shared/corpus)";
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("tmp0001.emf"));
    const QString broken = dir.filePath(QStringLiteral("tmp0002.emf"));
    ASSERT_TRUE(QFile::copy(*corpus + QStringLiteral("/emf/spool-EMFSpool_0000.emf"), page));
    QFile::setPermissions(page, QFile::ReadOwner | QFile::WriteOwner);
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a metafile at all");
    }

    kv::PageTextCache cache(kv::displayCaps());
    QSignalSpy ready(&cache, &kv::PageTextCache::textReady);
    EXPECT_EQ(cache.text(page), nullptr) << "asking queues the page; it is not read on the caller's thread";
    cache.request({page, broken});
    cache.waitForQueued();
    EXPECT_EQ(ready.count(), 2);
    EXPECT_TRUE(cache.hasAll({page, broken}));
    const auto text = cache.text(page);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text, QStringLiteral("Hello World"));
    ASSERT_TRUE(cache.text(broken));
    EXPECT_TRUE(cache.text(broken)->text.isEmpty());
    cache.request({page, broken});
    cache.waitForQueued();
    EXPECT_EQ(cache.extractions(), 2) << "read once";

    // Another page under the same name is read again.
    ASSERT_TRUE(QFile::remove(page));
    ASSERT_TRUE(QFile::copy(*corpus + QStringLiteral("/emf/spool-EMFSpool_0014.emf"), page));
    EXPECT_EQ(cache.text(page), nullptr);
    cache.waitForQueued();
    ASSERT_TRUE(cache.text(page));
    EXPECT_TRUE(cache.text(page)->text.contains(QStringLiteral("Lindemann")));
    EXPECT_EQ(cache.extractions(), 3);
}

} // namespace
