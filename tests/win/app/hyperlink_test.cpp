// The link label under Wine, subclassed from real statics of a test dialog: where its text sits
// for each alignment, which presses open the link, the keyboard while it has the focus, and the
// hand cursor. The label's text names a program of ours, so "open" starts it instead of a browser;
// the test process runs in a job object, whose process count says at once how many times the
// shell started something.
#include "app/hyperlink.h"
#include "framework/dialog.h"
#include "support/file_bytes.h"
#include "support/modal.h"
#include "hyperlink_test_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class CProbeLink : public CHyperLink {
public:
    using CHyperLink::m_font;
    using CHyperLink::m_hLinkCursor;
    using CHyperLink::m_rcText;
};

struct Command {
    WORD id;
    WORD code;
    HWND from;
};

class CLinkTestDlg : public CDialog {
public:
    CLinkTestDlg() : CDialog(IDD_LINK_TEST) {}

    CProbeLink m_link;
    CProbeLink m_center;
    CProbeLink m_right;
    std::vector<Command> m_commands;

    std::vector<Command> CommandsFrom(WORD id) const
    {
        std::vector<Command> found;
        for (const Command& command : m_commands)
            if (command.id == id)
                found.push_back(command);
        return found;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_TEST_LINK, m_link);
        DDX_Control(pDX, IDC_CENTER_LINK, m_center);
        DDX_Control(pDX, IDC_RIGHT_LINK, m_right);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND)
            m_commands.push_back({LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

// Counts the programs that this process starts, the shell's included, as they are created.
class CLaunchCounter {
public:
    CLaunchCounter()
    {
        static HANDLE s_hJob = [] {
            HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
            if (job && !::AssignProcessToJobObject(job, ::GetCurrentProcess())) {
                ::CloseHandle(job);
                job = nullptr;
            }
            return job;
        }();
        m_hJob = s_hJob;
        m_nStart = Total();
    }
    bool Ready() const { return m_hJob != nullptr; }
    DWORD Started() const { return Total() - m_nStart; }

private:
    DWORD Total() const
    {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        ::QueryInformationJobObject(m_hJob, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr);
        return info.TotalProcesses;
    }
    HANDLE m_hJob;
    DWORD m_nStart;
};

std::string Directory(const std::string& path)
{
    return path.substr(0, path.find_last_of("\\/"));
}

std::string ModulePath()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// The stand-in browser beside this test, and the log it appends a line to on every run.
class LinkTarget : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_launches.Ready()) << "no job object";
        char temp[MAX_PATH] = {};
        ::GetTempPathA(sizeof temp, temp);
        m_log = std::string(temp) + "vtx_link_log_" + std::to_string(::GetCurrentProcessId()) + ".txt";
        ::DeleteFileA(m_log.c_str());
        ::SetEnvironmentVariableA("VTX_LINK_LOG", m_log.c_str());
        m_target = Directory(ModulePath()) + "\\vtx_link_target.exe";
        ASSERT_NE(::GetFileAttributesA(m_target.c_str()), INVALID_FILE_ATTRIBUTES) << m_target;
    }
    void TearDown() override
    {
        WaitForRuns(m_launches.Started());
        ::DeleteFileA(m_log.c_str());
    }

    // Lines in the log once `expected` runs have written theirs (or 20 s have gone by).
    int WaitForRuns(DWORD expected) const
    {
        int lines = 0;
        for (int i = 0; i < 400; ++i) {
            lines = CountLines();
            if (lines >= static_cast<int>(expected))
                break;
            ::Sleep(50);
        }
        return lines;
    }
    int CountLines() const
    {
        const std::string log = ReadWholeFile(m_log).value_or("");
        return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
    }

    // Gives the label the target's path as its text, and room for it with space to spare.
    void PointAtTarget(CProbeLink& link)
    {
        link.SetWindowText(m_target.c_str());
        const RECT text = link.m_rcText;
        RECT client;
        link.GetClientRect(&client);
        ::SetWindowPos(link, nullptr, 0, 0, text.right - text.left + 80, client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    CLaunchCounter m_launches;
    std::string m_log;
    std::string m_target;
};

POINT Centre(const RECT& rect)
{
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

LPARAM At(POINT point)
{
    return MAKELPARAM(point.x, point.y);
}

SIZE TextExtent(CProbeLink& link, const char* text)
{
    HDC dc = ::GetDC(link);
    HGDIOBJ old = ::SelectObject(dc, *link.GetLinkFont());
    RECT rect{0, 0, 0, 0};
    ::DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(link, dc);
    return {rect.right, rect.bottom};
}

TEST(HyperLinkText, SitsAtTheTopAlignedAsItsStaticIsAlsoAfterAResize)
{
    CLinkTestDlg dlg;
    RunModal(dlg, [&](HWND hWnd) {
        const char text[] = "https://veltrix.example/aligned";
        for (int width : {300, 451}) {
            for (CProbeLink* link : {&dlg.m_link, &dlg.m_center, &dlg.m_right}) {
                link->SetWindowText(text);
                ::SetWindowPos(*link, nullptr, 0, 0, width, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                const SIZE extent = TextExtent(*link, text);
                const RECT rc = link->m_rcText;
                RECT client;
                link->GetClientRect(&client);
                SCOPED_TRACE("control " + std::to_string(link->GetDlgCtrlID()) + ", width " + std::to_string(width));
                ASSERT_EQ(client.right, width);
                EXPECT_EQ(rc.top, 0);
                EXPECT_EQ(rc.bottom, extent.cy);
                EXPECT_NEAR(rc.right - rc.left, extent.cx, 1);
                if (link == &dlg.m_link)
                    EXPECT_EQ(rc.left, 0);
                else if (link == &dlg.m_right)
                    EXPECT_EQ(rc.right, width);
                else
                    EXPECT_NEAR(rc.left, width - rc.right, 1) << "as much room left as right";
            }
        }
        // A longer text is measured again.
        dlg.m_right.SetWindowText("https://veltrix.example/a/much/longer/address");
        EXPECT_EQ(dlg.m_right.m_rcText.right, 451);
        EXPECT_NEAR(dlg.m_right.m_rcText.right - dlg.m_right.m_rcText.left,
                    TextExtent(dlg.m_right, "https://veltrix.example/a/much/longer/address").cx, 1);
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST(HyperLinkText, IsDrawnInAnUnderlinedCopyOfTheFontItIsGiven)
{
    CLinkTestDlg dlg;
    RunModal(dlg, [&](HWND hWnd) {
        LOGFONTA dialogFont{}, linkFont{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)), sizeof dialogFont, &dialogFont);
        ::GetObjectA(*dlg.m_link.GetLinkFont(), sizeof linkFont, &linkFont);
        EXPECT_TRUE(linkFont.lfUnderline);
        EXPECT_FALSE(dialogFont.lfUnderline);
        EXPECT_STREQ(linkFont.lfFaceName, dialogFont.lfFaceName);
        EXPECT_EQ(linkFont.lfHeight, dialogFont.lfHeight);

        // A bigger font: the label takes its underlined copy and measures the text with it.
        LOGFONTA big = dialogFont;
        big.lfHeight = dialogFont.lfHeight * 3;
        HFONT hBig = ::CreateFontIndirectA(&big);
        const LONG before = dlg.m_link.m_rcText.bottom;
        ::SendMessageA(dlg.m_link, WM_SETFONT, reinterpret_cast<WPARAM>(hBig), TRUE);
        ::GetObjectA(*dlg.m_link.GetLinkFont(), sizeof linkFont, &linkFont);
        EXPECT_TRUE(linkFont.lfUnderline);
        EXPECT_EQ(linkFont.lfHeight, big.lfHeight);
        EXPECT_GT(dlg.m_link.m_rcText.bottom, before);

        // No font at all: the default GUI font, underlined.
        ::SendMessageA(dlg.m_link, WM_SETFONT, 0, TRUE);
        LOGFONTA gui{};
        ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
        ::GetObjectA(*dlg.m_link.GetLinkFont(), sizeof linkFont, &linkFont);
        EXPECT_TRUE(linkFont.lfUnderline);
        EXPECT_STREQ(linkFont.lfFaceName, gui.lfFaceName);
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        ::DeleteObject(hBig);
    });
}

TEST_F(LinkTarget, PressAndReleaseOnTheTextOpensTheTargetAndNotifiesTheParent)
{
    CLinkTestDlg dlg;
    RunModal(dlg, [&](HWND hWnd) {
        PointAtTarget(dlg.m_link);
        const POINT on = Centre(dlg.m_link.m_rcText);
        ::SendMessageA(dlg.m_link, WM_LBUTTONDOWN, MK_LBUTTON, At(on));
        EXPECT_EQ(::GetCapture(), dlg.m_link.m_hWnd);
        EXPECT_EQ(::GetFocus(), dlg.m_link.m_hWnd) << "a tab stop takes the focus on a press";
        ::SendMessageA(dlg.m_link, WM_LBUTTONUP, 0, At(on));
        EXPECT_EQ(::GetCapture(), nullptr);
        EXPECT_EQ(m_launches.Started(), 1u);
        const std::vector<Command> notes = dlg.CommandsFrom(IDC_TEST_LINK);
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_EQ(notes[0].code, 1);
        EXPECT_EQ(notes[0].from, dlg.m_link.m_hWnd);

        // Every click opens again.
        ::SendMessageA(dlg.m_link, WM_LBUTTONDOWN, MK_LBUTTON, At(on));
        ::SendMessageA(dlg.m_link, WM_LBUTTONUP, 0, At(on));
        EXPECT_EQ(m_launches.Started(), 2u);
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(WaitForRuns(2), 2) << "the shell started the label's own target";
}

TEST_F(LinkTarget, PressesThatDoNotEndOnTheTextOpenNothing)
{
    CLinkTestDlg dlg;
    RunModal(dlg, [&](HWND hWnd) {
        PointAtTarget(dlg.m_link);
        const RECT text = dlg.m_link.m_rcText;
        const POINT on = Centre(text);
        const POINT beside = {text.right + 40, on.y};  // inside the control, right of the text

        // A press beside the text is no press at all.
        ::SendMessageA(dlg.m_link, WM_LBUTTONDOWN, MK_LBUTTON, At(beside));
        EXPECT_EQ(::GetCapture(), nullptr);
        ::SendMessageA(dlg.m_link, WM_LBUTTONUP, 0, At(beside));

        // Pressed on the text, moved off and released there.
        ::SendMessageA(dlg.m_link, WM_LBUTTONDOWN, MK_LBUTTON, At(on));
        ::SendMessageA(dlg.m_link, WM_MOUSEMOVE, MK_LBUTTON, At(beside));
        ::SendMessageA(dlg.m_link, WM_LBUTTONUP, 0, At(beside));
        EXPECT_EQ(::GetCapture(), nullptr) << "the release still ends the press";

        // Pressed on the text, then another window takes the input: the press is abandoned.
        ::SendMessageA(dlg.m_link, WM_LBUTTONDOWN, MK_LBUTTON, At(on));
        ASSERT_EQ(::GetCapture(), dlg.m_link.m_hWnd);
        ::SendMessageA(dlg.m_link, WM_CANCELMODE, 0, 0);
        EXPECT_EQ(::GetCapture(), nullptr);
        ::SendMessageA(dlg.m_link, WM_LBUTTONUP, 0, At(on));

        EXPECT_EQ(m_launches.Started(), 0u);
        EXPECT_TRUE(dlg.CommandsFrom(IDC_TEST_LINK).empty());

        // Moved off and back onto the text before the release: that opens.
        ::SendMessageA(dlg.m_link, WM_LBUTTONDOWN, MK_LBUTTON, At(on));
        ::SendMessageA(dlg.m_link, WM_MOUSEMOVE, MK_LBUTTON, At(beside));
        ::SendMessageA(dlg.m_link, WM_MOUSEMOVE, MK_LBUTTON, At(on));
        ::SendMessageA(dlg.m_link, WM_LBUTTONUP, 0, At(on));
        EXPECT_EQ(m_launches.Started(), 1u);
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(WaitForRuns(1), 1);
}

// Keys reach the focused label as they would from the keyboard: posted, then through the
// dialog's modal loop and its dialog manager.
void PressKey(CLinkTestDlg& dlg, UINT key, bool shift = false)
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, 1);
    PumpMessages(&dlg);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
}

TEST_F(LinkTarget, EnterOnTheFocusedLabelOpensItInsteadOfPressingTheDefaultButton)
{
    CLinkTestDlg dlg;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        PointAtTarget(dlg.m_link);
        dlg.m_link.SetFocus();
        PressKey(dlg, VK_RETURN);
        EXPECT_EQ(m_launches.Started(), 1u);
        const std::vector<Command> notes = dlg.CommandsFrom(IDC_TEST_LINK);
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_EQ(notes[0].code, 1);
        EXPECT_TRUE(dlg.CommandsFrom(IDOK).empty());
        EXPECT_FALSE(dlg.IsEnding());
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(WaitForRuns(1), 1);
}

TEST(HyperLinkKeys, EscapeOnTheFocusedLabelCancelsTheDialog)
{
    CLinkTestDlg dlg;
    const INT_PTR result = RunModal(dlg, [&](HWND) {
        dlg.m_link.SetFocus();
        PressKey(dlg, VK_ESCAPE);
        const std::vector<Command> cancels = dlg.CommandsFrom(IDCANCEL);
        ASSERT_EQ(cancels.size(), 1u);
        EXPECT_EQ(cancels[0].code, 0);
        EXPECT_EQ(cancels[0].from, dlg.m_link.m_hWnd);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(HyperLinkKeys, TabAndShiftTabMoveToTheNextEnabledTabStopAndWrapAround)
{
    CLinkTestDlg dlg;
    RunModal(dlg, [&](HWND hWnd) {
        HWND first = ::GetDlgItem(hWnd, IDC_FIRST);
        HWND last = ::GetDlgItem(hWnd, IDC_LAST);
        auto tabFromLink = [&](bool shift) {
            dlg.m_link.SetFocus();
            PressKey(dlg, VK_TAB, shift);
            return ::GetFocus();
        };
        EXPECT_EQ(tabFromLink(false), last) << "past a disabled button and a static";
        EXPECT_EQ(tabFromLink(true), first) << "back past a disabled button";

        ::EnableWindow(last, FALSE);
        EXPECT_EQ(tabFromLink(false), first) << "wraps to the first sibling";
        ::EnableWindow(last, TRUE);
        ::EnableWindow(first, FALSE);
        EXPECT_EQ(tabFromLink(true), last) << "wraps to the last sibling";
        ::EnableWindow(last, FALSE);
        EXPECT_EQ(tabFromLink(false), dlg.m_link.m_hWnd) << "nothing else to go to";
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST(HyperLinkMouse, ClaimsItsClientAreaAndShowsTheHandOnlyOverTheText)
{
    HCURSOR hand = nullptr;
    HFONT font = nullptr;
    {
        CLinkTestDlg dlg;
        RunModal(dlg, [&](HWND hWnd) {
            dlg.m_link.SetWindowText("https://veltrix.example");
            const RECT text = dlg.m_link.m_rcText;
            POINT on = Centre(text), beside = {text.right + 30, on.y};
            dlg.m_link.ClientToScreen(&on);
            dlg.m_link.ClientToScreen(&beside);

            EXPECT_EQ(::SendMessageA(dlg.m_link, WM_NCHITTEST, 0, At(beside)), HTCLIENT);
            EXPECT_EQ(::SendMessageA(::GetDlgItem(hWnd, IDC_PLAIN), WM_NCHITTEST, 0, At(beside)), HTTRANSPARENT)
                << "a plain static lets the mouse through";

            const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
            ::SetCursorPos(on.x, on.y);
            EXPECT_TRUE(::SendMessageA(dlg.m_link, WM_SETCURSOR, reinterpret_cast<WPARAM>(dlg.m_link.m_hWnd), overClient));
            hand = dlg.m_link.m_hLinkCursor.Get();
            ASSERT_NE(hand, nullptr);
            EXPECT_EQ(::GetCursor(), hand);
            ICONINFO info{};
            ASSERT_TRUE(::GetIconInfo(hand, &info));
            EXPECT_EQ(info.xHotspot, 0u);
            EXPECT_EQ(info.yHotspot, 0u);
            ::DeleteObject(info.hbmMask);
            if (info.hbmColor)
                ::DeleteObject(info.hbmColor);

            ::SetCursorPos(beside.x, beside.y);
            ::SendMessageA(dlg.m_link, WM_SETCURSOR, reinterpret_cast<WPARAM>(dlg.m_link.m_hWnd), overClient);
            EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_ARROW));

            ::SetCursorPos(on.x, on.y);
            ::SendMessageA(dlg.m_link, WM_SETCURSOR, reinterpret_cast<WPARAM>(dlg.m_link.m_hWnd), overClient);
            EXPECT_EQ(dlg.m_link.m_hLinkCursor.Get(), hand) << "loaded once";
            font = dlg.m_link.m_font;
            ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
            ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        });
    }
    // Gone with the label object: the cursor it loaded and the font it made.
    ICONINFO info{};
    EXPECT_FALSE(::GetIconInfo(hand, &info));
    LOGFONTA logFont{};
    EXPECT_EQ(::GetObjectA(font, sizeof logFont, &logFont), 0);
}

}  // namespace
