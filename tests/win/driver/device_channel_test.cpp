// The program's side of the channel against the stand-in driver: what SendPathRequest puts on the
// wire, read back by the driver's own enumeration, and the enumeration channel's ANSI paths.
#include "standin_support.h"

#include "driver/device_channel.h"

namespace {

std::vector<std::string> EnumerateAnsi(DWORD code)
{
    std::vector<std::string> paths;
    EXPECT_TRUE(EnumerateDriverList(code, [&](const char* path) { paths.emplace_back(path); }));
    return paths;
}

std::string LongAnsiPath(size_t length)
{
    std::string path = "C:\\VtxTest\\";
    while (path.size() < length)
        path += static_cast<char>('a' + path.size() % 26);
    return path;
}

using Names = std::vector<std::wstring>;
using Paths = std::vector<std::string>;

} // namespace

using DeviceChannel = StandinTest;

TEST_F(DeviceChannel, PathOf259CharactersArrivesAs259CodeUnitsWithoutNul)
{
    const std::string path = LongAnsiPath(VTX_MAX_PATH_UNITS);
    ASSERT_TRUE(SendPathRequest(path.c_str(), IOCTL_LOCK_ADD));
    EXPECT_EQ(ReadList(IOCTL_LOCK_ENUM), (Names{std::wstring(path.begin(), path.end())}));
    EXPECT_EQ(EnumerateAnsi(IOCTL_LOCK_ENUM), (Paths{path}));
}

TEST_F(DeviceChannel, PathOf260CharactersIsNotSent)
{
    EXPECT_FALSE(SendPathRequest(LongAnsiPath(VTX_MAX_PATH_UNITS + 1).c_str(), IOCTL_TRUST_ADD));
    EXPECT_TRUE(ReadList(IOCTL_TRUST_ENUM).empty());
}

TEST_F(DeviceChannel, SendPathRequestReportsTheDriversAnswerForEachCode)
{
    EXPECT_FALSE(SendPathRequest("C:\\VtxTest\\Absent", IOCTL_LOCK_REMOVE));
    EXPECT_TRUE(SendPathRequest("C:\\VtxTest\\Locked", IOCTL_LOCK_ADD));
    EXPECT_TRUE(SendPathRequest("C:\\VtxTest\\Tool.exe", IOCTL_TRUST_ADD));
    EXPECT_EQ(ReadList(IOCTL_LOCK_ENUM), (Names{L"C:\\VtxTest\\Locked"}));
    EXPECT_EQ(ReadList(IOCTL_TRUST_ENUM), (Names{L"C:\\VtxTest\\Tool.exe"}));
    EXPECT_TRUE(SendPathRequest("C:\\VtxTest\\Tool.exe", IOCTL_TRUST_REMOVE));
    EXPECT_TRUE(SendPathRequest("C:\\VtxTest\\Locked", IOCTL_LOCK_REMOVE));
    EXPECT_FALSE(SendPathRequest("C:\\VtxTest\\Locked", IOCTL_LOCK_REMOVE));
    EXPECT_TRUE(ReadList(IOCTL_LOCK_ENUM).empty());
    EXPECT_TRUE(ReadList(IOCTL_TRUST_ENUM).empty());
}

TEST_F(DeviceChannel, EnumerationReadsEachListInTheDriversOrder)
{
    for (const char* path : {"C:\\VtxTest\\Second", "C:\\VtxTest\\First", "E:\\Third.txt"})
        ASSERT_TRUE(SendPathRequest(path, IOCTL_LOCK_ADD));
    ASSERT_TRUE(SendPathRequest("C:\\Program Files\\Tool\\tool.exe", IOCTL_TRUST_ADD));
    EXPECT_EQ(EnumerateAnsi(IOCTL_LOCK_ENUM),
              (Paths{"C:\\VtxTest\\Second", "C:\\VtxTest\\First", "E:\\Third.txt"}));
    EXPECT_EQ(EnumerateAnsi(IOCTL_TRUST_ENUM), (Paths{"C:\\Program Files\\Tool\\tool.exe"}));
}

TEST_F(DeviceChannel, EnumerationOfAnEmptyListHandsOverNothing)
{
    EXPECT_TRUE(EnumerateAnsi(IOCTL_LOCK_ENUM).empty());
    EXPECT_TRUE(EnumerateAnsi(IOCTL_TRUST_ENUM).empty());
}

// Code page 1252, the default here: one byte per character both ways.
TEST_F(DeviceChannel, AccentedPathTravelsAsUtf16AndComesBackInTheCodePage)
{
    if (::GetACP() != 1252)
        GTEST_SKIP() << "needs code page 1252, this process has " << ::GetACP();
    const std::string path = "C:\\VtxTest\\Donn\xE9" "es \xC9t\xE9";
    ASSERT_TRUE(SendPathRequest(path.c_str(), IOCTL_TRUST_ADD));
    EXPECT_EQ(ReadList(IOCTL_TRUST_ENUM), (Names{L"C:\\VtxTest\\Donn\u00E9es \u00C9t\u00E9"}));
    EXPECT_EQ(EnumerateAnsi(IOCTL_TRUST_ENUM), (Paths{path}));
}

// Run by its own test under LC_ALL=ja_JP.UTF-8, which gives the process code page 932.
TEST_F(DeviceChannel, DoubleByteCodePagePathsTravelAsTheirUtf16Form)
{
    ASSERT_EQ(::GetACP(), 932u);
    // C:\表\データ: 0x5C, a backslash, as the trail byte of 表; 10 bytes, 7 code units.
    const std::string path = "C:\\\x95\x5C\\\x83\x66\x81\x5B\x83\x5E";
    const std::wstring units = L"C:\\\u8868\\\u30C7\u30FC\u30BF";
    ASSERT_TRUE(SendPathRequest(path.c_str(), IOCTL_LOCK_ADD));
    EXPECT_EQ(ReadList(IOCTL_LOCK_ENUM), (Names{units}));

    // 259 ANSI bytes of 131 code units go whole; a name whose ANSI form would need more than
    // 259 bytes is passed over by the enumeration, the entries around it still come.
    std::string longest = "C:\\";
    for (int i = 0; i < 128; ++i)
        longest += "\x95\x5C";
    ASSERT_EQ(longest.size(), 259u);
    ASSERT_TRUE(SendPathRequest(longest.c_str(), IOCTL_LOCK_ADD));
    ASSERT_TRUE(SendUnits(IOCTL_LOCK_ADD, L"C:\\" + std::wstring(129, L'\u8868')).bOk);
    ASSERT_TRUE(SendPathRequest("C:\\after", IOCTL_LOCK_ADD));
    EXPECT_EQ(ReadList(IOCTL_LOCK_ENUM).size(), 4u);
    EXPECT_EQ(EnumerateAnsi(IOCTL_LOCK_ENUM), (Paths{path, longest, "C:\\after"}));
}
