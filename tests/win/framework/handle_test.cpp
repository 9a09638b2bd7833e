// The framework's handle owners, on kernel handles: what each one closes, and when.
#include "framework/handle.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsOpen(HANDLE hHandle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(hHandle, &flags) != FALSE;
}

HANDLE NewEvent()
{
    return ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

TEST(HandleOwner, ClosesWhatItHoldsWhenReplacedOrGoneButNothingMovedOrGivenAway)
{
    HANDLE scoped = nullptr;
    {
        const CHandle owner(NewEvent());
        scoped = owner.Get();
        ASSERT_TRUE(IsOpen(scoped));
    }
    EXPECT_FALSE(IsOpen(scoped)) << "closed at the end of its scope";

    const HANDLE first = NewEvent();
    const HANDLE second = NewEvent();
    const HANDLE third = NewEvent();
    {
        CHandle owner(first);
        owner.Attach(second);
        EXPECT_FALSE(IsOpen(first)) << "closed when replaced";
        CHandle moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_TRUE(owner.Close()) << "an empty owner has nothing to close";
        EXPECT_TRUE(IsOpen(second)) << "moved, not closed";
        CHandle given(third);
        EXPECT_EQ(given.Detach(), third);
        moved = std::move(given);
        EXPECT_FALSE(IsOpen(second)) << "closed when a move replaced it";
    }
    EXPECT_TRUE(IsOpen(third)) << "given away, not closed";
    ::CloseHandle(third);
}

}  // namespace
