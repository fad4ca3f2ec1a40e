// Every gridded output of the run at each map output time: the fixed kinds
// as one grid file per time (MAP_TYPE 0) or as dataset steps, then the
// nutrient, contaminant and snow-temperature series.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "output/grid_writers.h"
#include "output/map_kinds.h"
#include "output/map_series.h"
#include "output/output_steps.h"
#include "overland/overland_steps.h"

namespace
{

// The source array when it holds every cell, else the zeros of a process
// that keeps no array (its map is written as zeros, not skipped).
const double* source(const model_state& s, const dvec& v)
{
    return v.size() >= s.num_cells ? v.data() : s.map_zero_values.data();
}

double* buffer(dvec& v, int n)
{
    return v.size() >= n ? v.data() : nullptr;
}

// The values of one kind at this output time, after the kind's fill.
const double* fill_kind(model_state& s, int kind)
{
    const int n = s.num_cells;
    switch (kind) {
    case map_kind_depth: {
        double* out = buffer(s.cell_output_values, n);
        if (!out || s.ov_depth.size() < n)
            break;
        lake_depth_fork(s, s.ov_depth.data(), out, n);
        return out;
    }
    case map_kind_swe:
        return source(s, s.snow_swe);
    case map_kind_discharge: {
        double* out = buffer(s.ov_q_map, n);
        if (!out || s.ov_qx.size() < n || s.ov_qy.size() < n)
            break;
        const double* qx = s.ov_qx.data();
        const double* qy = s.ov_qy.data();
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
        for (int c = 1; c <= n; ++c)
            out[c] = std::sqrt(qx[c] * qx[c] + qy[c] * qy[c]);
        return out;
    }
    case map_kind_rain:
        return source(s, s.rain_rate);
    case map_kind_inf_depth:
        return source(s, s.inf_depth);
    case map_kind_inf_rate:
        return source(s, s.inf_rate);
    case map_kind_surf_moist:
        return source(s, s.soil_moisture);
    case map_kind_gw_head:
        return source(s, s.elevgw);
    case map_kind_recharge_cum:
        return source(s, s.cell_recharge_cum);
    case map_kind_recharge_inc: {
        // The increment is formed in cell_recharge_prev for the write; the
        // step then sets it to the cumulative value (finish_recharge_increment).
        double* prev = buffer(s.cell_recharge_prev, n);
        if (!prev)
            break;
        const double* cum = source(s, s.cell_recharge_cum);
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
        for (int c = 1; c <= n; ++c)
            prev[c] = cum[c] - prev[c];
        return prev;
    }
    case map_kind_sed_flux: {
        sediment_table* t = s.ov_sed.get();
        double* out = t ? buffer(t->ov_qsmax_total, n) : nullptr;
        if (!out)
            break;
        const int classes = t->ov_qsmax.rows() >= n ? std::min(s.sed.num_sed, t->ov_qsmax.cols()) : 0;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
        for (int c = 1; c <= n; ++c) {
            out[c] = 0.0;
            for (int k = 1; k <= classes; ++k)
                out[c] += t->ov_qsmax[c][k] * 1000000.0;
        }
        return out;
    }
    case map_kind_net_sed: {
        sediment_table* t = s.ov_sed.get();
        double* out = t ? buffer(t->ov_net_sed, n) : nullptr;
        if (!out)
            break;
        const bool have = t->ov_qsvol.rows() >= n;
        const double area = s.gridsize * s.gridsize;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
        for (int c = 1; c <= n; ++c)
            out[c] = have && area > 0.0 ? t->ov_qsvol[c][0] * 1000.0 / area : 0.0;
        return out;
    }
    case map_kind_susp_sed: {
        sediment_table* t = s.ov_sed.get();
        double* out = t ? buffer(t->ov_conc, n) : nullptr;
        if (!out)
            break;
        const bool have = t->ov_qsconc.rows() >= n;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
        for (int c = 1; c <= n; ++c)
            out[c] = have ? t->ov_qsconc[c][0] : 0.0;
        return out;
    }
    default:
        break;
    }
    return s.map_zero_values.size() >= n ? s.map_zero_values.data() : nullptr;
}

// After the increment map was written: the previous value becomes the
// cumulative one.
void finish_recharge_increment(model_state& s)
{
    const int n = s.num_cells;
    if (s.cell_recharge_prev.size() < n)
        return;
    double* prev = s.cell_recharge_prev.data();
    const double* cum = source(s, s.cell_recharge_cum);
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int c = 1; c <= n; ++c)
        prev[c] = cum[c];
}

// A fixed kind as one grid file per output time.
struct grid_kind {
    int kind;
    const char* word;    // names the kind in the file name
    const char* failure; // printed with the file name when it cannot be opened
};

