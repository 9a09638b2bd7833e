// vtxlib32.dll loaded as the installer loads it: from beside the executable, exports resolved by
// name.
#pragma once

#include "servicelib/vtxlib32.h"

#include <windows.h>

class CVtxLib32 {
public:
    CVtxLib32() : m_hModule(::LoadLibraryA("vtxlib32.dll")) {}
    ~CVtxLib32()
    {
        if (m_hModule)
            ::FreeLibrary(m_hModule);
    }
    CVtxLib32(const CVtxLib32&) = delete;
    CVtxLib32& operator=(const CVtxLib32&) = delete;

    // The export's result, or -1 when the library or the export is missing (no export gives -1).
    int Call(const char* name) const
    {
        const auto proc = reinterpret_cast<VTXSERVICEPROC>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, name)));
        return proc ? proc() : -1;
    }

    HMODULE m_hModule;
};
