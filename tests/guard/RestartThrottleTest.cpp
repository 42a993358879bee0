#include "guard/RestartThrottle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A Pyxen that ran just short of quickEndMs, or all of it; a start that failed, or
// succeeded; a reset.
enum Op { Quick, Long, Fail, Ok, Reset };

// An op, and how long the next start waits after it (0: none).
struct Step {
    Op op;
    GuardTime wait;
};

static_assert(quickEndsAllowed == 2, "the rows answer two quick ends at once");
const GuardTime hold = firstHoldMs;
const GuardTime retry = startRetryMs;

const std::vector<Step> cases[] = {
    {{Quick, 0}, {Quick, 0}, {Quick, hold}, {Quick, 2 * hold}, {Quick, 4 * hold},
     {Quick, 8 * hold}, {Quick, 16 * hold}, {Quick, longestHoldMs}, {Quick, longestHoldMs}},
    {{Quick, 0}, {Quick, 0}, {Quick, hold}, {Long, 0}, {Quick, 0}, {Quick, 0}, {Quick, hold}},
    {{Quick, 0}, {Quick, 0}, {Long, 0}, {Quick, 0}, {Quick, 0}, {Quick, hold}},
    {{Fail, retry}, {Fail, hold}, {Fail, 2 * hold}, {Ok, 0}, {Fail, retry}},
    {{Quick, 0}, {Quick, 0}, {Quick, hold}, {Fail, retry}, {Fail, 2 * hold}},
    // A reset forgets quick ends and pauses, not failed starts.
    {{Quick, 0}, {Quick, 0}, {Quick, hold}, {Reset, 0}, {Quick, 0}, {Quick, 0}, {Quick, hold}},
    {{Fail, retry}, {Reset, 0}, {Fail, hold}},
};

TEST(RestartThrottleTest, Cases)
{
    for (const std::vector<Step>& steps : cases) {
        RestartThrottle throttle;
        GuardTime now = 1000;
        for (size_t i = 0; i < steps.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "case " << &steps - cases << ", step " << i);
            Op op = steps[i].op;
            bool held = true;
            if (op == Quick || op == Long) {
                GuardTime started = now;
                now += op == Quick ? quickEndMs - 1 : quickEndMs;
                held = throttle.HoldAfterEnd(started, now);
            } else if (op == Fail) {
                // The one failure that is retried soon is the one reported.
                EXPECT_EQ(throttle.StartFailed(now), steps[i].wait == retry);
            } else {
                op == Ok ? throttle.Started() : throttle.Reset();
                continue;
            }
            EXPECT_EQ(held ? throttle.HeldUntil() - now : 0, steps[i].wait);
            if (held)
                now = throttle.HeldUntil();
        }
    }
}

}  // namespace
