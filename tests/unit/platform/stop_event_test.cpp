#include "platform/stop_event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using platform::StopEvent;
using namespace std::chrono;

// Threads pace themselves with these waits: one that returns before its time makes its
// caller spin, so a wait on an unset event must last the whole time-out.
TEST(StopEvent, UnsetWaitLastsItsTimeout) {
    for (StopEvent::Mode mode : {StopEvent::Mode::AutoReset, StopEvent::Mode::ManualReset}) {
        StopEvent event(mode);
        for (int ms : {1, 3, 20}) {
            const auto start = steady_clock::now();
            EXPECT_FALSE(event.Wait(milliseconds(ms)));
            EXPECT_GE(steady_clock::now() - start, milliseconds(ms)) << ms << " ms";
        }
    }
}

TEST(StopEvent, AutoResetIsConsumedManualResetStays) {
    StopEvent automatic(StopEvent::Mode::AutoReset);
    automatic.Set();
    EXPECT_TRUE(automatic.Wait(milliseconds(0)));
    EXPECT_FALSE(automatic.Wait(milliseconds(0)));

    StopEvent manual(StopEvent::Mode::ManualReset);
    manual.Set();
    EXPECT_TRUE(manual.Wait(milliseconds(0)));
    EXPECT_TRUE(manual.Wait(milliseconds(0)));
    manual.Reset();
    EXPECT_FALSE(manual.Wait(milliseconds(0)));
}

TEST(StopEvent, SetFromAnotherThreadEndsAWait) {
    StopEvent event(StopEvent::Mode::ManualReset);
    std::thread setter([&] {
        std::this_thread::sleep_for(milliseconds(20));
        event.Set();
    });
    EXPECT_TRUE(event.Wait(milliseconds(-1)));
    setter.join();
}
