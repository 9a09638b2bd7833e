#include "standin_support.h"

#include "driver/device_channel.h"
#include "framework/handle.h"
#include "support/service_probe.h"

const ListCodes g_lockedList{IOCTL_LOCK_ADD, IOCTL_LOCK_REMOVE, IOCTL_LOCK_ENUM, "Locked"};
const ListCodes g_trustedList{IOCTL_TRUST_ADD, IOCTL_TRUST_REMOVE, IOCTL_TRUST_ENUM, "Trusted"};

RawResult RawRequest(DWORD code, const void* input, DWORD inputLength, void* output,
                     DWORD outputLength)
{
    CHandle device(OpenVeltrixDevice());
    if (!device)
        return {FALSE, ::GetLastError(), 0};
    DWORD returned = 0;
    const BOOL ok = ::DeviceIoControl(device.Get(), code, const_cast<void*>(input), inputLength,
                                      output, outputLength, &returned, nullptr);
    return {ok, ok ? 0 : ::GetLastError(), returned};
}

RawResult SendUnits(DWORD code, const std::wstring& path)
{
    return RawRequest(code, path.data(), static_cast<DWORD>(path.size() * sizeof(WCHAR)), nullptr,
                      0);
}

std::vector<std::wstring> ReadList(DWORD enumCode)
{
    std::vector<std::wstring> names;
    CHandle device(OpenVeltrixDevice());
    if (!device)
        return names;
    LIST_ENUM_RECORD record{};
    // The stand-in holds at most 4096 entries per list.
    for (int i = 0; i < 5000; ++i) {
        DWORD returned = 0;
        if (!::DeviceIoControl(device.Get(), enumCode, &record, VTX_ENUM_INPUT_BYTES, &record,
                               sizeof record, &returned, nullptr))
            break;
        if (record.NameLength > VTX_ENUM_NAME_UNITS) {
            ADD_FAILURE() << "NameLength " << record.NameLength;
            break;
        }
        names.emplace_back(reinterpret_cast<const WCHAR*>(record.Name), record.NameLength);
        if (record.More != 1)
            break;
    }
    return names;
}

namespace {

void RemoveAll(const ListCodes& list)
{
    for (const std::wstring& name : ReadList(list.dwEnum))
        EXPECT_TRUE(SendUnits(list.dwRemove, name).bOk);
    EXPECT_TRUE(ReadList(list.dwEnum).empty()) << list.name;
}

void AddAll(const ListCodes& list, const std::vector<std::wstring>& names)
{
    for (const std::wstring& name : names)
        EXPECT_TRUE(SendUnits(list.dwAdd, name).bOk);
}

} // namespace

void StandinTest::SetUp()
{
    ASSERT_TRUE(BringVeltrixTo(SERVICE_RUNNING)) << "the stand-in driver's service does not run";
    m_savedLocked = ReadList(IOCTL_LOCK_ENUM);
    m_savedTrusted = ReadList(IOCTL_TRUST_ENUM);
    RemoveAll(g_lockedList);
    RemoveAll(g_trustedList);
}

void StandinTest::TearDown()
{
    ASSERT_TRUE(BringVeltrixTo(SERVICE_RUNNING)) << "the stand-in driver's service was left stopped";
    RemoveAll(g_lockedList);
    RemoveAll(g_trustedList);
    AddAll(g_lockedList, m_savedLocked);
    AddAll(g_trustedList, m_savedTrusted);
}
