#include "core/model_state.h"
#include "output/linknode_writers.h"
#include "output/output_steps.h"

void write_linknode_headers(model_state& s)
{
    const int time_step = static_cast<int>(s.hyd_freq_steps * s.timestep / 60.0);
    // A hydrograph interval under a minute gives TIME_STEP 0: no count of
    // steps follows from it.
    const int num_steps = time_step > 0 ? s.tot_time / time_step : 0;
    const auto header = [&](file_rec& f, int kind, int links) {
        if (f.fp)
            write_linknode_header(f.fp, kind, links, time_step, num_steps, s.run.start_day, s.run.start_month,
                                  s.run.start_year, s.run.start_hour, s.run.start_minute);
    };
    if (s.chan_explicit) {
        if (s.chan_depth_given)
            header(s.chan_depth_file, 0, s.num_links);
        // TODO: the channel sediment flux file (CHAN_SED_FLUX, kind 31) with
        // channel sediment transport.
        if (s.chan_discharge_given)
            header(s.chan_discharge_file, 1, s.num_links);
        if (s.chan_stage_given)
            header(s.chan_stage_file, 2, s.num_links);
        if (s.chan_velocity_given)
            header(s.chan_velocity_file, 3, s.num_links);
    }
    // TODO: the flood stream depth file (FLOOD_STREAM, kind 4).
    if (s.storm_sewer) {
        if (s.pipe_flow_given)
            header(s.pipe_flow_file, 5, s.num_slink);
        if (s.pipe_head_given)
            header(s.pipe_head_file, 6, s.num_slink);
        if (s.pipe_tile_given)
            header(s.pipe_tile_file, 7, s.num_slink);
    }
}
