// Every test starts with the automation seam off and empty, and leaves it so: answers a
// test queued but did not use never reach the next test. A test that wants the seam
// switches it on itself.
#include <gtest/gtest.h>

#include "automation/automation.h"

namespace {

class SeamPerTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { cw::automation::reset(); }
    void OnTestEnd(const ::testing::TestInfo&) override { cw::automation::reset(); }
};

const bool g_installed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new SeamPerTest);
    return true;
}();

}  // namespace
