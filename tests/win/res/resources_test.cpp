// The resources of the built vtx.exe, read back from the file: every dialog template field by
// field, the list menu, the accelerator table, the system-menu strings, the icons, the link
// cursor, the manifest and the version. The expected values are the program's own tables,
// written out here as numbers so that a wrong id in resource.h cannot hide itself.
#include "audit/veltrix_events.h"
#include "resource_reader.h"
#include "res/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <regex>

namespace {

static_assert(IDD_ABOUTBOX == 100 && IDD_MAIN == 102 && IDD_LOGIN == 143 && IDD_CHANGE_PASSWORD == 144 &&
              IDD_STOP_PROGRESS == 147);
static_assert(IDS_ABOUTBOX == 101 && IDS_UNINSTALL == 102 && IDM_ABOUTBOX == 0x10 && IDM_UNINSTALL == 0x20);
static_assert(IDR_MAINFRAME == 128 && IDI_APP == 141 && IDC_LINK_CURSOR == 146 && IDR_LIST_POPUP == 149 &&
              IDR_LIST_ACCEL == 151);
static_assert(IDC_TRUSTED_LIST == 1003 && IDC_LOCKED_LIST == 1005 && IDC_ADD_LOCKED == 1006 &&
              IDC_REMOVE_LOCKED == 1007 && IDC_HELP_BUTTON == 1008 && IDC_ADD_TRUSTED == 1009 &&
              IDC_REMOVE_TRUSTED == 1010 && IDC_CHANGE_PASSWORD == 1011 && IDC_PASSWORD == 1012 &&
              IDC_CONFIRM_PASSWORD == 1013 && IDC_NEW_PASSWORD == 1014 && IDC_LINK == 1016 &&
              IDC_STOP_PROGRESS == 1018);
static_assert(ID_SELECT_ALL == 32771 && ID_INVERT_SELECTION == 32772 && ID_REMOVE_FROM_LIST == 32773 &&
              ID_CLEAR_LIST == 32774 && ID_ADD_ITEM_TO_LIST == 32775);

const char kExePath[] = VTX_EXE_PATH;

struct ExpectedItem {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    short x, y, cx, cy;
};

enum class Kind { Either, Extended };

struct ExpectedDialog {
    const char* name;
    int id;
    Kind kind;
    DWORD style;
    DWORD exStyle;
    const char* caption;
    bool atOrigin;  // the position 0, 0 is part of the table
    short cx, cy;
    std::vector<ExpectedItem> items;  // in tab order
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kBox = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

const ExpectedDialog kDialogs[] = {
    {"AboutBox", 100, Kind::Either, kBox, 0, "About Veltrix", false, 234, 99,
     {
         {-1, "STATIC", "#141", kChild | SS_ICON, 7, 12, 20, 20},
         {-1, "STATIC", "Veltrix Version 2.01", kChild | WS_GROUP | SS_NOPREFIX, 33, 21, 81, 8},
         {-1, "STATIC", "Copyright (C) 2026 the Veltrix developers", kChild | WS_GROUP, 33, 34, 137, 8},
         {1, "BUTTON", "OK", kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 177, 7, 50, 14},
         {1016, "STATIC", "https://veltrix.example", kChild | WS_GROUP | SS_LEFT, 33, 61, 101, 8},
     }},
    {"MainWindow", 102, Kind::Extended, kBox | WS_VISIBLE | WS_MINIMIZEBOX, WS_EX_APPWINDOW, "Veltrix", false, 385,
     289,
     {
         {1005, "SYSLISTVIEW32", "", kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHAREIMAGELISTS, 15, 22, 296, 93},
         {1006, "BUTTON", "Add...", kChild | WS_TABSTOP, 317, 22, 53, 14},
         {1007, "BUTTON", "Remove", kChild | WS_TABSTOP, 317, 41, 53, 14},
         {1003, "SYSLISTVIEW32", "", kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHAREIMAGELISTS, 15, 152, 296, 93},
         {1009, "BUTTON", "Add...", kChild | WS_TABSTOP, 317, 153, 53, 14},
         {1010, "BUTTON", "Remove", kChild | WS_TABSTOP, 317, 172, 53, 14},
         {1, "BUTTON", "Close", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 325, 268, 53, 14},
         {1008, "BUTTON", "Help", kChild | WS_TABSTOP, 267, 268, 53, 14},
         {1011, "BUTTON", "Change Password...", kChild | WS_TABSTOP, 7, 268, 83, 14},
         {-1, "BUTTON", "Locked Folder/Files", kChild | BS_GROUPBOX, 7, 7, 371, 121},
         {-1, "BUTTON", "Trusted Programs", kChild | BS_GROUPBOX, 7, 136, 371, 121},
     }},
    {"Login", 143, Kind::Either, kBox, 0, "Login Veltrix ", false, 181, 78,
     {
         {1012, "EDIT", "", kChild | WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 41, 27, 104, 14},
         {1, "BUTTON", "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED, 41, 56, 50, 14},
         {2, "BUTTON", "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 95, 56, 50, 14},
         {-1, "STATIC", "#128", kChild | SS_ICON, 7, 8, 20, 20},
         {-1, "STATIC", "Veltrix password:", kChild | SS_LEFT | WS_GROUP, 41, 12, 69, 8},
     }},
    {"ChangePassword", 144, Kind::Either, kBox, 0, "Change Veltrix Password", false, 199, 113,
     {
         {1014, "EDIT", "", kChild | WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 47, 24, 107, 14},
         {1013, "EDIT", "", kChild | WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 47, 61, 107, 14},
         {1, "BUTTON", "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED, 47, 92, 50, 14},
         {2, "BUTTON", "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 104, 92, 50, 14},
         {-1, "STATIC", "#128", kChild | SS_ICON, 7, 7, 20, 20},
         {-1, "STATIC", "New password:", kChild | SS_LEFT | WS_GROUP, 47, 10, 53, 8},
         {-1, "STATIC", "Confirm password:", kChild | SS_LEFT | WS_GROUP, 47, 47, 69, 8},
     }},
    {"StopProgress", 147, Kind::Extended, 0x80C000C0, WS_EX_TOOLWINDOW, "Veltrix", true, 175, 54,
     {
         {1018, "MSCTLS_PROGRESS32", "Progress1", kChild | WS_BORDER, 7, 23, 161, 9},
         {-1, "STATIC", "Stopping...", kChild | WS_GROUP | SS_LEFT, 7, 10, 45, 8},
     }},
};

void PrintTo(const ExpectedDialog& dialog, std::ostream* out)
{
    *out << "template " << dialog.id;
}

class ResourcesOfVtx : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(m_file.Module(), nullptr) << "cannot map " << kExePath; }
    CResourceFile m_file{kExePath};
};

class DialogTemplateOfVtx : public ResourcesOfVtx, public ::testing::WithParamInterface<ExpectedDialog> {};

std::string Hex(DWORD value)
{
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

TEST_P(DialogTemplateOfVtx, MatchesItsTableFieldByField)
{
    const ExpectedDialog& expected = GetParam();
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialog(m_file.Find(RT_DIALOG, expected.id), dialog)) << "template " << expected.id;

    if (expected.kind == Kind::Extended)
        EXPECT_TRUE(dialog.extended) << "an extended template (DLGTEMPLATEEX)";
    EXPECT_EQ(Hex(dialog.style), Hex(expected.style));
    EXPECT_EQ(Hex(dialog.exStyle), Hex(expected.exStyle));
    EXPECT_EQ(dialog.caption, expected.caption);
    EXPECT_EQ(dialog.cx, expected.cx);
    EXPECT_EQ(dialog.cy, expected.cy);
    if (expected.atOrigin) {
        EXPECT_EQ(dialog.x, 0);
        EXPECT_EQ(dialog.y, 0);
    }
    EXPECT_EQ(dialog.menu, "");
    EXPECT_EQ(dialog.className, "");
    EXPECT_EQ(dialog.face, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_TRUE(dialog.weight == 0 || dialog.weight == FW_NORMAL) << dialog.weight;
    EXPECT_EQ(dialog.italic, 0);

    ASSERT_EQ(dialog.items.size(), expected.items.size());
    for (size_t i = 0; i < expected.items.size(); ++i) {
        const ExpectedItem& want = expected.items[i];
        const DialogItem& item = dialog.items[i];
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + want.text + "\"");
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.className, want.className);
        EXPECT_EQ(item.text, want.text);
        EXPECT_EQ(Hex(item.style), Hex(want.style));
        EXPECT_EQ(Hex(item.exStyle), Hex(0));
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
    }
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// The dialog manager's own reading of the same bytes: the windows it creates, in tab order.
TEST_P(DialogTemplateOfVtx, CreatesItsControlsInTabOrder)
{
    const ExpectedDialog& expected = GetParam();
    const std::vector<BYTE> data = m_file.Find(RT_DIALOG, expected.id);
    ASSERT_FALSE(data.empty());
    HWND dialog = ::CreateDialogIndirectParamA(m_file.Module(), reinterpret_cast<LPCDLGTEMPLATEA>(data.data()),
                                               nullptr, &PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    char caption[64] = {};
    ::GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, expected.caption);

    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");

    HWND child = ::GetWindow(dialog, GW_CHILD);
    for (const ExpectedItem& want : expected.items) {
        SCOPED_TRACE(want.text);
        ASSERT_NE(child, nullptr);
        char className[64] = {}, text[128] = {};
        ::GetClassNameA(child, className, sizeof className);
        ::GetWindowTextA(child, text, sizeof text);
        EXPECT_EQ(lstrcmpiA(className, want.className), 0) << className;
        EXPECT_EQ(static_cast<short>(::GetDlgCtrlID(child)), want.id);
        const bool icon = std::strcmp(want.className, "STATIC") == 0 && (want.style & SS_TYPEMASK) == SS_ICON;
        if (icon)
            EXPECT_NE(::SendMessageA(child, STM_GETICON, 0, 0), 0) << "the icon loads from the program";
        else
            EXPECT_STREQ(text, want.text);
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no control beyond the table";
    ::DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Vtx, DialogTemplateOfVtx, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<ExpectedDialog>& info) { return std::string(info.param.name); });

TEST_F(ResourcesOfVtx, ListMenuIsOnePopupWithTheFiveCommandsAndTwoSeparators)
{
    const std::vector<BYTE> data = m_file.Find(RT_MENU, 149);
    std::vector<MenuItem> top;
    ASSERT_TRUE(ParseMenu(data, top));
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].flags, MF_POPUP);

    struct Want {
        WORD id;
        const char* text;
    };
    const Want wanted[] = {{32771, "&Select All\tCtrl+A"}, {32772, "I&nvert Selection\tCtrl+W"}, {0, nullptr},
                           {32773, "&Remove From List\tCtrl+R"}, {32774, "&Clear List\tCtrl+L"}, {0, nullptr},
                           {32775, "&Add Item to List\tCtrl+I"}};
    const std::vector<MenuItem>& items = top[0].items;
    ASSERT_EQ(items.size(), std::size(wanted));
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE("position " + std::to_string(i + 1));
        if (!wanted[i].text) {
            EXPECT_EQ(items[i].id, 0);
            EXPECT_EQ(items[i].text, "");
            EXPECT_EQ(items[i].flags & ~MF_SEPARATOR, 0);
        } else {
            EXPECT_EQ(items[i].id, wanted[i].id);
            EXPECT_EQ(items[i].text, wanted[i].text);
            EXPECT_EQ(items[i].flags, 0) << "neither grayed nor checked in the resource";
        }
    }

