// When the main loop looks for changes of the project after a pass: after a message it took,
// after the user's input however it arrived, and never after a pass that only ticked or waited.
#include <gtest/gtest.h>

#include "app/input_watch.h"

namespace {

TEST(InputWatch, DueAfterAMessageOrNewInputAndNotAfterAPassThatOnlyTicked) {
    InputWatch w;
    EXPECT_TRUE(after_input_due(w, false, true, 100, 500)) << "the first pass looks";
    EXPECT_FALSE(after_input_due(w, false, true, 100, 516)) << "a tick, no input";
    EXPECT_FALSE(after_input_due(w, false, true, 100, 532));
    EXPECT_TRUE(after_input_due(w, true, true, 100, 548)) << "a message was taken";
    EXPECT_FALSE(after_input_due(w, false, true, 100, 564));
    // Input handled while the queue was looked at or waited on: no message, but a new time.
    EXPECT_TRUE(after_input_due(w, false, true, 570, 580));
    EXPECT_FALSE(after_input_due(w, false, true, 570, 596));
    // A time that wrapped round or went back is as new as one that went forward.
    EXPECT_TRUE(after_input_due(w, false, true, 3, 600));
}

TEST(InputWatch, InputInTheSameMillisecondAsTheLookIsLookedForAgain) {
    InputWatch w;
    after_input_due(w, false, true, 10, 20);
    // The look came in the millisecond of the input: more input in that millisecond after it
    // would leave the time as it was, so the next pass looks again, and then no more.
    EXPECT_TRUE(after_input_due(w, false, true, 30, 30));
    EXPECT_TRUE(after_input_due(w, false, true, 30, 30));
    EXPECT_TRUE(after_input_due(w, false, true, 30, 31));
    EXPECT_FALSE(after_input_due(w, false, true, 30, 47));
}

TEST(InputWatch, WithoutTheTimeOfTheLastInputEveryPassLooks) {
    InputWatch w;
    after_input_due(w, false, true, 10, 20);
    EXPECT_TRUE(after_input_due(w, false, false, 0, 36));
    EXPECT_TRUE(after_input_due(w, false, false, 0, 52));
}

}  // namespace
