// The main of every test executable under Wine: OLE and the common controls as the program has
// them, then GoogleTest.
#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>
#include <commctrl.h>

int main(int argc, char** argv)
{
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