    // The menu loader reads the separators as separators.
    HMENU menu = ::LoadMenuIndirectA(data.data());
    ASSERT_NE(menu, nullptr);
    HMENU popup = ::GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(::GetMenuItemCount(popup), 7);
    for (UINT i = 0; i < 7; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID;
        ASSERT_TRUE(::GetMenuItemInfoA(popup, i, TRUE, &info));
        EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, wanted[i].text == nullptr) << "position " << i + 1;
        if (wanted[i].text)
            EXPECT_EQ(info.wID, wanted[i].id);
    }
    ::DestroyMenu(menu);
}

TEST_F(ResourcesOfVtx, AcceleratorTableIsCtrlKeysInItsOrder)
{
    std::vector<Accelerator> table;
    ASSERT_TRUE(ParseAccelerators(m_file.Find(RT_ACCELERATOR, 151), table));
    const WORD flags = FVIRTKEY | FCONTROL | FNOINVERT;
    const Accelerator wanted[] = {
        {flags, 'A', 32771}, {flags, 'I', 32775}, {flags, 'L', 32774}, {flags, 'R', 32773}, {flags, 'W', 32772}};
    ASSERT_EQ(table.size(), std::size(wanted));
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(table[i].flags, wanted[i].flags);
        EXPECT_EQ(table[i].key, wanted[i].key);
        EXPECT_EQ(table[i].id, wanted[i].id);
    }
}

