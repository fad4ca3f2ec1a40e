#include <cstdio>

#include "channel/chan_file.h"
#include "channel/chan_point_input.h"
#include "channel/channel_steps.h"
#include "core/julian.h"
#include "core/model_state.h"

void chan_point_input_step(model_state& s)
{
    // A record is due from its date on: a date between two base steps is
    // read at the first step after it rather than never.
    if (!s.chan_point_on || s.chan_point_next_time <= 0.0 ||
        s.current_time < s.chan_point_next_time - s.time_tol)
        return;
    ++s.chan_source_periods_read;
    const int r = chan_source_period_read(s);
    if (r == 1) {
        const int* d = s.chan_point_date;
        s.chan_point_next_time = julian_date(d[0], d[1], d[2], d[3], d[4], 0.0);
    } else {
        s.chan_point_next_time = 0.0;
        if (r == -1) {
            std::printf("Unexpected end of file in chan point input data file.\n");
            std::printf("Check the format of the data file.\nProgram terminated.");
            chan_stop();
        }
    }
}
