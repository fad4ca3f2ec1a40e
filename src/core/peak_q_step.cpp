// The event's peak outlet discharge with its date and, in calibration
// runs, the peak at every hydrograph location.
#include "core/model_state.h"
#include "core/run_steps.h"

void peak_q_step(model_state& s)
{
    if (s.qout > s.peak_q) {
        s.peak_q = s.qout;
        s.peak_q_date[0] = s.cur_year;
        s.peak_q_date[1] = s.cur_month;
        s.peak_q_date[2] = s.cur_day;
        s.peak_q_date[3] = s.cur_hour;
        s.peak_q_date[4] = s.cur_minute;
        s.peak_q_date[5] = s.cur_second;
        s.peak_q_time = s.current_time;
    }
    if (!(s.optimize || s.calib_capture) || !s.in_hyd_location_given || !s.chan_explicit || s.optimize_sed)
        return;
    const int locations =
        s.num_hyd_locations < s.opt_peak_q.size() ? s.num_hyd_locations : s.opt_peak_q.size();
    for (int i = 1; i <= locations; ++i) {
        if (i > s.hlink.size() || i > s.hnode.size())
            break;
        const int link = s.hlink[i];
        const int node = s.hnode[i];
        if (link < 1 || link > s.qp.cols() || node < 1 || node > s.qp.rows())
            continue;
        const double q = s.qp[node][link];
        if (q >= s.opt_peak_q[i])
            s.opt_peak_q[i] = q;
    }
}
