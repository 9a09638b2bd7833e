#include "resource_reader.h"

#include <cctype>

namespace {

// A bounds-checked cursor over little-endian resource bytes. A read past the end marks the
// cursor failed and yields zeros, so that a parser can check once at the end.
class CCursor {
public:
    explicit CCursor(const std::vector<BYTE>& data) : m_data(data) {}

    bool Ok() const { return m_bOk; }
    size_t Offset() const { return m_pos; }
    bool AtEnd() const { return m_pos >= m_data.size(); }

    BYTE Byte()
    {
        if (m_pos + 1 > m_data.size()) {
            m_bOk = false;
            m_pos = m_data.size();
            return 0;
        }
        return m_data[m_pos++];
    }
    WORD Word()
    {
        const BYTE lo = Byte();
        return static_cast<WORD>(lo | (Byte() << 8));
    }
    DWORD Dword()
    {
        const WORD lo = Word();
        return lo | (static_cast<DWORD>(Word()) << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    void Skip(size_t count)
    {
        for (size_t i = 0; i < count && m_bOk; ++i)
            Byte();
    }
    // Dialog items start on DWORD boundaries from the start of the template.
    void AlignDword()
    {
        while (m_pos % 4 && m_pos < m_data.size())
            ++m_pos;
    }
    std::wstring WideString()
    {
        std::wstring text;
        for (WORD c = Word(); c && m_bOk; c = Word())
            text.push_back(static_cast<wchar_t>(c));
        return text;
    }
    // sz_Or_Ord: 0x0000 (none), 0xFFFF and an ordinal, or a string.
    std::string StringOrOrdinal()
    {
        const size_t start = m_pos;
        const WORD first = Word();
        if (first == 0)
            return {};
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        m_pos = start;
        return ToAnsi(WideString());
    }

private:
    const std::vector<BYTE>& m_data;
    size_t m_pos = 0;
    bool m_bOk = true;
};

std::string ClassName(const std::string& stored)
{
    static const char* const predefined[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    if (stored.size() > 1 && stored[0] == '#') {
        const int atom = std::stoi(stored.substr(1));
        if (atom >= 0x80 && atom <= 0x85)
            return predefined[atom - 0x80];
        return stored;
    }
    std::string upper = stored;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool ParseMenuItems(CCursor& in, std::vector<MenuItem>& items, int depth)
{
    if (depth > 8)
        return false;
    for (;;) {
        MenuItem item;
        item.flags = in.Word();
        if (!(item.flags & MF_POPUP))
            item.id = in.Word();
        item.text = ToAnsi(in.WideString());
        if (!in.Ok())
            return false;
        if ((item.flags & MF_POPUP) && !ParseMenuItems(in, item.items, depth + 1))
            return false;
        const bool last = item.flags & MF_END;
        item.flags &= ~MF_END;
        items.push_back(std::move(item));
        if (last)
            return true;
    }
}

}  // namespace

std::string ToAnsi(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                          nullptr);
    return result;
}

std::vector<BYTE> CResourceFile::Find(LPCSTR type, int id) const
{
    if (!m_hModule)
        return {};
    HRSRC info = ::FindResourceA(m_hModule, MAKEINTRESOURCEA(id), type);
    if (!info)
        return {};
    HGLOBAL loaded = ::LoadResource(m_hModule, info);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!bytes)
        return {};
    return std::vector<BYTE>(bytes, bytes + ::SizeofResource(m_hModule, info));
}

bool ParseDialog(const std::vector<BYTE>& data, DialogTemplate& dialog)
{
    CCursor in(data);
    const WORD version = in.Word();
    const WORD signature = in.Word();
    dialog.extended = version == 1 && signature == 0xFFFF;
    WORD count = 0;
    if (dialog.extended) {
        in.Dword();  // help id
        dialog.exStyle = in.Dword();
        dialog.style = in.Dword();
    } else {
        dialog.style = version | (static_cast<DWORD>(signature) << 16);
        dialog.exStyle = in.Dword();
    }
    count = in.Word();
    dialog.x = in.Short();
    dialog.y = in.Short();
    dialog.cx = in.Short();
    dialog.cy = in.Short();
    dialog.menu = in.StringOrOrdinal();
    dialog.className = in.StringOrOrdinal();
    dialog.caption = ToAnsi(in.WideString());
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = in.Word();
        if (dialog.extended) {
            dialog.weight = in.Word();
            dialog.italic = in.Byte();
            dialog.charset = in.Byte();
        }
        dialog.face = ToAnsi(in.WideString());
    }
    for (WORD i = 0; i < count && in.Ok(); ++i) {
        in.AlignDword();
        DialogItem item;
        if (dialog.extended) {
            in.Dword();  // help id
            item.exStyle = in.Dword();
            item.style = in.Dword();
        } else {
            item.style = in.Dword();
            item.exStyle = in.Dword();
        }
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.id = dialog.extended ? static_cast<int>(in.Dword()) : static_cast<short>(in.Word());
        item.className = ClassName(in.StringOrOrdinal());
        item.text = in.StringOrOrdinal();
        in.Skip(in.Word());  // creation data
        dialog.items.push_back(item);
    }
    return in.Ok();
}

bool ParseMenu(const std::vector<BYTE>& data, std::vector<MenuItem>& items)
{
    CCursor in(data);
    const WORD version = in.Word();
    const WORD headerSize = in.Word();
    if (!in.Ok() || version != 0)
        return false;
    in.Skip(headerSize);
    return ParseMenuItems(in, items, 0);
}

bool ParseAccelerators(const std::vector<BYTE>& data, std::vector<Accelerator>& table)
{
    CCursor in(data);
    for (;;) {
        const WORD flags = in.Word();
        const WORD key = in.Word();
        const WORD id = in.Word();
        in.Word();  // padding
        if (!in.Ok())
            return false;
        table.push_back({static_cast<WORD>(flags & ~0x80), key, id});
        if (flags & 0x80)
            return in.AtEnd();
    }
}

bool ParseString(const std::vector<BYTE>& block, int id, std::string& text)
{
    CCursor in(block);
    for (int i = 0; i < id % 16; ++i)
        in.Skip(in.Word() * 2u);
    const WORD length = in.Word();
    std::wstring wide;
    for (WORD i = 0; i < length; ++i)
        wide.push_back(static_cast<wchar_t>(in.Word()));
    text = ToAnsi(wide);
    return in.Ok();
}
