// The reader thread releases the keyboards when the UI thread stops taking events.
#include "platform/grab_watchdog.h"

#include <gtest/gtest.h>

namespace {

TEST(GrabWatchdog, StallsOnlyWhenEventsWaitForTwoSeconds) {
    platform::GrabWatchdog dog;
    EXPECT_FALSE(dog.Stalled(100'000));  // nothing handed over: an idle keyboard is no stall
    dog.Posted(1000);
    EXPECT_FALSE(dog.Stalled(2999));
    EXPECT_TRUE(dog.Stalled(3000));
    dog.Taken(3100);
    EXPECT_FALSE(dog.Stalled(10'000));  // all taken
    dog.Posted(10'000);
    dog.Posted(11'500);  // still waiting since 10,000
    dog.Taken(11'900);   // one taken: the UI thread moves
    EXPECT_FALSE(dog.Stalled(13'000));
    EXPECT_TRUE(dog.Stalled(13'900));
}

}  // namespace
