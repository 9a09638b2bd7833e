// The dialog base and its message maps under Wine: dispatch by message, command and
// notification; data exchange; the modal loop's pre-translation; default processing; where a
// modal dialog opens.
#include "framework/controls.h"
#include "framework/dialog.h"
#include "support/modal.h"
#include "framework_test_ids.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

class CTestDlg : public CDialog {
public:
    CTestDlg() : CDialog(IDD_FRAMEWORK_TEST) {}

    CEdit m_edit;
    CString m_strText;
    std::vector<std::string> m_calls;
    bool m_bSwallowKeys = false;
    bool m_bThrowOnButton = false;

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (m_bSwallowKeys && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
            return TRUE;
        return CDialog::PreTranslateMessage(pMsg);
    }

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_TEST_EDIT, m_edit);
        DDX_Text(pDX, IDC_TEST_EDIT, m_strText);
    }
    void OnButton()
    {
        m_calls.push_back("button");
        if (m_bThrowOnButton)
            throw std::runtime_error("handler failed");
    }
    void OnEditChange() { m_calls.push_back("change"); }
    void OnClose()
    {
        m_calls.push_back("close");
        Default();
    }
    void OnRClick(NMHDR* header, LRESULT* result)
    {
        m_calls.push_back("rclick " + std::to_string(header->idFrom));
        *result = 7;
    }
    LRESULT OnPrivate(WPARAM wParam, LPARAM lParam)
    {
        m_calls.push_back("private " + std::to_string(wParam) + " " + std::to_string(lParam));
        return 42;
    }

private:
    static const MessageEntry messageEntries[];
};

const MessageEntry CTestDlg::messageEntries[] = {
    OnCommand<&CTestDlg::OnButton>(IDC_TEST_BUTTON),
    OnControl<&CTestDlg::OnEditChange>(EN_CHANGE, IDC_TEST_EDIT),
    OnWm<WM_CLOSE, &CTestDlg::OnClose>(),
    OnNotify<&CTestDlg::OnRClick>(NM_RCLICK, IDC_TEST_EDIT),
    OnMessage<&CTestDlg::OnPrivate>(WM_APP + 5),
};
const MessageMap CTestDlg::messageMap{&CDialog::messageMap, messageEntries};

TEST(DialogMessageMap, RoutesCommandsNotificationsAndMessagesToTheirHandlers)
{
    CTestDlg dlg;
    LRESULT notifyResult = 0, privateResult = 0;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        ::SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), 0);
        ::SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, 1), 0);  // accelerator
        ::SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_SETFOCUS), 0);
        NMHDR header{::GetDlgItem(hWnd, IDC_TEST_EDIT), IDC_TEST_EDIT, NM_RCLICK};
        notifyResult = ::SendMessageA(hWnd, WM_NOTIFY, IDC_TEST_EDIT, reinterpret_cast<LPARAM>(&header));
        privateResult = ::SendMessageA(hWnd, WM_APP + 5, 3, 4);
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(notifyResult, 7);
    EXPECT_EQ(privateResult, 42);
    // The button's focus notification has no entry; EN_CHANGE from the first exchange may come.
    std::vector<std::string> calls;
    for (const auto& call : dlg.m_calls)
        if (call != "change")
            calls.push_back(call);
    const std::vector<std::string> expected = {
        "button", "button", "rclick " + std::to_string(IDC_TEST_EDIT), "private 3 4"};
    EXPECT_EQ(calls, expected);
}

TEST(DialogMessageMap, DefaultProcessingOfCloseEndsTheDialogAsCancelled)
{
    CTestDlg dlg;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        ::SendMessageA(hWnd, WM_CLOSE, 0, 0);
        PumpMessages(&dlg);  // the dialog manager posts the cancel command
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_FALSE(dlg.m_calls.empty());
    EXPECT_EQ(dlg.m_calls.back(), "close");
    EXPECT_EQ(dlg.m_hWnd, nullptr) << "the wrapper lets go of its window when the window goes";
}

