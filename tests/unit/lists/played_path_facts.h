// A played machine for the list model's rules, shared by the unit tests and the admission fuzz
// target: a 64-bit Windows in C:\Windows with Veltrix in C:\Program Files\Veltrix (short name
// C:\PROGRA~1), the machine PC1 at 10.0.0.5, a link D:\Link and a subst drive W: that both lead
// to C:\Windows, a program and a document with a shortcut to each, and a shortcut whose target
// cannot be read.
#pragma once

#include "lists/core/list_model.h"
#include "tests/unit/code_pages.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

inline std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(UpperAscii(static_cast<unsigned char>(c)));
    return text;
}

class CPlayedFacts : public IPathFacts {
public:
    std::string SystemDir() override { return "C:\\Windows\\system32"; }
    std::string SystemDir32() override { return "C:\\Windows\\SysWOW64"; }
    std::string InstallDir() override { return m_installDir; }
    std::string WindowsDir() override { return "C:\\Windows"; }
    const AnsiCodePage& CodePage() override { return kAsciiLetters; }
    bool IsSameEntry(const std::string& a, const std::string& b) override
    {
        ++m_compares;
        return Upper(a) == Upper(b);
    }
    std::string EntryKey(const std::string& path) override { return m_bOneKey ? "K" : Upper(path); }
    std::optional<std::string> ShortcutTarget(const std::string& path) override
    {
        const auto it = m_shortcuts.find(path);
        return it == m_shortcuts.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool IsProgram(const std::string& path) override { return path.size() > 4 && path.substr(path.size() - 4) == ".exe"; }
    // GetFullPathName: separators made '\', "." and ".." taken out, a trailing one kept.
    std::string FullPath(const std::string& path) override
    {
        std::string text = path;
        std::replace(text.begin(), text.end(), '/', '\\');
        const size_t rootEnd = text.rfind("\\\\", 0) == 0 ? text.find('\\', text.find('\\', 2) + 1) : 2;
        std::vector<std::string> parts;
        size_t from = rootEnd == std::string::npos ? text.size() : rootEnd + 1;
        const std::string root = text.substr(0, std::min(from, text.size()));
        while (from <= text.size()) {
            const size_t to = std::min(text.find('\\', from), text.size());
            const std::string part = text.substr(from, to - from);
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (part != "." && !(part.empty() && to < text.size())) {
                parts.push_back(part);
            }
            from = to + 1;
        }
        std::string full = root;
        for (size_t i = 0; i < parts.size(); ++i)
            full += (i ? "\\" : "") + parts[i];
        return full;
    }
    std::string LongPath(const std::string& path) override
    {
        const std::string shortName = "C:\\PROGRA~1";
        if (Upper(path).rfind(shortName, 0) == 0)
            return "C:\\Program Files" + path.substr(shortName.size());
        return path;
    }
    bool IsThisMachine(const std::string& host) override { return Upper(host) == "PC1" || host == "10.0.0.5"; }
    // As Windows gives it: "\\?\" and the path through the link, the separator after it kept.
    std::optional<std::string> FinalPath(const std::string& path) override
    {
        for (const char* alias : {"D:\\Link", "W:"}) {
            const std::string text = alias;
            if (Upper(path).rfind(Upper(text), 0) == 0 &&
                (path.size() == text.size() || path[text.size()] == '\\'))
                return "\\\\?\\C:\\Windows" + path.substr(text.size());
        }
        return std::nullopt;
    }

    std::string m_installDir = "C:\\Program Files\\Veltrix";
    std::map<std::string, std::string> m_shortcuts{
        {"D:\\Desk\\Tool.lnk", "D:\\Tools\\tool.exe"},
        {"D:\\Desk\\Notes.lnk", "D:\\Docs\\notes.txt"},
        {"D:\\Desk\\Broken.lnk", ""},
    };
    int m_compares = 0;
    bool m_bOneKey = false;  // every path the same key
};
