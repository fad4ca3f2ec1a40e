// The precipitation file on arbitrary bytes: every event, as the set-up's
// counting pass reads them.
#include <cstddef>
#include <cstdint>

#include "core/model_state.h"
#include "fuzz_support.h"
#include "hydromet/rain_services.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    torva_fuzz::start_case();
    const std::string path = torva_fuzz::write_input("f.gag", data, size);
    // The model state is large: one for the process, with the fields the
    // reader keeps from one event to the next cleared for every input.
    static model_state& s = [] () -> model_state& {
        static model_state state;
        return model_state_construct(state);
    }();
    s.num_gages = 0;
    s.num_rain_periods = 0;
    s.event_word_count = 0;
    file_rec f;
    if (file_rec_open(f, path, "r")) {
        for (int events = 0; events < 1000; ++events)
            if (read_rain_event(f, s) != 1)
                break;
        file_rec_close(f);
    }
    return 0;
}
