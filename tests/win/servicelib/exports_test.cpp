// The export table of vtxlib32.dll as a caller sees it through LoadLibrary and GetProcAddress.
#include "vtxlib32_loader.h"

#include <gtest/gtest.h>

namespace {

void* Resolve(HMODULE module, const char* nameOrOrdinal)
{
    return reinterpret_cast<void*>(::GetProcAddress(module, nameOrOrdinal));
}

TEST(Vtxlib32Exports, EachExportResolvesByItsNameAndItsOrdinalToTheSameFunction)
{
    CVtxLib32 lib;
    ASSERT_NE(lib.m_hModule, nullptr) << "LoadLibrary failed: " << ::GetLastError();
    const char* const names[] = {"vtxCreate", "vtxStart", "vtxStop", "vtxIsStarted",
                                 "vtxIsStopped", "vtxDelete", "vtxCreate2k"};
    for (WORD ordinal = 1; ordinal <= 7; ++ordinal) {
        const char* name = names[ordinal - 1];
        void* byName = Resolve(lib.m_hModule, name);
        EXPECT_NE(byName, nullptr) << name;
        EXPECT_EQ(Resolve(lib.m_hModule, MAKEINTRESOURCEA(ordinal)), byName) << name;
    }
    EXPECT_EQ(Resolve(lib.m_hModule, MAKEINTRESOURCEA(8)), nullptr);
    // Decorated forms of a 32-bit build must not be what callers have to ask for.
    EXPECT_EQ(Resolve(lib.m_hModule, "_vtxCreate"), nullptr);
    EXPECT_EQ(Resolve(lib.m_hModule, "vtxCreate@0"), nullptr);
}

} // namespace