TEST_F(ResourcesOfVtx, SystemMenuStringsAreInTheStringTable)
{
    const std::vector<BYTE> block = m_file.Find(RT_STRING, 101 / 16 + 1);
    std::string about, uninstall;
    ASSERT_TRUE(ParseString(block, 101, about));
    ASSERT_TRUE(ParseString(block, 102, uninstall));
    EXPECT_EQ(about, "&About Veltrix...");
    EXPECT_EQ(uninstall, "Uninstall Veltrix...");

    char loaded[64] = {};
    EXPECT_GT(::LoadStringA(m_file.Module(), 101, loaded, sizeof loaded), 0);
    EXPECT_STREQ(loaded, "&About Veltrix...");
}

TEST_F(ResourcesOfVtx, IconsHaveALargeAndASmallImage)
{
    for (int id : {128, 141}) {
        SCOPED_TRACE("icon " + std::to_string(id));
        const std::vector<BYTE> group = m_file.Find(RT_GROUP_ICON, id);
        ASSERT_GE(group.size(), 6u);
        const WORD count = static_cast<WORD>(group[4] | group[5] << 8);
        ASSERT_EQ(group.size(), 6u + 14u * count);
        bool large = false, small = false;
        for (WORD i = 0; i < count; ++i) {
            const BYTE* entry = group.data() + 6 + 14 * i;
            large |= entry[0] == 32 && entry[1] == 32;
            small |= entry[0] == 16 && entry[1] == 16;
            const int imageId = entry[12] | entry[13] << 8;
            EXPECT_FALSE(m_file.Find(RT_ICON, imageId).empty()) << "image " << imageId;
        }
        EXPECT_TRUE(large);
        EXPECT_TRUE(small);
        for (int size : {32, 16}) {
            HICON icon = static_cast<HICON>(::LoadImageA(m_file.Module(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            EXPECT_NE(icon, nullptr) << size;
            if (icon)
                ::DestroyIcon(icon);
        }
    }
}

TEST_F(ResourcesOfVtx, LinkCursorIsOneMonochromeHandWithItsHotSpotAtTheTopLeft)
{
    const std::vector<BYTE> group = m_file.Find(RT_GROUP_CURSOR, 146);
    ASSERT_EQ(group.size(), 6u + 14u) << "one image";
    const BYTE* entry = group.data() + 6;
    EXPECT_EQ(entry[0] | entry[1] << 8, 32) << "width";
    EXPECT_EQ(entry[2] | entry[3] << 8, 64) << "height of image and mask";
    EXPECT_EQ(entry[6] | entry[7] << 8, 1) << "bits per pixel";

    const std::vector<BYTE> image = m_file.Find(RT_CURSOR, entry[12] | entry[13] << 8);
    ASSERT_GE(image.size(), 4u + sizeof(BITMAPINFOHEADER) + 8 + 2 * 128);
    EXPECT_EQ(image[0] | image[1] << 8, 0) << "hot spot x";
    EXPECT_EQ(image[2] | image[3] << 8, 0) << "hot spot y";
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data() + 4, sizeof header);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64);
    EXPECT_EQ(header.biBitCount, 1);

    // The finger's tip is drawn at the hot spot: the mask (bottom-up rows of 4 bytes, after the
    // image) is opaque within the top-left 2 x 2 pixels, and the far corner is transparent.
    const BYTE* mask = image.data() + 4 + header.biSize + 8 + 128;
    auto opaque = [&](int x, int y) { return !(mask[(31 - y) * 4 + x / 8] & (0x80 >> (x % 8))); };
    EXPECT_TRUE(opaque(0, 1) || opaque(1, 0) || opaque(1, 1));
    EXPECT_FALSE(opaque(31, 31));

    HICON cursor = ::CreateIconFromResourceEx(const_cast<BYTE*>(image.data()), static_cast<DWORD>(image.size()),
                                              FALSE, 0x00030000, 32, 32, 0);
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 0u);
    EXPECT_EQ(info.yHotspot, 0u);
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    ::DestroyCursor(cursor);
}

