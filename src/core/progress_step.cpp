// One progress line per step of the process that drives the outlet, the
// periodic flush of the console and the extremes of the stream network.
#include <cstdio>

#include "core/model_state.h"
#include "core/run_steps.h"

namespace
{

struct extreme {
    double value;
    int node = -1;
    int link = -1;
};

void stream_extremes(const model_state& s)
{
    extreme max_y{-5000.0}, min_y{5000.0}, max_q{-5000.0}, min_q{5000.0};
    const int links = s.num_links < s.nx.size() ? s.num_links : s.nx.size();
    for (int l = 1; l <= links && l <= s.yp.cols() && l <= s.qp.cols() && l <= s.bel.cols(); ++l) {
        for (int n = 1; n <= s.nx[l] && n <= s.yp.rows() && n <= s.qp.rows() && n <= s.bel.rows(); ++n) {
            const double y = s.yp[n][l] - s.bel[n][l];
            const double q = s.qp[n][l];
            if (y > max_y.value)
                max_y = {y, n, l};
            if (y < min_y.value)
                min_y = {y, n, l};
            if (q > max_q.value)
                max_q = {q, n, l};
            if (q < min_q.value)
                min_q = {q, n, l};
        }
    }
    std::printf("    ==> Max Yp (N %d, L %d) = %lf\n", max_y.node, max_y.link, max_y.value);
    std::printf("    ==> Min Yp (N %d, L %d) = %lf\n", min_y.node, min_y.link, min_y.value);
    std::printf("    ==> Max Qp (N %d, L %d) = %lf\n", max_q.node, max_q.link, max_q.value);
    std::printf("    ==> Min Qp (N %d, L %d) = %lf\n", min_q.node, min_q.link, min_q.value);
}

} // namespace

void progress_step(model_state& s)
{
    // The clock fields are set to current_time itself when their process runs.
    const bool channel = s.chan_explicit || s.chan_mesh;
    if (s.current_time != (channel ? s.chan_last : s.ov_last))
        return;
    if (s.quiet)
        return;
    if (!s.super_quiet && !s.calib_mode) {
        if (!s.qout_cfs)
            std::printf("event %2d elapsed time %8.2lf  %2d/%2.2d/%2.2d %2.2d:%2.2d:%2.2d Qout=%8.2lf cms\n",
                        s.event_num, s.elapsed_min, s.cur_month, s.cur_day, s.cur_year, s.cur_hour,
                        s.cur_minute, s.cur_second, s.qout);
        else
            std::printf("event %2d elapsed time %8.2lf  %2d/%2.2d/%2.2d %2.2d:%2.2d:%2.2d Qout=%10.1lf cfs\n",
                        s.event_num, s.elapsed_min, s.cur_month, s.cur_day, s.cur_year, s.cur_hour,
                        s.cur_minute, s.cur_second, s.qout * s.qout_cfs_factor);
    }
    if (s.flush_buffer && ++s.flush_line_count >= s.flush_buffer_lines) {
        std::fflush(stdout);
        s.flush_line_count = 0;
    }
    if (s.stream_info)
        stream_extremes(s);
}
