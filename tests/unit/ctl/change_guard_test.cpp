// What a console signal does to a vtxctl run: Ctrl+C is ignored only while a change runs; an end
// of the console or session stops the change's sending and waits until its files are written.
#include "ctl/core/change_guard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Signal = CChangeGuard::Signal;

TEST(ChangeGuard, InterruptIsIgnoredOnlyWhileAChangeRuns)
{
    CChangeGuard guard;
    EXPECT_FALSE(guard.OnSignal(Signal::Interrupt, 0ms)) << "before a change: the process ends";
    ASSERT_TRUE(guard.Begin());
    EXPECT_TRUE(guard.OnSignal(Signal::Interrupt, 0ms));
    EXPECT_FALSE(guard.MustStop()) << "an interrupt does not cut the change short";
    guard.Finish();
    EXPECT_FALSE(guard.OnSignal(Signal::Interrupt, 0ms));
}

TEST(ChangeGuard, EndDuringAChangeStopsItsSendingAndWaitsForItsFiles)
{
    CChangeGuard guard;
    ASSERT_TRUE(guard.Begin());
    std::atomic<bool> filesWritten{false};
    std::thread change([&] {
        while (!guard.MustStop())
            std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(50ms);  // writing the files
        filesWritten = true;
        guard.Finish();
    });
    EXPECT_TRUE(guard.OnSignal(Signal::End, 10s));
    EXPECT_TRUE(filesWritten) << "the handler returned before the files were written";
    change.join();
    EXPECT_FALSE(guard.Begin()) << "no change starts after an end";
}

TEST(ChangeGuard, EndWithoutAChangeEndsAtOnceAndAHungChangeOnlyUntilTheWaitIsOver)
{
    CChangeGuard idle;
    EXPECT_FALSE(idle.OnSignal(Signal::End, 10s));
    EXPECT_TRUE(idle.MustStop());

    CChangeGuard hung;
    ASSERT_TRUE(hung.Begin());
    EXPECT_TRUE(hung.OnSignal(Signal::End, 20ms));
}

}  // namespace
