// The initial surface state: snow water equivalent, the overland depth
// hotstart and a water level over the ground.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/reader_echo.h"
#include "input/spatial_inputs.h"

void read_hotstart_maps(model_state& s)
{
    const int n = s.num_cells;
    const int swe_kind = s.cards.init_swe_depth_kind;
    if (swe_kind > 0) {
        // Snow is held only in long-term runs.
        if (!s.long_term || (n > 0 && s.snow_swe.size() < n)) {
            std::printf(
                "Error: INIT_SWE_DEPTH gives an initial snow water equivalent, but snow is simulated only "
                "in long-term runs (LONG_TERM card).\n");
            error_set(err_stop);
            report_error(error_state);
            return;
        }
        if (swe_kind == 1) {
            reader_echo(s, echo_rule::with_trials,
                        text_format("reading initial snow swe map from file: %s\n",
                                    s.cards.init_swe_depth_map.c_str()));
            read_cell_reals(s, s.swe_hotstart_file, s.cards.init_swe_depth_map, s.snow_swe);
            file_rec_close(s.swe_hotstart_file);
            if (run_stopped() ||
                !cell_values_within(s, s.snow_swe, s.cards.init_swe_depth_map, "snow water equivalent", 0.0,
                                    no_upper_bound))
                return;
        } else {
            for (int i = 1; i <= n; ++i)
                s.snow_swe[i] = s.cards.init_swe_depth;
        }
        for (int i = 1; i <= n && i <= s.snow_depth_in.size(); ++i)
            s.snow_depth_in[i] = 10.0 * s.snow_swe[i];
        // The run's water balance starts from this snow.
        s.snow_initial_volume_run = 0.0;
        for (int i = 1; i <= n && i <= s.snow_swe.size(); ++i)
            s.snow_initial_volume_run += s.snow_swe[i] * s.gridsize * s.gridsize;
        s.snow_present = 1;
    }

    if (s.ov_hotstart_in_file.fp) {
        reader_echo(
            s, echo_rule::with_trials,
            text_format("reading overland hotstart map from file: %s\n", s.ov_init_depth_name.c_str()));
        read_cell_reals(s, s.ov_hotstart_in_file, s.ov_init_depth_name, s.ov_depth);
        if (run_stopped() || !cell_values_within(s, s.ov_depth, s.ov_init_depth_name, "overland depth", 0.0,
                                                 no_upper_bound))
            return;
        for (int i = 1; i <= n; ++i)
            s.ov_depth_old[i] = s.ov_depth[i];
    }

    if (s.cards.init_elev_head_given) {
        const double level = s.cards.init_elev_head;
        for (int i = 1; i <= n; ++i)
            if (s.ground_elev[i] < level)
                s.ov_depth[i] = level - s.ground_elev[i];
        for (int i = 1; i <= n; ++i)
            s.ov_depth_old[i] = s.ov_depth[i];
    }

    if (s.long_term == 1) {
        for (int i = 1; i <= n; ++i)
            if (s.ov_depth[i] > 1e-16)
                s.surface_active = 1;
        for (int i = 1; i <= n && i <= s.snow_swe.size(); ++i)
            if (s.snow_swe[i] > 1e-16)
                s.snow_present = 1;
    }
}
