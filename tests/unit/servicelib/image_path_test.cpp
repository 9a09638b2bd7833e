// The driver's image path: relative to the Windows folder where the system folder lies below it,
// the whole system folder otherwise, and never longer than its buffer.
#include "servicelib/core/image_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

std::string Format(std::string_view systemDir, std::string_view windowsDir, bool expectFits = true)
{
    char imagePath[kImagePathBufferSize];
    std::memset(imagePath, 'x', sizeof imagePath);
    EXPECT_EQ(FormatDriverImagePath(systemDir, windowsDir, "veltrix", imagePath), expectFits)
        << systemDir;
    return std::string(imagePath, strnlen(imagePath, sizeof imagePath));
}

TEST(FormatDriverImagePath, SystemFolderBecomesRelativeToTheWindowsFolder)
{
    EXPECT_EQ(Format("C:\\WINDOWS\\system32", "C:\\WINDOWS"), "system32\\Drivers\\veltrix.sys");
    EXPECT_EQ(Format("D:\\Win\\SysWOW64", "D:\\Win"), "SysWOW64\\Drivers\\veltrix.sys");
    EXPECT_EQ(Format("C:\\windows\\a\\b", "C:\\windows"), "a\\b\\Drivers\\veltrix.sys");
    // The two folders may come back in different letter case.
    EXPECT_EQ(Format("C:\\Windows\\System32", "c:\\WINDOWS"), "System32\\Drivers\\veltrix.sys");
}

TEST(FormatDriverImagePath, SystemFolderOutsideTheWindowsFolderIsKeptWhole)
{
    // Not below it, only a name that begins alike, the folder itself, the folder and its
    // separator with nothing after it, shorter than it, and no Windows folder at all.
    EXPECT_EQ(Format("E:\\sys32", "C:\\WINDOWS"), "E:\\sys32\\Drivers\\veltrix.sys");
    EXPECT_EQ(Format("C:\\WINDOWSX\\system32", "C:\\WINDOWS"),
              "C:\\WINDOWSX\\system32\\Drivers\\veltrix.sys");
    EXPECT_EQ(Format("C:\\WINDOWS", "C:\\WINDOWS"), "C:\\WINDOWS\\Drivers\\veltrix.sys");
    EXPECT_EQ(Format("C:\\WINDOWS\\", "C:\\WINDOWS"), "C:\\WINDOWS\\\\Drivers\\veltrix.sys");
    EXPECT_EQ(Format("C:\\W", "C:\\WINDOWS"), "C:\\W\\Drivers\\veltrix.sys");
    EXPECT_EQ(Format("C:\\WINDOWS\\system32", ""), "C:\\WINDOWS\\system32\\Drivers\\veltrix.sys");
}

TEST(FormatDriverImagePath, PathThatDoesNotFitFailsWithoutWritingPastTheBuffer)
{
    // "\Drivers\veltrix.sys" is 20 characters: a relative folder of 235 makes 255, the most
    // that fits beside the terminating NUL.
    const std::string windowsDir = "C:\\WINDOWS";
    const std::string fits(235, 's');
    EXPECT_EQ(Format(windowsDir + "\\" + fits, windowsDir), fits + "\\Drivers\\veltrix.sys");
    EXPECT_EQ(Format(windowsDir + "\\" + fits + "s", windowsDir, false), "");

    // Folders as long as their buffers allow, unrelated, so the whole folder is used.
    EXPECT_EQ(Format(std::string(255, 'a'), std::string(255, 'b'), false), "");

    // An exact-size heap buffer lets the address sanitizer see any write past its end.
    auto exact = std::make_unique<char[]>(kImagePathBufferSize);
    auto& imagePath = *reinterpret_cast<char(*)[kImagePathBufferSize]>(exact.get());
    EXPECT_FALSE(FormatDriverImagePath(std::string(300, 'c'), "C:\\WINDOWS", "veltrix", imagePath));
    EXPECT_STREQ(imagePath, "");
}

TEST(FormatDriverImagePath, ReadsTheFoldersOnlyAsFarAsTheirLength)
{
    // Folders given as parts of longer text without a NUL where they end.
    const char text[] = "C:\\WINDOWS\\system32|garbage";
    EXPECT_EQ(Format(std::string_view(text, 19), std::string_view(text, 10)),
              "system32\\Drivers\\veltrix.sys");
}

} // namespace
