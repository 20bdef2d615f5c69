// The INI module against real files: matching without case, the 1023-character cut, empty
// against missing values, and writes that change one line and keep every other byte.
#include "ordinaryuser.h"
#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path(const QString& name = "KORVELLE.INI") const { return dir.filePath(name); }
    void write(const QByteArray& bytes, const QString& name = "KORVELLE.INI") const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name = "KORVELLE.INI") const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir dir;
};

const QByteArray kSample =
    "; settings of the preview\n"
    "[General]\n"
    "Maximize=0\n"
    "  BackgroundColor =  255,255,255  \n"
    "Empty=\n"
    "Quoted=\"  spaced  \"\n"
    "\n"
    "[Zoom]\n"
    "SoftZoom=0.1\n"
    "3=2.5\n";

TEST_F(IniFileTest, ReadsValuesWithoutRegardToCase)
{
    write(kSample);
    const kv::IniFile ini(path());
    struct Case { const char* section; const char* key; const char* want; };
    const Case cases[] = {
        {"General", "Maximize", "0"},
        {"GENERAL", "maximize", "0"},
        {"general", "BACKGROUNDCOLOR", "255,255,255"},
        {"Zoom", "softzoom", "0.1"},
        {"zoom", "3", "2.5"},
        {"General", "Quoted", "  spaced  "},
        {"General", "Empty", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.readString(c.section, c.key, "default"), QString(c.want)) << c.section << "/" << c.key;
}

TEST_F(IniFileTest, MissingKeySectionOrFileGivesTheDefault)
{
    write(kSample);
    const kv::IniFile ini(path());
    EXPECT_EQ(ini.readString("General", "Language", "1"), "1");
    EXPECT_EQ(ini.readString("SendTo", "ShowSendTo", "1"), "1");
    EXPECT_EQ(ini.readString("Zoom", "Maximize", "x"), "x") << "keys belong to their own section";
    EXPECT_EQ(ini.readString("General", "Empty", "default"), "") << "present but empty is not missing";

    const kv::IniFile missing(path("NONE.INI"));
    EXPECT_FALSE(missing.exists());
    EXPECT_EQ(missing.readString("General", "Maximize", "1"), "1");
    EXPECT_TRUE(missing.keys("General").isEmpty());
}

TEST_F(IniFileTest, ValuesAreCutAt1023Characters)
{
    const QByteArray exact(1023, 'a');
    const QByteArray longer = QByteArray(1023, 'b') + "tail";
    write("[S]\nexact=" + exact + "\nlong=" + longer + "\n");
    const kv::IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "exact"), QString(exact));
    EXPECT_EQ(ini.readString("S", "long"), QString(longer.left(kv::IniFile::kMaxValueLength)));
}

TEST_F(IniFileTest, CommentsAndLinesWithoutKeysAreNeverMatched)
{
    write("[S]\n;Key=commented\nno equals sign\n=nameless\nKey=real\n");
    const kv::IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "Key"), "real");
    EXPECT_EQ(ini.keys("S"), QStringList{"Key"});
}

TEST_F(IniFileTest, AByteOrderMarkDoesNotHideTheFirstSection)
{
    write("\xEF\xBB\xBF[General]\nLanguage=2\n");
    kv::IniFile ini(path());
    EXPECT_EQ(ini.readString("General", "Language"), "2");
    ASSERT_TRUE(ini.writeString("General", "Language", "3"));
    EXPECT_EQ(read(), "\xEF\xBB\xBF[General]\nLanguage=3\n");
}

TEST_F(IniFileTest, ListsTheKeysOfASectionInFileOrder)
{
    write(kSample);
    const kv::IniFile ini(path());
    EXPECT_EQ(ini.keys("general"), (QStringList{"Maximize", "BackgroundColor", "Empty", "Quoted"}));
    EXPECT_EQ(ini.keys("Zoom"), (QStringList{"SoftZoom", "3"}));
}

TEST_F(IniFileTest, ReplacesAValueInPlaceAndKeepsEveryOtherLine)
{
    write(kSample);
    kv::IniFile ini(path());
    ASSERT_TRUE(ini.writeString("general", "MAXIMIZE", "1"));
    QByteArray want = kSample;
    want.replace("Maximize=0\n", "Maximize=1\n");
    EXPECT_EQ(read(), want);
    EXPECT_EQ(ini.readString("General", "Maximize"), "1");
}

