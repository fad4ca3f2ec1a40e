#include "output/output_steps.h"

#include "core/error_state.h"
#include "core/model_state.h"
#include "output/map_kinds.h"
#include "output/map_series.h"

namespace
{

// A per-cell buffer of the map outputs, sized once here so that the time
// loop allocates nothing.
void size_buffer(dvec& v, int n, const char* name)
{
    if (v.size() < n)
        dvector_alloc_zero(v, n, name);
}

void size_map_buffers(model_state& s)
{
    const int n = s.num_cells;
    size_buffer(s.map_zero_values, n, "map_zero_values");
    if (s.depth)
        size_buffer(s.cell_output_values, n, "cell_output_values");
    if (s.discharge)
        size_buffer(s.ov_q_map, n, "ov_q_map");
    if (s.gw_recharge_inc)
        size_buffer(s.cell_recharge_prev, n, "cell_recharge_prev");
    if (s.ov_sed) {
        if (s.sed.max_sed_flux)
            size_buffer(s.ov_sed->ov_qsmax_total, n, "ov_qsmax_total");
        if (s.sed.net_sed_volume)
            size_buffer(s.ov_sed->ov_net_sed, n, "ov_net_sed");
        if (s.sed.vol_sed_susp)
            size_buffer(s.ov_sed->ov_conc, n, "ov_conc");
    }
}

void open_snow_temp_series(model_state& s)
{
    map_series& w = s.snow_temp_series;
    map_series_bind(w, s,
                    s.snow_temp_map.size() >= s.num_cells ? s.snow_temp_map.data() : s.map_zero_values.data(),
                    1.0, 4);
    map_series_open(w, map_format_code(s), s.cards.snow_temp, "", "", 1060, "Snow_Temperature", s);
}

} // namespace

void open_map_outputs(model_state& s)
{
    size_map_buffers(s);
    if (!prepare_map_folders(s))
        return;
    if (s.map_dataset) {
        static const int order[] = {
            map_kind_depth,        map_kind_discharge, map_kind_rain,     map_kind_recharge_cum,
            map_kind_recharge_inc, map_kind_inf_depth, map_kind_inf_rate, map_kind_surf_moist,
            map_kind_gw_head,      map_kind_sed_flux,  map_kind_net_sed,  map_kind_susp_sed,
            map_kind_contam_conc,  map_kind_flood,     map_kind_swe,
        };
        for (int kind : order) {
            const map_kind_binding k = bind_map_kind(s, kind);
            if (!k.on)
                continue;
            const bool opened =
                s.map_binary
                    ? write_binary_dataset_header(*k.prefix, *k.dataset, map_kind_object_id(kind),
                                                  map_kind_dataset_name(kind), s.grid_rows, s.grid_cols)
                    : write_ascii_dataset_header(*k.prefix, *k.dataset, map_kind_object_id(kind),
                                                 map_kind_dataset_name(kind), s.grid_rows, s.grid_cols);
            if (!opened)
                return; // code 59 with the file name is pending
        }
    }
    if (s.cards.snow_temp_given) {
        open_snow_temp_series(s);
        if (run_stopped())
            return;
    }
    if (s.nutrients)
        open_nutrient_outputs(s);
}
