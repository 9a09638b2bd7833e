// What the tests of the main window need around it: an installation folder to run in, the
// played driver (support/driver_lists.h) where the exact requests must be seen, the user's keys,
// and a hand on the shell's own dialogs (folder browser, open-file dialog).
#pragma once

#include "support/driver_lists.h"
#include "framework/wnd.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/thread_hook.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A scratch folder with an installation folder "App" and its data folder in it, named in
// g_strInstallDir and made the current directory as start-up would; removed (and both put back)
// when the object goes. Make() names paths in the scratch folder.
class InstallFolder : public ScratchFolder {
public:
    explicit InstallFolder(const char* name);
    ~InstallFolder();
    const std::string& Path() const { return m_app; }
    // The scratch folder that holds the installation folder beside anything else.
    const std::string& Root() const { return ScratchFolder::Path(); }
    std::string DataFile(const char* name) const { return m_app + "\\data\\" + name; }

private:
    std::string m_app;
    std::string m_savedInstallDir;
};

// The paths of the shell's directory-update notifications below a folder (by default the
// desktop: all of them), as the shell hands them to a window that registered for them.
class ShellNotifications {
public:
    explicit ShellNotifications(const std::string& folder = "");
    ~ShellNotifications();
    ShellNotifications(const ShellNotifications&) = delete;
    ShellNotifications& operator=(const ShellNotifications&) = delete;

    bool IsRegistered() const { return m_id != 0; }
    const std::vector<std::string>& Paths() const { return m_paths; }
    // The paths so far, once the thread's messages are pumped; they are then forgotten.
    std::vector<std::string> Take();

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hWnd = nullptr;
    ITEMIDLIST* m_pidl = nullptr;
    ULONG m_id = 0;
    std::vector<std::string> m_paths;
};

// The texts of a list view's column (0: the path, 1: the type name), in view order.
std::vector<std::string> ListTexts(HWND list, int column = 0);
std::vector<int> SelectedItems(HWND list);
void SelectItems(HWND list, const std::vector<int>& items);

// A key pressed with Ctrl held as the keyboard would deliver it to the focused window, passed
// through the window's pre-translation as its modal loop does.
void PressCtrlKey(CWnd& window, char key);
// A key without modifiers, to the focused window.
void PressKey(CWnd& window, UINT vk);

// Watches the menus that this thread shows: the states of the list commands when the popup
// opens, then ends the menu, or picks an item by its mnemonic.
class MenuWatcher : public CThreadHook<MenuWatcher, WH_CALLWNDPROC> {
public:
    explicit MenuWatcher(char pick = 0) : m_pick(pick) {}

    // One row per menu shown: enabled state of 32771..32775.
    std::vector<std::vector<bool>> m_shown;

private:
    bool OnHook(int code, WPARAM wParam, LPARAM lParam) override;
    char m_pick;
    bool m_idle = false;
};

// A right click on the view, as the mouse would give it: on the entry (which the view then
// selects), or with -1 on the empty space below the entries (which takes the selection away).
void RightClick(CWnd& dlg, HWND list, int item = -1);

// Takes over the shell dialogs that this thread opens (they are dialogs of another module that
// the message-box catcher would otherwise take for message boxes): each one that comes up is
// handed, once it runs, to the next of the scripts, in order. A dialog with no script left is
// cancelled and counted. Create after any MessageBoxCatcher.
class ShellDialogPlayer : public CThreadHook<ShellDialogPlayer, WH_CBT> {
public:
    using Script = std::function<void(HWND dialog)>;
    explicit ShellDialogPlayer(std::vector<Script> scripts = {}) : m_scripts(std::move(scripts)) {}

    void Add(Script script) { m_scripts.push_back(std::move(script)); }
    int Played() const { return m_played; }
    int Unexpected() const { return m_unexpected; }
    // The kinds of the dialogs seen, in order: "browse" or "open".
    const std::vector<std::string>& Kinds() const { return m_kinds; }

private:
    bool OnHook(int code, WPARAM wParam, LPARAM lParam) override;
    static void CALLBACK Run(HWND, UINT, UINT_PTR id, DWORD);

    std::vector<Script> m_scripts;
    size_t m_next = 0;
    int m_played = 0;
    int m_unexpected = 0;
    HWND m_pending = nullptr;
    HWND m_last = nullptr;
    std::vector<std::string> m_kinds;
};

// Scripts for the shell dialogs.
// The folder browser: select the item (a pidl, or a path) and press OK.
ShellDialogPlayer::Script ChooseInBrowser(const std::string& path);
ShellDialogPlayer::Script ChooseComputerInBrowser();
// The open-file dialog: type the full path and press Open.
ShellDialogPlayer::Script ChooseInFileDialog(const std::string& path);
ShellDialogPlayer::Script CancelShellDialog();
