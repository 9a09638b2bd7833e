#include "driver/instance_guard.h"

#include "driver/core/instance_guard.h"

#include <aclapi.h>
#include <sddl.h>

#include <optional>
#include <string>

namespace {

template <class Function>
Function Kernel32Function(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
}

// The private namespace functions, where the system has them.
struct CNamespaceApi {
    HANDLE(WINAPI* createBoundary)(LPCWSTR, ULONG) =
        Kernel32Function<decltype(createBoundary)>("CreateBoundaryDescriptorW");
    BOOL(WINAPI* addSid)(HANDLE*, PSID) = Kernel32Function<decltype(addSid)>("AddSIDToBoundaryDescriptor");
    VOID(WINAPI* deleteBoundary)(HANDLE) = Kernel32Function<decltype(deleteBoundary)>("DeleteBoundaryDescriptor");
    HANDLE(WINAPI* createNamespace)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR) =
        Kernel32Function<decltype(createNamespace)>("CreatePrivateNamespaceW");
    HANDLE(WINAPI* openNamespace)(LPVOID, LPCWSTR) = Kernel32Function<decltype(openNamespace)>("OpenPrivateNamespaceW");
    BOOLEAN(WINAPI* closeNamespace)(HANDLE, ULONG) = Kernel32Function<decltype(closeNamespace)>("ClosePrivateNamespace");

    bool IsComplete() const
    {
        return createBoundary && addSid && deleteBoundary && createNamespace && openNamespace && closeNamespace;
    }
};

// kGuardAccessList as security attributes; without them (never expected) the defaults apply.
class CGuardAccess {
public:
    CGuardAccess()
    {
        if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(kGuardAccessList, SDDL_REVISION_1,
                                                                   &m_attributes.lpSecurityDescriptor, nullptr))
            m_pAttributes = &m_attributes;
    }
    ~CGuardAccess() { ::LocalFree(m_attributes.lpSecurityDescriptor); }
    CGuardAccess(const CGuardAccess&) = delete;
    CGuardAccess& operator=(const CGuardAccess&) = delete;
    SECURITY_ATTRIBUTES* Get() const { return m_pAttributes; }

private:
    SECURITY_ATTRIBUTES m_attributes{sizeof m_attributes, nullptr, FALSE};
    SECURITY_ATTRIBUTES* m_pAttributes = nullptr;
};

// The Administrators' namespace, created or opened; nullptr when the system gives none. Wine 8's
// CreateBoundaryDescriptorW returns NULL, and its AddSIDToBoundaryDescriptor ends the process:
// it is called only on a descriptor that exists.
HANDLE OpenGuardNamespace(const CNamespaceApi& api, SECURITY_ATTRIBUTES* pAccess)
{
    HANDLE boundary = api.createBoundary(kGuardNamespace, 0);
    if (!boundary)
        return nullptr;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    HANDLE hNamespace = nullptr;
    if (::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        api.addSid(&boundary, administrators)) {
        // The last other instance may close it between a create that finds it and the open.
        for (int attempt = 0; attempt < 3 && !hNamespace; ++attempt) {
            hNamespace = api.createNamespace(pAccess, boundary, kGuardNamespace);
            if (!hNamespace && ::GetLastError() != ERROR_ALREADY_EXISTS)
                break;
            if (!hNamespace)
                hNamespace = api.openNamespace(boundary, kGuardNamespace);
        }
    }
    api.deleteBoundary(boundary);
    return hNamespace;
}

// The owner of a kernel object as a string SID; nothing when the system reports none.
std::optional<std::string> OwnerOf(HANDLE hObject)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(hObject, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::string> sid;
    char* text = nullptr;
    if (owner && ::ConvertSidToStringSidA(owner, &text)) {
        sid = text;
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return sid;
}

}  // namespace

CCrossSessionGuard::~CCrossSessionGuard()
{
    Unlock();
    m_mutex.Close();
    if (m_hNamespace)
        CNamespaceApi().closeNamespace(m_hNamespace, 0);
}

void CCrossSessionGuard::Open()
{
    const CGuardAccess access;
    if (const CNamespaceApi api; api.IsComplete())
        m_hNamespace = OpenGuardNamespace(api, access.Get());
    if (m_hNamespace) {
        m_kind = Kind::PrivateNamespace;
        m_mutex.Attach(::CreateMutexW(access.Get(), FALSE, kGuardNamespaceMutex));
        return;
    }
    m_kind = Kind::GlobalName;
    HANDLE hMutex = ::CreateMutexA(access.Get(), FALSE, kGlobalInstanceMutexName);
    const DWORD dwError = ::GetLastError();
    m_mutex.Attach(hMutex);
    std::optional<std::string> owner;
    GuardFound found = GuardFound::Made;
    if (!m_mutex)
        found = GuardFound::NotOpenable;
    else if (dwError == ERROR_ALREADY_EXISTS)
        found = (owner = OwnerOf(m_mutex.Get())) ? GuardFound::Owned : GuardFound::OwnerUnreported;
    if (!CountsAsInstance(found, owner)) {
        m_mutex.Close();
        m_kind = Kind::Squatted;
    }
}

BOOL CCrossSessionGuard::Lock(DWORD dwTimeout)
{
    if (m_kind == Kind::None)
        Open();
    if (m_kind == Kind::Squatted)
        return TRUE;
    if (!m_mutex)
        return FALSE;
    const DWORD result = ::WaitForSingleObject(m_mutex.Get(), dwTimeout);
    m_bLocked = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    return m_bLocked;
}

void CCrossSessionGuard::Unlock()
{
    if (m_bLocked)
        ::ReleaseMutex(m_mutex.Get());
    m_bLocked = false;
}
