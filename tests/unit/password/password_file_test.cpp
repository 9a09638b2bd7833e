// Reading and writing the password file's one line. (How the file is opened, and what a file
// that cannot be read means, is proven under Wine.)
#include "password/core/md5.h"
#include "password/core/password_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

// md5sum of "quimbly", the default password.
constexpr char kDefaultDigest[] = "eb4e6ef4aaccfdc71a911a20ec99fd60";

class PasswordFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vtx-pwd-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_file = (m_folder / "password.txt").string();
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    void WriteBytes(const std::string& bytes)
    {
        std::ofstream(m_file, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string ReadBytes() const
    {
        std::ifstream in(m_file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_folder;
    std::string m_file;
};

CString DigestOf(const char* text)
{
    return MD5HexDigest(text, static_cast<uint32_t>(std::char_traits<char>::length(text)));
}

// Only a missing file gives the default password (proven under Wine with the file's opening);
// a file that yields no line gives the empty text, which no digest equals.
TEST_F(PasswordFile, DefaultDigestIsQuimblysAndAFileWithoutALineMatchesNothing)
{
    EXPECT_EQ(DefaultPasswordDigest(), kDefaultDigest);
    EXPECT_EQ(StoredDigestFromFile(""), "");
    EXPECT_NE(StoredDigestFromFile(""), DigestOf(""));
}

TEST_F(PasswordFile, LineEndDoesNotChangeTheStoredDigest)
{
    const CString digest = DigestOf("secret");
    for (const char* end : {"\r\n", "\n", ""}) {
        WriteBytes(std::string(digest) + end);
        EXPECT_EQ(StoredDigestFromFile(ReadBytes()), digest) << "line end of " << std::strlen(end);
    }
}

TEST_F(PasswordFile, OnlyTheFirst32CharactersOfTheFirstLineCount)
{
    const CString digest = DigestOf("secret");
    WriteBytes(std::string(digest) + "12345678\r\n");  // 40 characters
    EXPECT_EQ(StoredDigestFromFile(ReadBytes()), digest);
    WriteBytes(std::string(digest) + std::string(200, 'x') + "\nsecond line\n");
    EXPECT_EQ(StoredDigestFromFile(ReadBytes()), digest);
    WriteBytes("\n" + std::string(digest) + "\n");
    EXPECT_EQ(StoredDigestFromFile(ReadBytes()), "\n");
}

TEST_F(PasswordFile, MalformedLinesAreTakenAsTheyStandAndNeverMatch)
{
    const CString digest = DigestOf("secret");
    std::string upper(digest);
    for (auto& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string lines[] = {
        "\xEF\xBB\xBF" + std::string(digest) + "\r\n",  // byte-order mark
        upper + "\r\n",
        " " + std::string(digest) + "\r\n",
        std::string(digest).substr(0, 31) + "\n",  // short: keeps its line end
    };
    for (const auto& line : lines) {
        WriteBytes(line);
        const CString stored = StoredDigestFromFile(ReadBytes());
        EXPECT_NE(stored, digest) << line;
        EXPECT_NE(stored, kDefaultDigest) << "a malformed file is not a missing one: " << line;
        EXPECT_EQ(std::string(stored), line.substr(0, std::min<size_t>(32, line.find('\n') + 1)));
    }
}

TEST_F(PasswordFile, WrittenLineReadsBackAsTheSameDigest)
{
    const CString digest = DigestOf("");
    WriteBytes(DigestFileContent(digest));
    EXPECT_EQ(ReadBytes(), std::string(digest) + "\r\n");
    EXPECT_EQ(StoredDigestFromFile(ReadBytes()), digest);
}

}  // namespace
