#include "core/model_state.h"
#include "output/linknode_writers.h"
#include "output/output_steps.h"

linknode_header_times linknode_run_times(const model_state& s)
{
    linknode_header_times t;
    t.time_step = static_cast<int>(s.hyd_freq_steps * s.timestep / 60.0);
    // A hydrograph interval under a minute gives TIME_STEP 0: no count of
    // steps follows from it.
    t.num_steps = t.time_step > 0 ? s.tot_time / t.time_step : 0;
    t.day = s.run.start_day;
    t.month = s.run.start_month;
    t.year = s.run.start_year;
    t.hour = s.run.start_hour;
    t.minute = s.run.start_minute;
    return t;
}

void write_linknode_headers(model_state& s)
{
    const linknode_header_times t = linknode_run_times(s);
    const auto header = [&](file_rec& f, int kind, int links) {
        if (f.fp)
            write_linknode_header(f.fp, kind, links, t.time_step, t.num_steps, t.day, t.month, t.year, t.hour,
                                  t.minute);
    };
    if (s.chan_explicit) {
        if (s.chan_depth_given)
            header(s.chan_depth_file, 0, s.num_links);
        if (s.chan_sed_flux_given && s.chan_sed_on)
            header(s.chan_sed_flux_file, 31, s.num_links);
        if (s.chan_discharge_given)
            header(s.chan_discharge_file, 1, s.num_links);
        if (s.chan_stage_given)
            header(s.chan_stage_file, 2, s.num_links);
        if (s.chan_velocity_given)
            header(s.chan_velocity_file, 3, s.num_links);
    }
    if (s.flood_stream)
        header(s.linknode_out_file, 4, s.num_links);
    if (s.storm_sewer) {
        if (s.pipe_flow_given)
            header(s.pipe_flow_file, 5, s.num_slink);
        if (s.pipe_head_given)
            header(s.pipe_head_file, 6, s.num_slink);
        if (s.pipe_tile_given)
            header(s.pipe_tile_file, 7, s.num_slink);
    }
}
