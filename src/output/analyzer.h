// State analyzers: objects that watch model arrays during a run and are
// told about run events through event bits.
#pragma once

#include <memory>
#include <string>

struct model_state;

// Event bits passed to the analyzers.
enum analyzer_event : int {
    analyzer_step_end = 1,
    analyzer_rain_start = 2,
    analyzer_event_end = 4,
    analyzer_init_done = 8,
    analyzer_run_done = 16,
    analyzer_run_error = 32,
};

struct analyzer {
    virtual ~analyzer() = default;
    virtual void trigger(model_state& state, int event_bits) = 0;
    std::unique_ptr<analyzer> next;
};

// Calls every analyzer on the state's list, in list order.
void notify_analyzers(model_state& state, int event_bits);

// Reads the analyzer file and appends its analyzers to the state's list.
void read_analyzer_file(model_state& state, const std::string& path);
