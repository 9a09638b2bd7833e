// What the password dialogs' tests share: an installation folder of their own as the current
// directory, its files, and the message boxes shown with their icons.
#pragma once

#include "framework/handle.h"
#include "support/message_boxes.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Each test runs in a new folder with an empty "data" subfolder, made the current directory,
// so that ".\data\password.txt" is the test's own. Removed afterwards, read-only files included.
class InstallFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static void WriteBytes(const char* path, const std::string& bytes);
    // The file's bytes; "<missing>" when it cannot be opened.
    static std::string ReadBytes(const char* path);
    // The names in .\data, sorted.
    static std::vector<std::string> DataFiles();

private:
    std::optional<ScratchFolder> m_scratch;
};

enum class BoxIcon { None, Exclamation, Information, Other };

// The caught message boxes with the icon each one showed.
class ShownBoxes {
public:
    ShownBoxes();
    struct Box {
        std::string text;
        std::string caption;
        HWND owner;
        BoxIcon icon;
    };
    std::vector<Box> All() const;

private:
    static void OnShown(HWND box, void* context);
    MessageBoxCatcher m_catcher;
    std::vector<BoxIcon> m_icons;
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
