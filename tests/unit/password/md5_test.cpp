// MD5 and the digest text against RFC 1321's test suite and against md5sum, an independent MD5.
#include "password/core/md5.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

CString DigestOf(const std::string& bytes)
{
    return MD5HexDigest(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::string RandomBytes(std::mt19937& random, size_t length)
{
    std::string bytes(length, '\0');
    for (auto& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

// A scratch folder that goes away with its files, whatever the test's outcome.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vtx-md5-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code error;
        if (!m_path.empty())
            fs::remove_all(m_path, error);
    }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

// md5sum's digests of the given files, in their order.
std::vector<std::string> Md5sumOf(const std::vector<fs::path>& files)
{
    std::string command = "md5sum --";
    for (const auto& file : files)
        command += " '" + file.string() + "'";
    std::vector<std::string> digests;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return digests;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe))
        digests.emplace_back(line, std::min<size_t>(32, std::strlen(line)));
    const int status = ::pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        digests.clear();
    return digests;
}

TEST(MD5HexDigest, ReproducesTheTestSuiteOfRfc1321)
{
    const std::pair<const char*, const char*> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, expected] : suite)
        EXPECT_EQ(DigestOf(text), expected) << '"' << text << '"';
}

TEST(MD5HexDigest, WritesZeroBytesAndBytesBelowSixteenWithTwoDigits)
{
    // Inputs whose digests (by md5sum) begin with a zero byte, end with one, and hold bytes
    // 0x01 to 0x0f in several places.
    EXPECT_EQ(DigestOf("veltrix 59264"), "00dfef0e705499aa528778dff6d50006");
    EXPECT_EQ(DigestOf("veltrix 1739"), "9d0ecd00e468f7001710a6974b981000");
    // The default password's digest, which every installation starts with.
    EXPECT_EQ(DigestOf("quimbly"), "eb4e6ef4aaccfdc71a911a20ec99fd60");
}

TEST(MD5HexDigest, DigestsADoubleBytePasswordAsItsLeadAndTrailBytes)
{
    EXPECT_EQ(DigestOf("\x83\x70\x83\x58"), "8d56090ffb99b5c939b35b9d7442bf24");  // Shift-JIS, by md5sum
}

TEST(MD5HexDigest, AgreesWithMd5sumOnRandomInputsOfRandomLengths)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // Mostly short inputs, where the padding's block boundaries lie, then longer ones up to 3 MB.
    std::vector<size_t> lengths;
    for (size_t length = 0; length <= 200; ++length)
        lengths.push_back(length);
    for (int i = 0; i < 60; ++i)
        lengths.push_back(std::uniform_int_distribution<size_t>(0, 70000)(random));
    for (int i = 0; i < 8; ++i)
        lengths.push_back(std::uniform_int_distribution<size_t>(0, 3u << 20)(random));

    ScratchFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    std::vector<fs::path> files;
    std::vector<CString> ours;
    for (size_t i = 0; i < lengths.size(); ++i) {
        const std::string bytes = RandomBytes(random, lengths[i]);
        files.push_back(folder.Path() / ("input" + std::to_string(i)));
        std::ofstream(files.back(), std::ios::binary) << bytes;
        ours.push_back(DigestOf(bytes));
    }
    const std::vector<std::string> theirs = Md5sumOf(files);
    ASSERT_EQ(theirs.size(), files.size()) << "md5sum did not run";
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(std::string(ours[i]), theirs[i]) << "length " << lengths[i];
}

TEST(CMD5Context, GivesTheOneShotDigestHoweverTheBytesAreSplit)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    // Every cut of a message into two pieces, around and across block boundaries.
    const std::string message = RandomBytes(random, 200);
    const CString whole = DigestOf(message);
    for (size_t cut = 0; cut <= message.size(); ++cut) {
        CMD5Context context;
        context.Update(reinterpret_cast<const unsigned char*>(message.data()), static_cast<uint32_t>(cut));
        context.Update(reinterpret_cast<const unsigned char*>(message.data() + cut),
                       static_cast<uint32_t>(message.size() - cut));
        EXPECT_EQ(context.Final(), whole) << "cut at " << cut;
    }

    // Random pieces, empty ones among them, over longer messages.
    for (int round = 0; round < 50; ++round) {
        const std::string bytes = RandomBytes(random, std::uniform_int_distribution<size_t>(0, 20000)(random));
        CMD5Context context;
        size_t done = 0;
        while (done < bytes.size()) {
            const size_t piece = std::min(bytes.size() - done,
                                          std::uniform_int_distribution<size_t>(0, 300)(random));
            context.Update(reinterpret_cast<const unsigned char*>(bytes.data() + done), static_cast<uint32_t>(piece));
            done += piece;
        }
        context.Update(nullptr, 0);
        EXPECT_EQ(context.Final(), DigestOf(bytes)) << "length " << bytes.size();
    }
}

}  // namespace
