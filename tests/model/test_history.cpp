// The undo history on its own: steps are states that differ, a new step drops what could be
// redone, at least 1000 steps are kept, and unsaved changes are known by content.
#include <gtest/gtest.h>

#include "project/history.h"

namespace {

ProjectState state_with_speed(uint32_t speed) {
    ProjectState s{};
    s.data.header.speed = speed;
    return s;
}

}  // namespace

TEST(History, OnlyAChangedStateIsAStepAndANewStepDropsTheRedo) {
    history_clear(state_with_speed(0));
    EXPECT_FALSE(history_record(state_with_speed(0)));
    EXPECT_TRUE(history_record(state_with_speed(1)));
    EXPECT_TRUE(history_record(state_with_speed(2)));
    ASSERT_TRUE(history_can_undo());
    EXPECT_EQ(history_undo()->data.header.speed, 1u);
    EXPECT_TRUE(history_can_redo());
    EXPECT_TRUE(history_record(state_with_speed(7)));
    EXPECT_FALSE(history_can_redo()) << "a new change after an undo leaves nothing to redo";
    EXPECT_EQ(history_undo()->data.header.speed, 1u);
    EXPECT_EQ(history_undo()->data.header.speed, 0u);
    EXPECT_EQ(history_undo(), nullptr);
    EXPECT_EQ(history_redo()->data.header.speed, 1u);
    EXPECT_EQ(history_redo()->data.header.speed, 7u);
    EXPECT_EQ(history_redo(), nullptr);
}

TEST(History, AThousandStepsAreKeptAndTheOldestGoFirst) {
    history_clear(state_with_speed(0));
    for (uint32_t i = 1; i <= 1200; ++i) history_record(state_with_speed(i));
    EXPECT_EQ(history_size(), kHistorySteps + 1);
    int undone = 0;
    const ProjectState* last = nullptr;
    while (const ProjectState* s = history_undo()) {
        last = s;
        ++undone;
    }
    EXPECT_EQ(undone, 1000);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->data.header.speed, 200u);
    EXPECT_EQ(history_bytes(), history_size() * sizeof(ProjectState));
}

TEST(History, UnsavedChangesAreKnownByContent) {
    history_clear(state_with_speed(0));
    EXPECT_FALSE(history_unsaved(state_with_speed(0)));
    history_record(state_with_speed(4));
    EXPECT_TRUE(history_unsaved(state_with_speed(4)));
    history_mark_saved(state_with_speed(4));
    EXPECT_FALSE(history_unsaved(state_with_speed(4)));
    EXPECT_TRUE(history_unsaved(*history_undo())) << "undone past the save: changed again";
}

TEST(History, ASaveStampsNothingThatCountsAsAChange) {
    Tables t{};
    reset_tables(t);
    t.data.header.pattern_count = 1;
    t.data.entries[0].frame_count = 1;
    const ProjectState before = capture_project(t);
    // What a save writes into the tables by itself.
    t.data.entries[0].offset = 36;
    t.data.entries[0].base_w = 16;
    t.frames[0][0].clut = 0x7800;
    EXPECT_TRUE(same_project(before, capture_project(t)));
    t.frames[0][0].timing = 3;
    EXPECT_FALSE(same_project(before, capture_project(t)));
}
