// The end of the map dataset files at the end of a run: the closing step of
// FLOOD_GRID and one end marker for every dataset file that is open. Each
// file is closed right after its marker, so no marker is written twice.
#include "core/model_state.h"
#include "output/map_kinds.h"
#include "output/map_series.h"
#include "output/output_steps.h"
#include "quality/qbn_model.h"

void write_map_dataset_ends(model_state& s)
{
    if (s.flood_grid && s.flood_dataset_file.fp) {
        const double* depth =
            s.max_flood_depth.size() >= s.num_cells ? s.max_flood_depth.data() : s.map_zero_values.data();
        if (depth)
            write_dataset_step(s.flood_dataset_file.fp, s.elapsed_min, s.grid_rows, s.grid_cols, s.mask,
                               depth, s.map_binary);
        write_dataset_end(s.flood_dataset_file, s.map_binary);
    }

    // Every open dataset of the fixed kinds gets its marker, also after a
    // channel drain initialisation: a dataset without one is unreadable.
    if (s.map_dataset) {
        static const int order[] = {
            map_kind_depth,        map_kind_discharge,    map_kind_gw_head,   map_kind_rain,
            map_kind_recharge_cum, map_kind_recharge_inc, map_kind_inf_depth, map_kind_inf_rate,
            map_kind_surf_moist,   map_kind_net_sed,      map_kind_sed_flux,  map_kind_susp_sed,
            map_kind_contam_conc,
        };
        for (int kind : order)
            write_dataset_end(*bind_map_kind(s, kind).dataset, s.map_binary);
    }

    // The nutrient module's map series: every open dataset gets its marker,
    // the two totals as well as each constituent's mass and concentration.
    if (s.nutrients && s.qbn_object) {
        qbn_model& m = *s.qbn_object;
        for (int k = 1; k <= m.maps.rows.count && k <= qbn_constituent_count; ++k) {
            if (m.out_ov[k - 1].flag != 1)
                continue;
            map_series_end(m.maps.rows[k][1]);
            map_series_end(m.maps.rows[k][2]);
        }
        map_series_end(m.maps.total_n);
        map_series_end(m.maps.total_p);
    }
}

void write_snow_dataset_ends(model_state& s)
{
    if (s.cards.snow_temp_given)
        map_series_end(s.snow_temp_series);
    if (s.cards.snow_swe_file_given)
        write_dataset_end(s.swe_dataset_file, s.map_binary);
}
