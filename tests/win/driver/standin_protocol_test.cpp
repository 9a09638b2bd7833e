// The stand-in driver answers the device protocol from the driver's side, on both lists: raw
// requests on "\\.\veltrix", opened as the program opens it.
#include "standin_support.h"

#include "driver/device_channel.h"
#include "support/file_bytes.h"
#include "support/service_probe.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

class StandinLists : public StandinTest, public ::testing::WithParamInterface<ListCodes> {
protected:
    const ListCodes& List() const { return GetParam(); }
    const ListCodes& OtherList() const
    {
        return GetParam().dwEnum == IOCTL_LOCK_ENUM ? g_trustedList : g_lockedList;
    }
};

std::wstring LongPath(size_t units)
{
    std::wstring path = L"C:\\VtxTest\\";
    while (path.size() < units)
        path += static_cast<WCHAR>(L'a' + path.size() % 26);
    return path;
}

using Names = std::vector<std::wstring>;

} // namespace

TEST_P(StandinLists, EnumerationAnswersOneEntryPerRequestInOrderOfAdding)
{
    const Names added{L"C:\\VtxTest\\Zeta", L"C:\\VtxTest\\Alpha", L"D:\\VtxTest\\file.txt"};
    for (const std::wstring& path : added)
        ASSERT_TRUE(SendUnits(List().dwAdd, path).bOk);

    CHandle device(OpenVeltrixDevice());
    ASSERT_TRUE(device);
    LIST_ENUM_RECORD record{};
    for (size_t i = 0; i < added.size(); ++i) {
        DWORD returned = 0;
        ASSERT_TRUE(::DeviceIoControl(device.Get(), List().dwEnum, &record, VTX_ENUM_INPUT_BYTES,
                                      &record, sizeof record, &returned, nullptr))
            << "answer " << i;
        EXPECT_EQ(returned, sizeof record);
        ASSERT_EQ(record.NameLength, added[i].size());
        EXPECT_EQ(std::wstring(reinterpret_cast<const WCHAR*>(record.Name), record.NameLength),
                  added[i]);
        EXPECT_EQ(record.More, i + 1 < added.size() ? 1u : 0u) << "answer " << i;
    }
    // A new exchange (More = 0) starts again at the top, whatever the cursor says.
    record.More = 0;
    DWORD returned = 0;
    ASSERT_TRUE(::DeviceIoControl(device.Get(), List().dwEnum, &record, VTX_ENUM_INPUT_BYTES,
                                  &record, sizeof record, &returned, nullptr));
    EXPECT_EQ(std::wstring(reinterpret_cast<const WCHAR*>(record.Name), record.NameLength),
              added[0]);

    EXPECT_TRUE(ReadList(OtherList().dwEnum).empty()) << "the lists are separate";
}

TEST_P(StandinLists, EmptyListFailsFirstEnumerationRequest)
{
    LIST_ENUM_RECORD record{};
    RawResult result =
        RawRequest(List().dwEnum, &record, VTX_ENUM_INPUT_BYTES, &record, sizeof record);
    EXPECT_FALSE(result.bOk);

    ASSERT_TRUE(SendUnits(List().dwAdd, L"C:\\VtxTest\\Only").bOk);
    ASSERT_TRUE(SendUnits(List().dwRemove, L"C:\\VtxTest\\Only").bOk);
    record = LIST_ENUM_RECORD{};
    result = RawRequest(List().dwEnum, &record, VTX_ENUM_INPUT_BYTES, &record, sizeof record);
    EXPECT_FALSE(result.bOk) << "emptied again";
}

TEST_P(StandinLists, AddOfAPathPresentInAnyCaseKeepsOneEntryInItsFirstForm)
{
    ASSERT_TRUE(SendUnits(List().dwAdd, L"C:\\VtxTest\\Mixed Case").bOk);
    EXPECT_TRUE(SendUnits(List().dwAdd, L"c:\\VTXTEST\\mixed case").bOk);
    EXPECT_TRUE(SendUnits(List().dwAdd, L"C:\\VtxTest\\Mixed Case").bOk);
    ASSERT_TRUE(SendUnits(List().dwAdd, L"C:\\VtxTest\\Mixed Case\\Below").bOk);
    EXPECT_EQ(ReadList(List().dwEnum),
              (Names{L"C:\\VtxTest\\Mixed Case", L"C:\\VtxTest\\Mixed Case\\Below"}));
}

TEST_P(StandinLists, RemoveTakesOutOnePathInAnyCaseAndFailsForAnAbsentOne)
{
    for (const wchar_t* path : {L"C:\\VtxTest\\A", L"C:\\VtxTest\\B", L"C:\\VtxTest\\C"})
        ASSERT_TRUE(SendUnits(List().dwAdd, path).bOk);
    EXPECT_TRUE(SendUnits(List().dwRemove, L"c:\\vtxtest\\b").bOk);
    EXPECT_FALSE(SendUnits(List().dwRemove, L"C:\\VtxTest\\B").bOk) << "already removed";
    EXPECT_FALSE(SendUnits(List().dwRemove, L"C:\\VtxTest").bOk) << "a leading part only";
    EXPECT_FALSE(SendUnits(OtherList().dwRemove, L"C:\\VtxTest\\A").bOk) << "the other list";
    EXPECT_EQ(ReadList(List().dwEnum), (Names{L"C:\\VtxTest\\A", L"C:\\VtxTest\\C"}));
}