const grid_kind grid_kinds[] = {
    {map_kind_depth, "depth", "Can't open depth map for writing: %s\n"},
    {map_kind_swe, "swe", "Can't open depth map for writing: %s\n"},
    {map_kind_discharge, "discharge", "Can't open discharge map for writing: %s\n"},
    {map_kind_rain, "rain", "Can't open rainfall map for writing: %s\n"},
    {map_kind_inf_depth, "infdep", "Can't open Cum. infilt. depth map for writing: %s\n"},
    {map_kind_inf_rate, "infrate", "Can't open infiltration rate map for writing: %s\n"},
    {map_kind_surf_moist, "smoist", "Can't open surface moisture content map for writing: %s\n"},
    {map_kind_sed_flux, "max_sed_flux", "Can't open sediment flux map for writing: %s\n"},
    {map_kind_gw_head, "gw_head", "Can't open groundwater head map for writing: %s\n"},
    {map_kind_recharge_cum, "gwrechargecum", "Can't open cum gw recharge map for writing: %s\n"},
    {map_kind_recharge_inc, "gwrechargeinc",
     "Can't open incremental groundwater recharge map for writing: %s\n"},
    {map_kind_net_sed, "net_sed_volume", "Can't open depth map for writing: %s\n"},
};

// The fixed kinds of one output time as grid files; false when a file could
// not be opened (the run then stops).
bool write_grid_files(model_state& s)
{
    ++s.map_output_count;
    char tail[32];
    std::snprintf(tail, sizeof tail, "%04d.asc", s.map_output_count);
    for (const grid_kind& g : grid_kinds) {
        const map_kind_binding k = bind_map_kind(s, g.kind);
        if (!k.on)
            continue;
        const double* values = fill_kind(s, g.kind);
        const std::string name = map_file_name(*k.prefix, std::string(g.word) + "." + tail);
        if (!s.calib_mode)
            std::printf("opening file %s\n", name.c_str());
        file_rec grid;
        if (!values || !file_rec_open(grid, name, "w")) {
            std::printf(g.failure, name.c_str());
            error_set(err_stop);
            report_error(error_state);
            return false;
        }
        write_esri_ascii_grid(grid.fp, s.mask, s.grid_north, s.grid_south, s.grid_east, s.grid_west,
                              s.grid_rows, s.grid_cols, values, s.gridsize);
        file_rec_close(grid);
        if (g.kind == map_kind_recharge_inc)
            finish_recharge_increment(s);
    }
    return true;
}

// The fixed kinds of one output time as dataset steps.
void write_dataset_steps(model_state& s)
{
    static const int order[] = {
        map_kind_depth,    map_kind_swe,          map_kind_discharge,    map_kind_gw_head,
        map_kind_rain,     map_kind_recharge_cum, map_kind_recharge_inc, map_kind_inf_depth,
        map_kind_inf_rate, map_kind_surf_moist,   map_kind_sed_flux,     map_kind_net_sed,
        map_kind_susp_sed,
    };
    for (int kind : order) {
        const map_kind_binding k = bind_map_kind(s, kind);
        if (!k.on || !k.dataset->fp)
            continue;
        if (kind == map_kind_swe && !s.long_term)
            continue; // swe steps belong to long-term runs
        const double* values = fill_kind(s, kind);
        if (!values)
            continue;
        write_dataset_step(k.dataset->fp, s.elapsed_min, s.grid_rows, s.grid_cols, s.mask, values,
                           s.map_binary);
        if (kind == map_kind_recharge_inc)
            finish_recharge_increment(s);
    }
}

} // namespace

bool prepare_map_folders(model_state& s)
{
    if (!s.map_type_grids)
        return true;
    for (const grid_kind& g : grid_kinds) {
        const map_kind_binding k = bind_map_kind(s, g.kind);
        if (k.on && !map_folder_ready(*k.prefix, g.word))
            return false;
    }
    return true;
}

void map_output_step(model_state& s)
{
    if (s.map_freq_steps < 1 || (s.step_count - 1) % s.map_freq_steps != 0)
        return;

    if (s.map_type_grids) {
        if (!write_grid_files(s))
            return; // the run stops; nothing more of this time
    } else if (s.map_dataset) {
        write_dataset_steps(s);
    }
    if (run_stopped())
        return;

    if (s.nutrients)
        write_qbn_outputs(s);
    if (run_stopped())
        return;
    for (int c = 1; c <= s.con_map_count && c <= s.con_map_series.count; ++c) {
        map_series_write(s.con_map_series[c][1], s.elapsed_min); // "conc_%02d"
        if (run_stopped())
            return;
        map_series_write(s.con_map_series[c][2], s.elapsed_min); // "mass_%02d"
        if (run_stopped())
            return;
    }
    if (s.cards.snow_temp_given)
        map_series_write(s.snow_temp_series, s.elapsed_min);
}
