#include "password_test_support.h"

#include <algorithm>
#include <cstdio>

#include "support/modal.h"
#include "support/file_bytes.h"

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
    m_scratch.emplace("vtxP");
    ASSERT_TRUE(::SetCurrentDirectoryA(m_scratch->Make("data", true).c_str()));
    ASSERT_TRUE(::SetCurrentDirectoryA(".."));
}

void InstallFolderTest::TearDown()
{
    m_scratch.reset();
}

void InstallFolderTest::WriteBytes(const char* path, const std::string& bytes)
{
    ASSERT_TRUE(WriteWholeFile(path, bytes)) << path;
}

std::string InstallFolderTest::ReadBytes(const char* path)
{
    return ReadWholeFile(path).value_or("<missing>");
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