TEST_P(StandinLists, PathOf259CodeUnitsTravelsWholeAndLongerIsRefused)
{
    const std::wstring longest = LongPath(VTX_MAX_PATH_UNITS);
    ASSERT_TRUE(SendUnits(List().dwAdd, longest).bOk);
    EXPECT_FALSE(SendUnits(List().dwAdd, LongPath(VTX_MAX_PATH_UNITS + 1)).bOk);
    EXPECT_EQ(ReadList(List().dwEnum), (Names{longest}));
}

TEST_P(StandinLists, RefusesBadLengthsWithoutReadingOrWritingPastThem)
{
    const std::wstring path = L"C:\\VtxTest\\Kept";
    ASSERT_TRUE(SendUnits(List().dwAdd, path).bOk);

    // Single paths: an odd byte count, nothing at all, more than 259 code units.
    const std::wstring other = L"C:\\VtxTest\\Other";
    EXPECT_FALSE(RawRequest(List().dwAdd, other.data(), 7, nullptr, 0).bOk);
    EXPECT_FALSE(RawRequest(List().dwAdd, other.data(), 0, nullptr, 0).bOk);
    const std::wstring tooLong = LongPath(VTX_MAX_PATH_UNITS + 1);
    EXPECT_FALSE(RawRequest(List().dwAdd, tooLong.data(), 2 * (VTX_MAX_PATH_UNITS + 1), nullptr, 0)
                     .bOk);
    EXPECT_FALSE(RawRequest(List().dwRemove, path.data(), 3, nullptr, 0).bOk);

    // Enumeration: an output one byte short of the record, an input short of 8 bytes, no output.
    struct {
        LIST_ENUM_RECORD record;
        unsigned char guard[16];
    } buffer;
    std::memset(&buffer, 0xEE, sizeof buffer);
    buffer.record.More = 0;
    buffer.record.Cursor = 0;
    EXPECT_FALSE(RawRequest(List().dwEnum, &buffer, VTX_ENUM_INPUT_BYTES, &buffer,
                            sizeof(LIST_ENUM_RECORD) - 1)
                     .bOk);
    EXPECT_EQ(buffer.record.NameLength, 0xEEEEEEEEu) << "the short output was written";
    EXPECT_EQ(buffer.guard[0], 0xEE);
    EXPECT_FALSE(RawRequest(List().dwEnum, &buffer, 4, &buffer, sizeof(LIST_ENUM_RECORD)).bOk);
    EXPECT_FALSE(RawRequest(List().dwEnum, &buffer, VTX_ENUM_INPUT_BYTES, nullptr, 0).bOk);

    // Function number 4 is not part of the protocol.
    const DWORD unused = CTL_CODE(FILE_DEVICE_DISK_FILE_SYSTEM, 4, METHOD_BUFFERED, FILE_READ_ACCESS);
    EXPECT_FALSE(RawRequest(unused, path.data(), 2 * static_cast<DWORD>(path.size()), nullptr, 0)
                     .bOk);

    EXPECT_EQ(ReadList(List().dwEnum), (Names{path}));
}

INSTANTIATE_TEST_SUITE_P(BothLists, StandinLists, ::testing::Values(g_lockedList, g_trustedList),
                         [](const ::testing::TestParamInfo<ListCodes>& info) {
                             return std::string(info.param.name);
                         });

namespace {

// Whatever happens in between, the service runs again when this goes.
class CRestartGuard {
public:
    ~CRestartGuard() { EXPECT_TRUE(BringVeltrixTo(SERVICE_RUNNING)); }
};

} // namespace

TEST_F(StandinTest, RestartReloadsBothListsFromTheListFiles)
{
    const std::string folder = ReadInstallDir();
    ASSERT_FALSE(folder.empty()) << "no vtxapp value";
    // An empty line, a line too long for a path, a repeat in other letters and a last line
    // without its CR LF: the first three are not entries.
    const std::string lockedFile = "C:\\Locked\\One\r\n"
                                   "C:\\Locked\\Two\r\n"
                                   "\r\n" +
                                   std::string(300, 'x') +
                                   "\r\n"
                                   "c:\\locked\\ONE\r\n"
                                   "C:\\Locked\\Three";
    CFileSwap locked(folder + "\\data\\filter.txt", lockedFile);
    CFileSwap trusted(folder + "\\data\\TrustedPs.txt", "C:\\Programs\\Tool.exe\r\n");
    ASSERT_TRUE(SendUnits(IOCTL_LOCK_ADD, L"C:\\VtxTest\\OnlyInMemory").bOk);

    {
        CRestartGuard restart;
        ASSERT_TRUE(BringVeltrixTo(SERVICE_STOPPED));
        // Stopped, the driver has taken its device away.
        CHandle device(OpenVeltrixDevice());
        EXPECT_FALSE(device);
        EXPECT_FALSE(SendPathRequest("C:\\VtxTest\\Nobody", IOCTL_LOCK_ADD));
        EXPECT_FALSE(CDeviceEnumeration().IsOpen());
        ASSERT_TRUE(BringVeltrixTo(SERVICE_RUNNING));
    }

    EXPECT_EQ(ReadList(IOCTL_LOCK_ENUM),
              (Names{L"C:\\Locked\\One", L"C:\\Locked\\Two", L"C:\\Locked\\Three"}));
    EXPECT_EQ(ReadList(IOCTL_TRUST_ENUM), (Names{L"C:\\Programs\\Tool.exe"}));
}
