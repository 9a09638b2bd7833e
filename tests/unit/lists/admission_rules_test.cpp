#include "lists/core/admission_rules.h"
#include "tests/unit/code_pages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Windows' own spellings: GetSystemDirectory and the folder browser differ in letter case.
const char kSystemDir[] = "C:\\WINDOWS\\system32";
const char kSystemDir32[] = "C:\\WINDOWS\\SysWOW64";
const char kInstallDir[] = "C:\\Apps\\Lk";
const LockRuleFolders kFolders{{kSystemDir, kSystemDir32}, {kInstallDir}};

PathCheckResult Decide(const std::string& path, const LockRuleFolders& folders = kFolders)
{
    return DecideLockPath({path}, folders, kCp1252);
}

TEST(LeadingPart, IsAPrefixOfTheTextInAnyLetterCaseWithoutNormalisation)
{
    EXPECT_TRUE(IsLeadingPart("C:\\WIN", kSystemDir, kCp1252));
    EXPECT_TRUE(IsLeadingPart(kSystemDir, kSystemDir, kCp1252));
    EXPECT_TRUE(IsLeadingPart("c:\\windows", kSystemDir, kCp1252));
    EXPECT_TRUE(IsLeadingPart("C:\\Windows\\System32", kSystemDir, kCp1252));
    EXPECT_TRUE(IsLeadingPart("C:\\DONN\xC9" "ES", "c:\\donn\xE9" "es\\x", kCp1252)) << "accented letters fold too";
    EXPECT_TRUE(IsLeadingPart("", kSystemDir, kCp1252));
    EXPECT_TRUE(IsLeadingPart("", "", kCp1252));
    EXPECT_TRUE(IsLeadingPart(nullptr, kSystemDir, kCp1252));
    EXPECT_FALSE(IsLeadingPart("C:\\WINDOWS\\system32\\", kSystemDir, kCp1252)) << "longer than the text";
    EXPECT_FALSE(IsLeadingPart("C:/WINDOWS", kSystemDir, kCp1252)) << "no separator is normalised";
    EXPECT_FALSE(IsLeadingPart("C:\\WINDOWS\\system33", kSystemDir, kCp1252));
    EXPECT_FALSE(IsLeadingPart("X", "", kCp1252));
    EXPECT_FALSE(IsLeadingPart("X", nullptr, kCp1252));
}

TEST(LeadingPart, ComparesDoubleByteCharactersByteForByteNeverFoldingATrailByte)
{
    // 0x83 0x5C is one character whose trail byte is a backslash; 0x83 0x61 and 0x83 0x41 are
    // two characters whose trail bytes look like 'a' and 'A'.
    const char text[] = "C:\\\x83\x5C\\sys";
    EXPECT_TRUE(IsLeadingPart("c:\\\x83\x5C", text, kCp932));
    EXPECT_TRUE(IsLeadingPart("C:\\\x83", text, kCp932)) << "the same lone lead byte";
    EXPECT_FALSE(IsLeadingPart("C:\\\x84", text, kCp932)) << "another lone lead byte";
    EXPECT_FALSE(IsLeadingPart("C:\\\x83\x5D", text, kCp932));
    EXPECT_FALSE(IsLeadingPart("C:\\\x83\x41", "C:\\\x83\x61\\x", kCp932));
    EXPECT_FALSE(IsLeadingPart("C:\\\x83\x61", "C:\\\x83\x41", kCp932));
    EXPECT_TRUE(IsLeadingPart("C:\\\x83\x61\\X", "c:\\\x83\x61\\x", kCp932)) << "single-byte letters around it fold";
    EXPECT_FALSE(IsLeadingPart("C:\\\xE3", "C:\\\x83\x5C", kCp932)) << "lead bytes are not folded";
}

TEST(LockPath, RefusesBothSystemDirectoriesAndEveryTextAboveThemInAnySpelling)
{
    for (const char* path : {"C:\\", "c:\\", "C:\\WINDOWS", "c:\\windows", "C:\\Windows\\System32", kSystemDir,
                             "C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS\\SysWOW64", "c:\\windows\\syswow64", "C:",
                             "", "C:\\WINDOWS\\sys"})
        EXPECT_EQ(Decide(path), PATH_SYSTEM_DIR) << path;
}

TEST(LockPath, AdmitsWhatLiesBelowTheSystemDirectoriesOrBesideThem)
{
    for (const char* path : {"C:\\WINDOWS\\system32\\drivers", "C:\\Windows\\System32\\", "C:\\windows\\SysWOW64\\x",
                             "C:\\WINDOWS\\Temp", "D:\\", "C:\\Data\\x.txt", "C:/Windows"})
        EXPECT_EQ(Decide(path), PATH_OK) << path;
    // Without a 32-bit system directory, its name is an ordinary folder.
    EXPECT_EQ(Decide("C:\\WINDOWS\\SysWOW64", {{kSystemDir}, {kInstallDir}}), PATH_OK);
}

TEST(LockPath, RefusesTheInstallationFolderWhatItBeginsAndWhatBeginsWithItsText)
{
    for (const char* path : {kInstallDir, "C:\\Apps\\Lk\\data", "C:\\Apps\\LkTools\\a.exe", "C:\\Apps",
                             "C:\\Apps\\L", "c:\\apps\\lk\\data", "C:\\APPS"})
        EXPECT_EQ(Decide(path), PATH_OWN_FILES) << path;
    EXPECT_EQ(Decide("C:\\Apps\\Other"), PATH_OK);
}

