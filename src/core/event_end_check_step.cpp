// The end of events and runs: the stop date, the end of an event run, and
// the recession test of long-term and host-driven runs.
#include "core/model_state.h"
#include "core/run_steps.h"
#include "output/analyzer.h"

void event_end_check_step(model_state& s)
{
    if (s.end_time_on && s.current_time > s.end_time_julian) {
        s.run_ended = 1;
        s.event_done = 1;
        s.event_active = 0;
        s.keep_running = 0;
        return;
    }
    if (!s.long_term && !s.qnt_mode && s.current_time >= s.event_end_time) {
        s.keep_running = 0;
        s.event_active = 0;
        s.run_ended = 1;
        s.event_done = 1;
    }
    // TODO: recession test that ends the events of long-term and
    // host-driven runs.
    if (s.run_ended) notify_analyzers(s, analyzer_event_end);
}
