#include "password_test_support.h"

#include <algorithm>
#include <cstdio>

#include "support/modal.h"
#include "support/scratch_folder.h"

namespace {

// A message box shows its icon in a static of style SS_ICON; the standard icons are shared
// handles, so the handle tells which one it is.
BOOL CALLBACK FindIcon(HWND child, LPARAM lParam)
{
    if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        return TRUE;
    const HICON shown = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
    if (!shown)
        return TRUE;
    BoxIcon& icon = *reinterpret_cast<BoxIcon*>(lParam);
    if (shown == ::LoadIconA(nullptr, IDI_EXCLAMATION))
        icon = BoxIcon::Exclamation;
    else if (shown == ::LoadIconA(nullptr, IDI_INFORMATION))
        icon = BoxIcon::Information;
    else
        icon = BoxIcon::Other;
    return FALSE;
}

BoxIcon IconOf(HWND box)
{
    BoxIcon icon = BoxIcon::None;
    ::EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&icon));
    return icon;
}

}  // namespace

void InstallFolderTest::SetUp()
{
    ::GetCurrentDirectoryA(sizeof m_previous, m_previous);
    char temp[MAX_PATH], unique[MAX_PATH];
    ASSERT_NE(::GetTempPathA(sizeof temp, temp), 0u);
    ASSERT_NE(::GetTempFileNameA(temp, "vtx", 0, unique), 0u);
    ::DeleteFileA(unique);
    m_folder = unique;
    ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((m_folder + "\\data").c_str(), nullptr));
    ASSERT_TRUE(::SetCurrentDirectoryA(m_folder.c_str()));
}

void InstallFolderTest::TearDown()
{
    ::SetCurrentDirectoryA(m_previous);
    if (!m_folder.empty())
        RemoveTree(m_folder);
}

void InstallFolderTest::WriteBytes(const char* path, const std::string& bytes)
{
    std::FILE* file = std::fopen(path, "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string InstallFolderTest::ReadBytes(const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return "<missing>";
    std::string bytes;
    char buffer[256];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

std::vector<std::string> InstallFolderTest::DataFiles()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(".\\data\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

ShownBoxes::ShownBoxes()
{
    m_catcher.m_onShown = &ShownBoxes::OnShown;
    m_catcher.m_context = this;
}

void ShownBoxes::OnShown(HWND box, void* context)
{
    static_cast<ShownBoxes*>(context)->m_icons.push_back(IconOf(box));
}

std::vector<ShownBoxes::Box> ShownBoxes::All() const
{
    std::vector<Box> boxes;
    const auto& shown = m_catcher.Shown();
    for (size_t i = 0; i < shown.size(); ++i)
        boxes.push_back({shown[i].text, shown[i].caption, shown[i].owner,
                         i < m_icons.size() ? m_icons[i] : BoxIcon::None});
    return boxes;
}

std::pair<DWORD, DWORD> SelectionOf(HWND edit)
{
    DWORD start = 0, end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void AppendText(HWND edit, const char* text)
{
    const int length = ::GetWindowTextLengthA(edit);
    ::SendMessageA(edit, EM_SETSEL, length, length);
    TypeText(edit, text);
}

bool ReadOnlyIsEnforced()
{
    const char probe[] = ".\\read-only probe";
    std::FILE* file = std::fopen(probe, "wb");
    if (!file)
        return false;
    std::fclose(file);
    ::SetFileAttributesA(probe, FILE_ATTRIBUTE_READONLY);
    HANDLE writer = ::CreateFileA(probe, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool enforced = writer == INVALID_HANDLE_VALUE;
    if (!enforced)
        ::CloseHandle(writer);
    ::SetFileAttributesA(probe, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(probe);
    return enforced;
}

OpenElsewhere::OpenElsewhere(const char* path, DWORD share)
    : m_handle(::CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr))
{
}

OpenElsewhere::~OpenElsewhere()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_handle);
}