// The attributes of the first element named `element` inside `xml`.
std::string Element(const std::string& xml, const std::string& element, size_t from = 0)
{
    const size_t start = xml.find("<" + element, from);
    if (start == std::string::npos)
        return {};
    return xml.substr(start, xml.find('>', start) - start);
}

std::string Attribute(const std::string& element, const char* name)
{
    const std::regex pattern(std::string("\\s") + name + "\\s*=\\s*\"([^\"]*)\"");
    std::smatch match;
    return std::regex_search(element, match, pattern) ? match[1].str() : "<missing>";
}

TEST_F(ResourcesOfVtx, ManifestBindsCommonControlsSixAndRequestsNoExecutionLevel)
{
    const std::vector<BYTE> data = m_file.Find(MAKEINTRESOURCEA(24), 1);
    ASSERT_FALSE(data.empty());
    const std::string xml(data.begin(), data.end());
    const size_t dependency = xml.find("<dependentAssembly");
    ASSERT_NE(dependency, std::string::npos);
    const std::string identity = Element(xml, "assemblyIdentity", dependency);
#ifdef _WIN64
    const char* architecture = "amd64";
#else
    const char* architecture = "x86";
#endif
    EXPECT_EQ(Attribute(identity, "type"), "win32");
    EXPECT_EQ(Attribute(identity, "name"), "Microsoft.Windows.Common-Controls");
    EXPECT_EQ(Attribute(identity, "version"), "6.0.0.0");
    EXPECT_EQ(Attribute(identity, "processorArchitecture"), architecture);
    EXPECT_EQ(Attribute(identity, "publicKeyToken"), "6595b64144ccf1df");
    EXPECT_EQ(Attribute(identity, "language"), "*");
    EXPECT_EQ(xml.find("requestedExecutionLevel"), std::string::npos);
    EXPECT_EQ(xml.find("trustInfo"), std::string::npos);

    // The loader accepts it, and in its context comctl32.dll comes from the 6.0 assembly.
    ACTCTXA context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = kExePath;
    context.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE hContext = ::CreateActCtxA(&context);
    ASSERT_NE(hContext, INVALID_HANDLE_VALUE) << ::GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(::ActivateActCtx(hContext, &cookie));
    ACTCTX_SECTION_KEYED_DATA keyed{};
    keyed.cbSize = sizeof keyed;
    const BOOL redirected = ::FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                                       "comctl32.dll", &keyed);
    std::wstring assembly;
    if (redirected) {
        SIZE_T needed = 0;
        ::QueryActCtxW(0, hContext, &keyed.ulAssemblyRosterIndex, AssemblyDetailedInformationInActivationContext,
                       nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        if (needed && ::QueryActCtxW(0, hContext, &keyed.ulAssemblyRosterIndex,
                                     AssemblyDetailedInformationInActivationContext, buffer.data(), needed, &needed))
            assembly = reinterpret_cast<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data())
                           ->lpAssemblyEncodedAssemblyIdentity;
    }
    ::DeactivateActCtx(0, cookie);
    ::ReleaseActCtx(hContext);
    ASSERT_TRUE(redirected);
    EXPECT_NE(assembly.find(L"Microsoft.Windows.Common-Controls"), std::wstring::npos) << ToAnsi(assembly);
    EXPECT_NE(assembly.find(L"version=\"6.0."), std::wstring::npos) << ToAnsi(assembly);
}

