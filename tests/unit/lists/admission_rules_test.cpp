#include "lists/core/admission_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kSystemDir[] = "C:\\WINDOWS\\system32";
const char kInstallDir[] = "C:\\Apps\\Lk";

TEST(LeadingPart, IsAnExactCaseSensitivePrefixOfTheText)
{
    EXPECT_TRUE(IsLeadingPart("C:\\WIN", kSystemDir));
    EXPECT_TRUE(IsLeadingPart(kSystemDir, kSystemDir));
    EXPECT_TRUE(IsLeadingPart("", kSystemDir));
    EXPECT_TRUE(IsLeadingPart("", ""));
    EXPECT_TRUE(IsLeadingPart(nullptr, kSystemDir));
    EXPECT_FALSE(IsLeadingPart("c:\\windows", kSystemDir));
    EXPECT_FALSE(IsLeadingPart("C:\\WINDOWS\\system32\\", kSystemDir)) << "longer than the text";
    EXPECT_FALSE(IsLeadingPart("C:\\WINDOWS\\system33", kSystemDir));
    EXPECT_FALSE(IsLeadingPart("X", ""));
    EXPECT_FALSE(IsLeadingPart("X", nullptr));
}

TEST(LeadingPart, ComparesBytesOfDoubleByteCharactersAndALoneLeadByteAtTheCut)
{
    // Code page 932: 0x83 0x5C is one character whose trail byte is a backslash.
    const char text[] = "C:\\\x83\x5C\\sys";
    EXPECT_TRUE(IsLeadingPart("C:\\\x83\x5C", text));
    EXPECT_TRUE(IsLeadingPart("C:\\\x83", text)) << "the same lone lead byte";
    EXPECT_FALSE(IsLeadingPart("C:\\\x84", text)) << "another lone lead byte";
    EXPECT_FALSE(IsLeadingPart("C:\\\x83\x5D", text));
    EXPECT_FALSE(IsLeadingPart("C:\\\xE3", "C:\\\x83\x5C")) << "bytes are not folded";
}

TEST(LockPath, RefusesTheSystemDirectoryAndEveryTextAboveIt)
{
    for (const char* path : {"C:\\", "C:\\WINDOWS", kSystemDir, "C:", "", "C:\\WINDOWS\\sys"})
        EXPECT_EQ(DecideLockPath(path, kSystemDir, kInstallDir), PATH_SYSTEM_DIR) << path;
    EXPECT_EQ(DecideLockPath(nullptr, kSystemDir, kInstallDir), PATH_SYSTEM_DIR);
}

TEST(LockPath, AdmitsWhatLiesBelowTheSystemDirectoryOrDiffersInLetterCase)
{
    for (const char* path : {"C:\\WINDOWS\\system32\\drivers", "C:\\WINDOWS\\system32\\", "c:\\windows",
                             "C:\\windows\\System32", "C:\\WINDOWS\\Temp", "D:\\", "C:\\Data\\x.txt"})
        EXPECT_EQ(DecideLockPath(path, kSystemDir, kInstallDir), PATH_OK) << path;
}

TEST(LockPath, RefusesTheInstallationFolderWhatItBeginsAndWhatBeginsWithItsText)
{
    for (const char* path : {kInstallDir, "C:\\Apps\\Lk\\data", "C:\\Apps\\LkTools\\a.exe", "C:\\Apps",
                             "C:\\Apps\\L"})
        EXPECT_EQ(DecideLockPath(path, kSystemDir, kInstallDir), PATH_OWN_FILES) << path;
    EXPECT_EQ(DecideLockPath("C:\\apps\\lk\\data", kSystemDir, kInstallDir), PATH_OK);
    EXPECT_EQ(DecideLockPath("C:\\Apps\\Other", kSystemDir, kInstallDir), PATH_OK);
}

TEST(LockPath, TheSystemRuleComesFirstWhenBothFoldersShareTheirBeginning)
{
    // The drive root begins both directories.
    EXPECT_EQ(DecideLockPath("C:\\", kSystemDir, kInstallDir), PATH_SYSTEM_DIR);
    // An installation folder inside the system directory: its contents are the program's.
    EXPECT_EQ(DecideLockPath("C:\\WINDOWS\\system32\\Lk\\a.exe", kSystemDir, "C:\\WINDOWS\\system32\\Lk"),
              PATH_OWN_FILES);
}

TEST(ProgramFolder, CountsEveryPathWhoseTextBeginsWithTheFolder)
{
    EXPECT_TRUE(DecideInProgramFolder(kInstallDir, kInstallDir));
    EXPECT_TRUE(DecideInProgramFolder("C:\\Apps\\Lk\\data", kInstallDir));
    EXPECT_TRUE(DecideInProgramFolder("C:\\Apps\\LkTools\\a.exe", kInstallDir));
    EXPECT_FALSE(DecideInProgramFolder("C:\\Apps", kInstallDir));
    EXPECT_FALSE(DecideInProgramFolder("c:\\apps\\lk\\vtx.exe", kInstallDir));
    EXPECT_FALSE(DecideInProgramFolder("", kInstallDir));
    EXPECT_TRUE(DecideInProgramFolder("D:\\x.exe", "")) << "an unknown folder leads everything";
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