TEST_F(IniFileTest, AddsAMissingKeyAtTheEndOfItsSection)
{
    write(kSample);
    kv::IniFile ini(path());
    ASSERT_TRUE(ini.writeString("General", "Language", "2"));
    QByteArray want = kSample;
    want.replace("Quoted=\"  spaced  \"\n", "Quoted=\"  spaced  \"\nLanguage=2\n");
    EXPECT_EQ(read(), want);
}

TEST_F(IniFileTest, AddsAMissingSectionAtTheEnd)
{
    write(kSample);
    kv::IniFile ini(path());
    ASSERT_TRUE(ini.writeString("Save2File", "FileName", "report"));
    EXPECT_EQ(read(), kSample + "\n[Save2File]\nFileName=report\n");
    EXPECT_EQ(ini.readString("SAVE2FILE", "filename"), "report");
}

TEST_F(IniFileTest, CreatesTheFileOnFirstWrite)
{
    kv::IniFile ini(path("NEW.INI"));
    ASSERT_FALSE(ini.exists());
    ASSERT_TRUE(ini.writeString("Save2File", "Overwrite", "1"));
    ASSERT_TRUE(ini.writeString("Save2File", "ZipFiles", "0"));
    EXPECT_EQ(read("NEW.INI"), "[Save2File]\nOverwrite=1\nZipFiles=0\n");
}

TEST_F(IniFileTest, KeepsWindowsLineBreaksAndAFileWithoutFinalLineBreak)
{
    write("[General]\r\nMaximize=0\r\n[Zoom]\r\n1=1.5");
    kv::IniFile ini(path());
    ASSERT_TRUE(ini.writeString("Zoom", "2", "3"));
    ASSERT_TRUE(ini.writeString("General", "Maximize", "1"));
    EXPECT_EQ(read(), "[General]\r\nMaximize=1\r\n[Zoom]\r\n1=1.5\r\n2=3\r\n");
}

TEST_F(IniFileTest, AValueCannotAddLinesOfItsOwn)
{
    kv::IniFile ini(path());
    ASSERT_TRUE(ini.writeString("Save2File", "FileName", "a\n[General]\nMaximize=0"));
    EXPECT_EQ(ini.readString("General", "Maximize", "none"), "none");
    EXPECT_EQ(ini.readString("Save2File", "FileName"), "a [General] Maximize=0");
}

TEST_F(IniFileTest, TheFirstOfDuplicateSectionsAndKeysCounts)
{
    write("[S]\nk=first\nk=second\n[s]\nk=third\nother=x\n");
    kv::IniFile ini(path());
    EXPECT_EQ(ini.readString("S", "k"), "first");
    EXPECT_EQ(ini.readString("S", "other", "absent"), "absent");
    ASSERT_TRUE(ini.writeString("S", "K", "new"));
    EXPECT_EQ(read(), "[S]\nk=new\nk=second\n[s]\nk=third\nother=x\n");
}

TEST_F(IniFileTest, AFailedWriteLeavesTheFileAsItWas)
{
    write(kSample);
    const std::string failure = kvtest::asOrdinaryUser(dir.path(), [&]() -> std::string {
        if (!QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner)) return "folder not made read-only";
        kv::IniFile ini(path());
        const bool written = ini.writeString("General", "Maximize", "1");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return written ? "the write into a read-only folder reported success" : "";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(read(), kSample);
}

TEST_F(IniFileTest, AFileThatCannotBeReadIsNeverReplaced)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("KORVELLE.INI"));  // there, but no file to read
    kv::IniFile ini(path());
    EXPECT_EQ(ini.readString("General", "Maximize", "1"), "1");
    EXPECT_FALSE(ini.writeString("General", "Maximize", "0"));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(IniFileTest, AWriteReplacesTheFileAtomically)
{
    write(kSample);
    const QString linkPath = path("other-name.ini");
    ASSERT_EQ(::link(QFile::encodeName(path()).constData(), QFile::encodeName(linkPath).constData()), 0)
        << "a second (hard) name of the old file";
    kv::IniFile ini(path());
    ASSERT_TRUE(ini.writeString("General", "Maximize", "1"));
    // A new file took the name: whoever still held the old one read it whole and unchanged.
    EXPECT_EQ(read("other-name.ini"), kSample);
    EXPECT_EQ(kv::IniFile(path()).readString("General", "Maximize"), "1");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "no temporary file left";
}

} // namespace
