#include "framework/messagemap.h"

static bool Matches(const MessageEntry& entry, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (entry.message != message)
        return false;
    if (message == WM_COMMAND) {
        const UINT code = HIWORD(wParam);
        if (LOWORD(wParam) != entry.id)
            return false;
        return entry.code == kAnyCommandCode ? (code == 0 || code == 1) : code == entry.code;
    }
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        return header && header->idFrom == entry.id && header->code == entry.code;
    }
    return true;
}

const MessageEntry* MessageMap::Find(UINT message, WPARAM wParam, LPARAM lParam) const
{
    for (const MessageMap* map = this; map; map = map->m_base)
        for (size_t i = 0; i < map->m_count; ++i)
            if (Matches(map->m_entries[i], message, wParam, lParam))
                return &map->m_entries[i];
    return nullptr;
}
