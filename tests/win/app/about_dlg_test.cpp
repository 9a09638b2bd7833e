// The about box of the program, from its own template, run modally in-process.
#include "app/about_dlg.h"
#include "res/resource.h"
#include "support/modal.h"

#include <gtest/gtest.h>

namespace {

TEST(AboutBox, ShowsTheMakersAddressAsAnUnderlinedLinkThatNeverTakesTheFocus)
{
    CAboutDlg dlg;
    const INT_PTR result = RunModal(dlg, [&](HWND hWnd) {
        char caption[64] = {};
        ::GetWindowTextA(hWnd, caption, sizeof caption);
        EXPECT_STREQ(caption, "About Veltrix");

        HWND hLink = ::GetDlgItem(hWnd, IDC_LINK);
        char address[64] = {};
        ::GetWindowTextA(hLink, address, sizeof address);
        EXPECT_STREQ(address, "https://veltrix.example");

        // The control is the about box's link label, and it has painted itself.
        auto* link = dynamic_cast<CHyperLink*>(CWnd::FromHandlePermanent(hLink));
        ASSERT_NE(link, nullptr);
        ::UpdateWindow(hWnd);
        LOGFONTA dialogFont{}, linkFont{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)), sizeof dialogFont, &dialogFont);
        ASSERT_NE(::GetObjectA(*link->GetLinkFont(), sizeof linkFont, &linkFont), 0);
        EXPECT_TRUE(linkFont.lfUnderline);
        EXPECT_STREQ(linkFont.lfFaceName, dialogFont.lfFaceName);
        EXPECT_EQ(linkFont.lfHeight, dialogFont.lfHeight);

        EXPECT_EQ(::GetFocus(), ::GetDlgItem(hWnd, IDOK));
        // A press on the text gives the focus only to a label that is a tab stop.
        ::SendMessageA(hLink, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        EXPECT_EQ(::GetCapture(), hLink);
        ::SendMessageA(hLink, WM_CANCELMODE, 0, 0);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(hWnd, IDOK));

        // Escape ends it as the base dialog does.
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
        PumpMessages(&dlg);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(AboutBox, EnterPressesOk)
{
    CAboutDlg dlg;
    const INT_PTR result = RunModal(dlg, [&](HWND) {
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
        PumpMessages(&dlg);
    });
    EXPECT_EQ(result, IDOK);
}

}  // namespace
