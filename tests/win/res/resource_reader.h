// Reads the resources of a built executable back by hand, record by record, the way the
// dialog manager and the menu and accelerator loaders read them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The executable mapped as data: its resources can be found, nothing of it runs.
class CResourceFile {
public:
    explicit CResourceFile(const char* path)
        : m_hModule(::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~CResourceFile()
    {
        if (m_hModule)
            ::FreeLibrary(m_hModule);
    }
    CResourceFile(const CResourceFile&) = delete;
    CResourceFile& operator=(const CResourceFile&) = delete;

    HMODULE Module() const { return m_hModule; }
    // The bytes of one resource; empty when it does not exist.
    std::vector<BYTE> Find(LPCSTR type, int id) const;

private:
    HMODULE m_hModule;
};

struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;             // -1 for IDC_STATIC, whichever width the template stores it in
    std::string className;  // predefined classes by their upper-case names ("BUTTON")
    std::string text;       // an ordinal as "#141"
};

struct DialogTemplate {
    bool extended = false;  // DLGTEMPLATEEX
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;
    std::string className;
    std::string caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::string face;
    std::vector<DialogItem> items;
};

struct MenuItem {
    WORD flags = 0;
    WORD id = 0;
    std::string text;
    std::vector<MenuItem> items;  // of a popup
};

struct Accelerator {
    WORD flags;  // FVIRTKEY, FCONTROL, ... without the end mark
    WORD key;
    WORD id;
};

// Each returns false when the bytes end before the record does or the record is malformed.
bool ParseDialog(const std::vector<BYTE>& data, DialogTemplate& dialog);
bool ParseMenu(const std::vector<BYTE>& data, std::vector<MenuItem>& items);
bool ParseAccelerators(const std::vector<BYTE>& data, std::vector<Accelerator>& table);
// The string of a given id from its string-table block (the block of ids id/16*16 .. +15).
bool ParseString(const std::vector<BYTE>& block, int id, std::string& text);

std::string ToAnsi(const std::wstring& text);