TEST(LockPath, TheSystemRuleComesFirstWhenBothFoldersShareTheirBeginning)
{
    // The drive root begins both directories.
    EXPECT_EQ(Decide("C:\\"), PATH_SYSTEM_DIR);
    // An installation folder inside the system directory: its contents are the program's.
    EXPECT_EQ(Decide("C:\\WINDOWS\\system32\\Lk\\a.exe", {{kSystemDir, kSystemDir32}, {"C:\\WINDOWS\\system32\\Lk"}}),
              PATH_OWN_FILES);
}

// Each spelling of the path meets each spelling of the folders; the system rule comes first.
TEST(LockPath, AnySpellingOfThePathMeetingAnySpellingOfAFolderRefusesIt)
{
    const LockRuleFolders folders{{"C:\\WINDOWS\\system32", "C:\\windows\\system32"},
                                  {"C:\\PROG~FBU\\Veltrix", "C:\\Program Files\\Veltrix"}};
    const auto decide = [&](std::vector<std::string> spellings) { return DecideLockPath(spellings, folders, kCp1252); };
    EXPECT_EQ(decide({"C:\\Program Files"}), PATH_OWN_FILES) << "above the long spelling only";
    EXPECT_EQ(decide({"C:\\PROG~FBU\\Veltrix\\data"}), PATH_OWN_FILES) << "inside the short spelling only";
    EXPECT_EQ(decide({"D:\\Link", "C:\\Program Files\\Veltrix\\data"}), PATH_OWN_FILES) << "by what it resolves to";
    EXPECT_EQ(decide({"D:\\Link", "C:\\Program Files\\Veltrix", "C:\\Windows"}), PATH_SYSTEM_DIR);
    EXPECT_EQ(decide({"D:\\Link", "D:\\Target"}), PATH_OK);
    EXPECT_EQ(decide({}), PATH_OK);
    EXPECT_TRUE(DecideInProgramFolder({"D:\\Link\\vtx.exe", "C:\\Program Files\\Veltrix\\vtx.exe"},
                                      folders.installDirs, kCp1252));
    EXPECT_FALSE(DecideInProgramFolder({"C:\\Program Files"}, folders.installDirs, kCp1252));
}

TEST(ProgramFolder, CountsEveryPathWhoseTextBeginsWithTheFolderInAnyCase)
{
    for (const char* path : {kInstallDir, "C:\\Apps\\Lk\\data", "C:\\Apps\\LkTools\\a.exe", "c:\\apps\\lk\\vtx.exe"})
        EXPECT_TRUE(DecideInProgramFolder({path}, {kInstallDir}, kCp1252)) << path;
    EXPECT_FALSE(DecideInProgramFolder({"C:\\Apps"}, {kInstallDir}, kCp1252));
    EXPECT_FALSE(DecideInProgramFolder({""}, {kInstallDir}, kCp1252));
    EXPECT_FALSE(DecideInProgramFolder({"C:\\\x83\x61\\vtx.exe"}, {"C:\\\x83\x41"}, kCp932));
    EXPECT_TRUE(DecideInProgramFolder({"D:\\x.exe"}, {""}, kCp1252)) << "an unknown folder leads everything";
}

TEST(ListablePath, RefusesEveryCharacterBelowBlank)
{
    EXPECT_TRUE(IsListablePath("C:\\Donn\xE9" "es priv\xE9" "es\\\x83\x5C"));
    EXPECT_TRUE(IsListablePath(""));
    for (char control = 1; control < 0x20; ++control)
        EXPECT_FALSE(IsListablePath((std::string("C:\\a") + control + "b").c_str())) << int(control);
}

TEST(SystemRoot, IsReplacedEverywhereOnlyWhenTheTargetBeginsWithIt)
{
    const std::string windows = "C:\\windows";
    EXPECT_EQ(ExpandSystemRoot("%SystemRoot%\\system32\\notepad.exe", windows),
              "C:\\windows\\system32\\notepad.exe");
    EXPECT_EQ(ExpandSystemRoot("%SystemRoot%\\a;%SystemRoot%\\b%SystemRoot%", windows),
              "C:\\windows\\a;C:\\windows\\bC:\\windows");
    EXPECT_EQ(ExpandSystemRoot("%SystemRoot%", windows), windows);
    EXPECT_EQ(ExpandSystemRoot("%ProgramFiles%\\x.exe", windows), "%ProgramFiles%\\x.exe");
    EXPECT_EQ(ExpandSystemRoot("%SYSTEMROOT%\\x.exe", windows), "%SYSTEMROOT%\\x.exe");
    EXPECT_EQ(ExpandSystemRoot("C:\\%SystemRoot%\\x.exe", windows), "C:\\%SystemRoot%\\x.exe");
    EXPECT_EQ(ExpandSystemRoot("%SystemRoot", windows), "%SystemRoot");
    EXPECT_EQ(ExpandSystemRoot("", windows), "");
}

TEST(SystemRoot, ALongExpansionIsCutToTheBufferAndNeverWritesPastIt)
{
    const std::string target = "%SystemRoot%" + std::string(240, 'a') + "%SystemRoot%";
    const std::string windows(100, 'W');
    const std::string expanded = ExpandSystemRoot(target, windows);
    ASSERT_EQ(expanded.size(), 440u);

    char buffer[262];
    std::memset(buffer, '#', sizeof buffer);
    CopyCut(expanded, buffer + 1, 260);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(buffer[261], '#');
    EXPECT_EQ(std::string(buffer + 1), expanded.substr(0, 259));

    CopyCut("short", buffer + 1, 260);
    EXPECT_STREQ(buffer + 1, "short");
    CopyCut(std::string(259, 'x'), buffer + 1, 260);
    EXPECT_EQ(std::strlen(buffer + 1), 259u);
}

}  // namespace
