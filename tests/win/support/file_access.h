// A file's access list read back as text, for tests to compare: "protected" or "inherited", then
// each entry as "allow|deny <SID> <mask in hex>".
#pragma once

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>

inline std::string AccessListOf(const std::string& path)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                nullptr, &descriptor) != ERROR_SUCCESS)
        return "(unreadable)";
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    std::string text = (control & SE_DACL_PROTECTED) ? "protected" : "inherited";
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!::GetAce(dacl, i, reinterpret_cast<void**>(&header)))
            break;
        // Allowed and denied entries share their layout.
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        char* sid = nullptr;
        ::ConvertSidToStringSidA(&ace->SidStart, &sid);
        char mask[16];
        std::snprintf(mask, sizeof mask, "%lx", static_cast<unsigned long>(ace->Mask));
        text += std::string(", ") + (header->AceType == ACCESS_DENIED_ACE_TYPE ? "deny " : "allow ") +
                (sid ? sid : "?") + " " + mask;
        ::LocalFree(sid);
    }
    ::LocalFree(descriptor);
    return text;
}

// Whether files here keep an access list set on them. Wine 8 as Debian builds it neither stores
// nor applies one: it answers with a list made from the Unix file mode.
inline bool AccessListsAreKept()
{
    char folder[MAX_PATH];
    char probe[MAX_PATH];
    if (!::GetTempPathA(MAX_PATH, folder) || !::GetTempFileNameA(folder, "acl", 0, probe))
        return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    bool kept = false;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;SY)(A;;FA;;;BA)", SDDL_REVISION_1,
                                                             &descriptor, nullptr) &&
        ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
        ::SetNamedSecurityInfoA(probe, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS)
        kept = AccessListOf(probe).rfind("protected", 0) == 0;
    ::LocalFree(descriptor);
    ::DeleteFileA(probe);
    return kept;
}

// SYSTEM and Administrators with full control, nothing else, nothing inherited.
constexpr char kAdministratorsOnly[] = "protected, allow S-1-5-18 1f01ff, allow S-1-5-32-544 1f01ff";
