// What the password dialogs' tests share: an installation folder of their own as the current
// directory, its files, and the edits' typing.
#pragma once

#include "framework/handle.h"
#include "support/main_window_harness.h"
#include "support/message_boxes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

// Each test runs in an installation folder of its own, so that ".\data\password.txt" is the
// test's own.
class InstallFolderTest : public ::testing::Test {
protected:
    // The names in .\data, sorted.
    static std::vector<std::string> DataFiles();

private:
    InstallFolder m_install{"vtxP"};
};

// The edit's selection as (start, end).
std::pair<DWORD, DWORD> SelectionOf(HWND edit);

// Types text at the end of the edit's current text.
void AppendText(HWND edit, const char* text);

// Whether the read-only attribute keeps a writer out here. Wine keeps it as the Unix file mode,
// which does not stop a process running as root.
bool ReadOnlyIsEnforced();

// Another process's handle on a file, closed on every path; the share mode says what it allows.
class OpenElsewhere {
public:
    OpenElsewhere(const char* path, DWORD share);
    bool IsOpen() const { return static_cast<bool>(m_handle); }

private:
    CHandle m_handle;
};
