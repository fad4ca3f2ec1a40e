// The event-end step closes every event for its summary: the end flag is
// cleared so that the next event's end is seen again.
#include <gtest/gtest.h>

#include <memory>

#include "core/model_state.h"
#include "coupling/coupling_steps.h"

namespace
{

TEST(EventEndStep, ClearsTheEndFlagAndMarksTheEventDoneAtEveryEventEnd)
{
    auto s = std::make_unique<model_state>();
    model_state_construct(*s);
    s->run_ended = 0;
    s->event_done = 0;
    event_end_step(*s);
    EXPECT_EQ(s->event_done, 0); // no event ended
    for (int event = 1; event <= 2; ++event) {
        s->run_ended = 1;
        s->event_done = 0;
        event_end_step(*s);
        EXPECT_EQ(s->run_ended, 0) << event;
        EXPECT_EQ(s->event_done, 1) << event;
    }
}

} // namespace
