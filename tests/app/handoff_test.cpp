#include "app/handoff.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class HandoffFileTest : public ::testing::Test {
protected:
    QString path() const { return dir.path() + QStringLiteral("/KORVELLE.TMP"); }
    QByteArray contents() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void setContents(const QByteArray& bytes)
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QTemporaryDir dir;
};

TEST_F(HandoffFileTest, WriteCreatesTheFileWithTheKeysInTheirOrder)
{
    const kv::HandoffFile handoff(path());
    ASSERT_FALSE(handoff.exists());
    ASSERT_TRUE(handoff.write(QStringLiteral("PDF File"), QStringLiteral("/var/spool/rep"),
                              QStringLiteral("Sales 2026"), 2));
    ASSERT_TRUE(handoff.exists());
    const QByteArray text = contents();
    const qsizetype printer = text.indexOf("Printer=PDF File");
    const qsizetype spool = text.indexOf("Path=/var/spool/rep");
    const qsizetype document = text.indexOf("Document=Sales 2026");
    const qsizetype orientation = text.indexOf("Orientation=2");
    ASSERT_GE(printer, 0) << text.toStdString();
    EXPECT_LT(printer, spool);
    EXPECT_LT(spool, document);
    EXPECT_LT(document, orientation);
    EXPECT_TRUE(text.startsWith("[General]")) << text.toStdString();
}

TEST_F(HandoffFileTest, ReadGivesEveryKeyAndEmptyTextForAbsentOnes)
{
    setContents("[general]\r\npath = /tmp/spool\r\nDOCUMENT=Invoice 7\r\nParentWnd=4711\r\n");
    const kv::Handoff h = kv::HandoffFile(path()).read();
    EXPECT_EQ(h.path, QStringLiteral("/tmp/spool"));
    EXPECT_EQ(h.document, QStringLiteral("Invoice 7"));
    EXPECT_EQ(h.parentWnd, QStringLiteral("4711"));
    EXPECT_TRUE(h.orientation.isEmpty());
    EXPECT_TRUE(h.printer.isEmpty());
}

TEST_F(HandoffFileTest, WriteReplacesValuesAndKeepsKeysItDoesNotWrite)
{
    setContents("[General]\nParentWnd=99\nPath=/old\nOrientation=1\n");
    const kv::HandoffFile handoff(path());
    ASSERT_TRUE(handoff.write(QStringLiteral("Laser"), QStringLiteral("/new"), QStringLiteral("Doc"), 2));
    const kv::Handoff h = handoff.read();
    EXPECT_EQ(h.parentWnd, QStringLiteral("99"));
    EXPECT_EQ(h.path, QStringLiteral("/new"));
    EXPECT_EQ(h.orientation, QStringLiteral("2"));
    EXPECT_EQ(h.printer, QStringLiteral("Laser"));
    EXPECT_EQ(contents().count("Path="), 1);
}

TEST_F(HandoffFileTest, RemoveDeletesTheFileAndADirectoryIsNoHandoffFile)
{
    const kv::HandoffFile handoff(path());
    ASSERT_TRUE(handoff.write({}, {}, {}, 1));
    EXPECT_TRUE(handoff.remove());
    EXPECT_FALSE(handoff.exists());
    ASSERT_TRUE(QDir().mkdir(path()));
    EXPECT_FALSE(handoff.exists());
}

TEST_F(HandoffFileTest, WriteIntoAMissingDirectoryFails)
{
    const kv::HandoffFile handoff(dir.path() + QStringLiteral("/missing/KORVELLE.TMP"));
    EXPECT_FALSE(handoff.write(QStringLiteral("PDF File"), QStringLiteral("/x"), QStringLiteral("D"), 1));
    EXPECT_FALSE(handoff.exists());
}

} // namespace