TEST(DialogMessageMap, AnExceptionInAHandlerStopsAtTheWindowProcedure)
{
    CTestDlg dlg;
    dlg.m_bThrowOnButton = true;
    const INT_PTR result = RunModal(dlg, [](HWND hWnd) {
        ::SendMessageA(hWnd, WM_COMMAND, IDC_TEST_BUTTON, 0);
        ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.m_calls.back(), "button");
}

TEST(DialogDataExchange, CopiesTextBothWaysAndBindsTheControlOnce)
{
    CTestDlg dlg;
    dlg.m_strText = "first";
    HWND editAtInit = nullptr;
    char shown[32] = {};
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        editAtInit = dlg.m_edit.m_hWnd;
        ::GetDlgItemTextA(hWnd, IDC_TEST_EDIT, shown, sizeof shown);
        ::SetDlgItemTextA(hWnd, IDC_TEST_EDIT, "second");
        ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(shown, "first");
    EXPECT_EQ(dlg.m_strText, "second");
    EXPECT_NE(editAtInit, nullptr);
    EXPECT_EQ(dlg.m_edit.m_hWnd, nullptr);
}

TEST(DialogModalLoop, KeyboardMessagesPassPreTranslateMessageFirst)
{
    for (bool swallow : {false, true}) {
        CTestDlg dlg;
        dlg.m_bSwallowKeys = swallow;
        const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
            HWND edit = ::GetDlgItem(hWnd, IDC_TEST_EDIT);
            ::SetFocus(edit);
            // Enter in a dialog is the default button's command, unless pre-translation takes it.
            ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
            PumpMessages(&dlg);
            if (!dlg.IsEnding())
                ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(result, swallow ? IDCANCEL : IDOK) << "swallow=" << swallow;
    }
}

TEST(DialogModalLoop, DisablesItsOwnerWhileItRuns)
{
    CTestDlg owner;
    BOOL ownerEnabledDuringChild = TRUE;
    BOOL ownerEnabledAfterChild = FALSE;
    RunModal(owner, [&](HWND ownerWnd) {
        CDialog child(IDD_FRAMEWORK_TEST, &owner);
        RunModal(child, [&](HWND childWnd) {
            ownerEnabledDuringChild = ::IsWindowEnabled(ownerWnd);
            EXPECT_EQ(::GetWindow(childWnd, GW_OWNER), ownerWnd);
            ::SendMessageA(childWnd, WM_COMMAND, IDCANCEL, 0);
        });
        ownerEnabledAfterChild = ::IsWindowEnabled(ownerWnd);
        ::SendMessageA(ownerWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(ownerEnabledDuringChild);
    EXPECT_TRUE(ownerEnabledAfterChild);
}

// A dialog that notes where its template put it and, if told, places itself in OnInitDialog.
class CPlacedDlg : public CDialog {
public:
    CPlacedDlg(UINT nIDTemplate, CWnd* pOwner, bool bMove) : CDialog(nIDTemplate, pOwner), m_bMove(bMove) {}
    RECT m_rectAtInit{};

protected:
    BOOL OnInitDialog() override
    {
        ::GetWindowRect(m_hWnd, &m_rectAtInit);
        if (m_bMove)
            ::SetWindowPos(m_hWnd, nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return CDialog::OnInitDialog();
    }

private:
    bool m_bMove;
};

TEST(DialogPlacement, OpensCentredOverItsOwnerOrTheWorkAreaAndInsideTheWorkArea)
{
    CTestDlg owner;
    RECT unowned{}, area{};
    std::vector<RECT> owners, opened;
    RunModal(owner, [&](HWND ownerWnd) {
        unowned = WindowRect(ownerWnd);
        area = WorkAreaOf(ownerWnd);
        // The second place is half off the work area's corner: centred over it, a dialog would
        // stick out.
        for (const POINT at : {POINT{100, 50}, POINT{area.right - 40, area.bottom - 40}}) {
            ::SetWindowPos(ownerWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            owners.push_back(WindowRect(ownerWnd));
            CDialog dlg(IDD_FRAMEWORK_TEST_SMALL, &owner);
            RunModal(dlg, [&](HWND hWnd) {
                opened.push_back(WindowRect(hWnd));
                ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
            });
        }
        ::SendMessageA(ownerWnd, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(CentredOver(unowned, area)) << "without an owner";
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(CentredOver(opened[0], owners[0]));
    EXPECT_EQ(opened[1].right, area.right);
    EXPECT_EQ(opened[1].bottom, area.bottom);
}

TEST(DialogPlacement, StaysWhereItsTemplateOrItsInitialisationPutsIt)
{
    struct Case {
        const char* name;
        UINT nIDTemplate;
        bool bMove;
    };
    for (const Case& c : {Case{"shown by its template", IDD_FRAMEWORK_TEST_VISIBLE, false},
                          Case{"a child", IDD_FRAMEWORK_TEST_CHILD, false},
                          Case{"moved by OnInitDialog", IDD_FRAMEWORK_TEST, true}}) {
        CTestDlg owner;
        RECT opened{}, ownerRect{};
        CPlacedDlg dlg(c.nIDTemplate, &owner, c.bMove);
        RunModal(owner, [&](HWND ownerWnd) {
            ownerRect = WindowRect(ownerWnd);
            RunModal(dlg, [&](HWND hWnd) {
                opened = WindowRect(hWnd);
                ::SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
            });
            ::SendMessageA(ownerWnd, WM_COMMAND, IDCANCEL, 0);
        });
        const POINT expected = c.bMove ? POINT{33, 44} : POINT{dlg.m_rectAtInit.left, dlg.m_rectAtInit.top};
        EXPECT_EQ(opened.left, expected.x) << c.name;
        EXPECT_EQ(opened.top, expected.y) << c.name;
        EXPECT_FALSE(CentredOver(opened, ownerRect)) << c.name << ": the case must not open centred anyway";
    }
}

}  // namespace
