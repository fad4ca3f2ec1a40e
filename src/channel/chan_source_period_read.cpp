#include <cstdio>

#include "channel/chan_point_input.h"
#include "core/model_state.h"

int chan_source_period_read(model_state& s)
{
    const int record = s.chan_source_periods_read;
    char where[48];
    std::snprintf(where, sizeof where, "record %d", record);
    for (int k = 1; k <= s.chan_point_count; ++k) {
        const int i = s.chan_point_address[k];
        chan_source_item r = chan_source_real(s, "discharge", where, s.chan_point_q[i]);
        for (int c = 1; c <= s.num_constituents && r == chan_source_item::ok; ++c)
            r = chan_source_real(s, "concentration", where, s.chan_point_conc[c][i]);
        if (r == chan_source_item::refused)
            return 0;
        if (r == chan_source_item::eof) {
            chan_source_last_date_line(s.chan_point_date);
            return -1;
        }
    }
    if (record >= s.chan_point_nperiods)
        return 0;
    std::snprintf(where, sizeof where, "the INPUT line of record %d", record + 1);
    return chan_source_date_read(s, where);
}