// The message table that Event Viewer reads through the source's EventMessageFile (vtx.exe):
// each event's text with its strings in place, its number as the viewer shows it (the id's low
// 16 bits) and its severity in the id's top bits.
TEST_F(ResourcesOfVtx, EventMessagesReadBackWithTheirStringsInPlace)
{
    const struct {
        DWORD id;
        WORD number;
        WORD severity;
        const char* text;
    } events[] = {
        {MSG_ENTRY_ADDED, 1001, 1, "C:\\Data was added to the locked list."},
        {MSG_ENTRY_REMOVED, 1002, 1, "C:\\Data was removed from the locked list."},
        {MSG_ENTRY_CLEARED, 1003, 1, "C:\\Data was removed from the locked list, which was cleared."},
        {MSG_LISTS_IMPORTED, 1004, 1,
         "The protection lists were imported from C:\\Data: locked entries added, 5 removed, 6 refused."},
        {MSG_PASSWORD_CHANGED, 1101, 1, "The Veltrix password was changed."},
        {MSG_LOGIN_REFUSED, 1102, 2, "The Veltrix login ended after five wrong passwords."},
        {MSG_CTL_WRONG_PASSWORD, 1103, 2, "vtxctl was given a wrong password; its command C:\\Data was not run."},
        {MSG_SERVICE_NOT_STARTED, 1201, 3, "Veltrix could not start the driver's service veltrix and ended."},
    };
    ASSERT_FALSE(m_file.Find(RT_MESSAGETABLE, 1).empty());
    const char* const strings[] = {"vtx.exe", "HOST\\admin", "C:\\Data", "locked", "5", "6"};
    DWORD_PTR arguments[std::size(strings)];
    for (size_t i = 0; i < std::size(strings); ++i)
        arguments[i] = reinterpret_cast<DWORD_PTR>(strings[i]);
    for (const auto& event : events) {
        char text[512] = {};
        const DWORD length = ::FormatMessageA(
            FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, m_file.Module(), event.id,
            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, reinterpret_cast<va_list*>(arguments));
        EXPECT_EQ(std::string(text, length), std::string(event.text) + "\r\n\r\nProgram: vtx.exe\r\nUser: HOST\\admin\r\n")
            << event.number;
        EXPECT_EQ(event.id & 0xFFFF, event.number);
        EXPECT_EQ(event.id >> 30, event.severity) << event.number;
    }
}

TEST_F(ResourcesOfVtx, VersionIsTwoZeroZeroTwo)
{
    ASSERT_FALSE(m_file.Find(RT_VERSION, 1).empty());
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(kExePath, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoA(kExePath, 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(Hex(fixed->dwFileVersionMS), Hex(0x00020000));
    EXPECT_EQ(Hex(fixed->dwFileVersionLS), Hex(0x00000002));
    EXPECT_EQ(Hex(fixed->dwProductVersionMS), Hex(0x00020000));
    EXPECT_EQ(Hex(fixed->dwProductVersionLS), Hex(0x00000002));

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                 &length));
    ASSERT_GE(length, 4u);
    for (const char* name : {"FileVersion", "ProductVersion"}) {
        char path[96];
        wsprintfA(path, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
        char* text = nullptr;
        ASSERT_TRUE(::VerQueryValueA(info.data(), path, reinterpret_cast<void**>(&text), &length)) << path;
        EXPECT_STREQ(text, "2, 0, 0, 2") << name;
    }
}

}  // namespace
