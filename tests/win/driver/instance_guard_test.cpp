// The cross-session guard against the real kernel objects: which construction this system gives,
// one instance at a time across threads as across processes, and a squatter's global name passed by.
#include "driver/core/instance_guard.h"
#include "driver/instance_guard.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <string>
#include <thread>

namespace {

// Whether this system gives a boundary descriptor at all (Wine 8 does not).
bool HasPrivateNamespaces()
{
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto create = reinterpret_cast<HANDLE(WINAPI*)(LPCWSTR, ULONG)>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "CreateBoundaryDescriptorW")));
    const auto destroy = reinterpret_cast<VOID(WINAPI*)(HANDLE)>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "DeleteBoundaryDescriptor")));
    const HANDLE boundary = create ? create(L"VeltrixTest", 0) : nullptr;
    if (boundary && destroy)
        destroy(boundary);
    return boundary != nullptr;
}

// Lock(1) of a guard of its own on another thread (a mutex is its thread's): what another
// instance would get, and how it had the guard.
BOOL LockedElsewhere(CCrossSessionGuard::Kind* pKind = nullptr)
{
    BOOL bLocked = FALSE;
    std::thread([&] {
        CCrossSessionGuard other;
        bLocked = other.Lock(1);
        if (pKind)
            *pKind = other.GetKind();
    }).join();
    return bLocked;
}

std::string UserSid()
{
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[256];
    DWORD size = 0;
    std::string sid;
    char* text = nullptr;
    if (::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
        sid = text;
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return sid;
}

// A kernel object made under the global name with an access list of the squatter's choice.
CHandle Squat(bool event, const std::string& accessList)
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(accessList.c_str(), SDDL_REVISION_1,
                                                                &attributes.lpSecurityDescriptor, nullptr))
        return CHandle();
    CHandle squatter(event ? ::CreateEventA(&attributes, TRUE, FALSE, kGlobalInstanceMutexName)
                           : ::CreateMutexA(&attributes, TRUE, kGlobalInstanceMutexName));
    ::LocalFree(attributes.lpSecurityDescriptor);
    return squatter;
}

}  // namespace

// Wine 8 has no private namespaces: its AddSIDToBoundaryDescriptor would end this process. The
// global name serves there, and either way a second instance is kept out until the first lets go.
TEST(CrossSessionGuard, OneInstanceAtATimeInTheNamespaceWhereTheSystemHasOneElseUnderTheGlobalName)
{
    const bool namespaces = HasPrivateNamespaces();
    std::printf("private namespaces: %s\n", namespaces ? "given" : "none (CreateBoundaryDescriptorW gave NULL)");
    CCrossSessionGuard guard;
    ASSERT_TRUE(guard.Lock(1));
    EXPECT_EQ(guard.GetKind(), namespaces ? CCrossSessionGuard::Kind::PrivateNamespace
                                          : CCrossSessionGuard::Kind::GlobalName);
    EXPECT_FALSE(LockedElsewhere());
    guard.Unlock();
    EXPECT_TRUE(LockedElsewhere());
}

// What a standard account can make under the global name holds nobody back: an object that keeps
// administrators out, one that is no mutex, one owned by a user's account.
TEST(CrossSessionGuard, PassesByWhatAStandardAccountCouldMakeUnderTheGlobalName)
{
    const std::string user = UserSid();
    ASSERT_FALSE(user.empty());
    const struct {
        const char* what;
        bool event;
        std::string accessList;
    } squatters[] = {
        {"administrators kept out", false, "D:P"},
        {"an event", true, "D:(A;;GA;;;WD)"},
        {"a user's own", false, "O:" + user + "D:(A;;GA;;;WD)"},
    };
    for (const auto& squatter : squatters) {
        const CHandle held = Squat(squatter.event, squatter.accessList);
        ASSERT_TRUE(held) << squatter.what << ": error " << ::GetLastError();
        CCrossSessionGuard::Kind kind{};
        EXPECT_TRUE(LockedElsewhere(&kind)) << squatter.what;
        if (kind != CCrossSessionGuard::Kind::PrivateNamespace)
            EXPECT_EQ(kind, CCrossSessionGuard::Kind::Squatted) << squatter.what;
    }
}
