// The run's starting soil state: the infiltration state of the chosen
// scheme, the accounting column of each cell against the water table, the
// snow state of long-term runs, and the initial water volumes of the soil,
// the aquifer and the overland lakes for the run's mass balance.
#include <algorithm>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "subsurface/soil_accounting.h"
#include "subsurface/subsurface_steps.h"

namespace
{

template <class T> void fill(vec1<T>& v, int n, T x)
{
    for (int i = 1; i <= n && i <= v.size(); ++i)
        v[i] = x;
}

// Infiltration state of every scheme in use back to its start.
void reset_infiltration_state(model_state& s)
{
    const int n = s.num_cells;
    for (dvec* v : {&s.inf_rate, &s.event_inf_depth, &s.inf_depth_mark, &s.inf_depth, &s.soil_recharge_gw,
                    &s.unsat_down_flux, &s.soil_bottom_drain_acc})
        fill(*v, n, 0.0);
    if (s.inf_richards) {
        fill(s.bound_type, n, 1);
        fill(s.inf_rich, n, 0.0);
    }
    if (s.inf_redist) {
        for (ivec* v : {&s.iter_pond_1, &s.iter_n, &s.no_wat_prof, &s.iter_i_less_k})
            fill(*v, n, 0);
        fill(s.redist_aux, n, 0.0);
    }
    if (s.inf_layered_soil)
        fill(s.wetdep, n, 0.0);
}

bool channel_lake_cell(const model_state& s, int i)
{
    return s.chan_lakes && s.lake_mask.size() >= i && s.lake_mask[i] > 0;
}

// Depth from the ground down to the water table of cell i (m).
double table_depth(const model_state& s, int i)
{
    return s.ground_elev[i] - s.elevgw[i];
}

// The accounting column of cell i: its depth against the water table and
// its initial water in the two layers. Returns false when the cell's soil
// type is unusable.
bool start_column(model_state& s, int i, bool table, bool& exfil_any)
{
    s.yes_exfil[i] = 0;
    s.soil_top_drain_acc[i] = 0.0;
    const soil_layer_rec* soil = nullptr;
    double wc = s.soil_moist_depth;
    if (s.inf_layered_soil) {
        const int t = s.soiltype[i];
        if (t < 0 || t >= soil_type_count)
            return false;
        soil = &s.soil_layers[static_cast<std::size_t>(t)];
        wc = soil->depth[0] + soil->depth[1];
    }
    if (table) {
        s.exfil_cell_depth[i] = 0.0;
        const double d = table_depth(s, i);
        if (d <= 0.0) {
            // Groundwater at the surface: the soil is saturated and the column empty.
            if (soil)
                for (int k = 0; k < 3; ++k)
                    s.THETA_ML[i][k + 1] = soil->porosity[k];
            else
                s.dist_init_moisture[i] = s.dist_porosity[i];
            wc = 0.0;
            if (!channel_lake_cell(s, i)) {
                s.yes_exfil[i] = 1;
                exfil_any = true;
            }
        } else if (wc / 100.0 > d) {
            wc = d * 100.0;
        }
        if (s.gw_simulation)
            s.gw_inf_redist_theta[i] = s.gw_porosity[i] * s.single_unsat_sat;
    }
    s.soil_depth[i] = wc;

    double top = 0.0, low = 0.0;
    if (soil) {
        const double d1 = soil->depth[0], d2 = soil->depth[1];
        const double th1 = s.THETA_ML[i][1], th2 = s.THETA_ML[i][2];
        if (wc <= d1) {
            top = wc * th1;
        } else if (wc < d1 + d2) {
            // The lower layer holds only the part of the column below layer 1.
            top = d1 * th1;
            low = (wc - d1) * th2;
        } else {
            top = d1 * th1;
            low = d2 * th2;
        }
    } else {
        const double thi = s.dist_init_moisture[i];
        if (s.top_layer_depth < wc) {
            top = thi * s.top_layer_depth;
            low = thi * (wc - s.top_layer_depth);
        } else {
            top = thi * wc;
        }
    }
    s.soil_water_top[i] = top;
    s.soil_water_low[i] = low;
    s.soil_water[i] = top + low;
    return true;
}

bool columns_ready(const model_state& s, bool table)
{
    const int n = s.num_cells;
    for (const dvec* v :
         {&s.soil_depth, &s.soil_water, &s.soil_water_top, &s.soil_water_low, &s.soil_top_drain_acc})
        if (v->size() < n)
            return false;
    if (s.yes_exfil.size() < n)
        return false;
    if (s.inf_layered_soil && (s.soiltype.size() < n || s.THETA_ML.rows() < n || s.THETA_ML.cols() < 3))
        return false;
    if (s.inf_redist && (s.dist_init_moisture.size() < n || s.dist_porosity.size() < n))
        return false;
    if (table && (s.exfil_cell_depth.size() < n || s.ground_elev.size() < n || s.elevgw.size() < n))
        return false;
    if (table && s.gw_simulation && (s.gw_inf_redist_theta.size() < n || s.gw_porosity.size() < n))
        return false;
    return true;
}

// Every cell's accounting column; returns the water it holds (m3), or a
// negative value after reporting a cell that cannot have one.
double start_columns(model_state& s)
{
    const int n = s.num_cells;
    const bool table = s.water_table != 0;
    if (!columns_ready(s, table)) {
        std::printf("Soil-water accounting: the soil arrays of the accounting column are missing\n");
        error_set(err_stop);
        return -1.0;
    }
    const double area = s.gridsize * s.gridsize;
    double volume = 0.0;
    int bad = 0;
    bool exfil_any = false;
    for (int i = 1; i <= n; ++i) {
        if (!start_column(s, i, table, exfil_any)) {
            bad = i;
            break;
        }
        volume += s.soil_water[i] / 100.0 * area;
    }
    if (bad) {
        std::printf("Soil-water accounting: cell %d has soil type %d, which is not in the soil table\n", bad,
                    s.soiltype[bad]);
        error_set(err_stop);
        return -1.0;
    }
    if (exfil_any)
        s.gw_exfil_any = 1;
    return volume;
}

// Snow of a long-term run starts from its parameters' defaults and no pack,
// unless INIT_SWE_DEPTH gave one; the ground starts unfrozen.
void reset_snow(model_state& s)
{
    const int n = s.num_cells;
    s.snow_param_a = 3.0;
    s.snow_param_b = 0.67;
    s.snow_period_s = 3600;
    fill(s.cfgi, n, 0.0);
    if (s.cards.init_swe_depth_kind == 0) {
        fill(s.snow_swe, n, 0.0);
        fill(s.snow_depth_in, n, 0.0);
    }
}

// An overland lake must not start below the ground of any of its cells.
bool check_overland_lakes(model_state& s)
{
    const int n = s.num_cells;
    if (!s.overland_lake_on || s.oland_lake_mask.size() < n || s.ground_elev.size() < n)
        return true;
    const int lakes = static_cast<int>(s.oland_lakes.size()) - 1;
    for (int i = 1; i <= n; ++i) {
        const int l = s.oland_lake_mask[i];
        if (l <= 0 || l > lakes)
            continue;
        const double elev = s.oland_lakes[static_cast<std::size_t>(l)].stage;
        if (elev < s.ground_elev[i]) {
            std::printf("\nWARNING: initial water surface elevation in lake %d is %f which is\n", l, elev);
            std::printf("less than the land surface elevation in grid cell %d, %f.\n", i, s.ground_elev[i]);
            std::printf("You should either raise your initial lake elevation or lower that grid\n");
            std::printf("cell elevation.  Program stopped.\n");
            error_set(err_stop);
            return false;
        }
    }
    return true;
}

// Water held in the unsaturated zone at the start (m3): the accounting
// columns, with groundwater also the wetted soil between a column and a
// deeper water table; or the Richards columns.
double unsaturated_volume(const model_state& s)
{
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    double volume = 0.0;
    if (s.soil_water_acct) {
        const bool wetted = s.gw_simulation && s.water_table;
#pragma omp parallel for schedule(static) reduction(+ : volume) if (n >= parallel_min_cells)
        for (int i = 1; i <= n; ++i) {
            double v = s.soil_water[i] / 100.0;
            const double below = wetted ? table_depth(s, i) - s.soil_depth[i] / 100.0 : -1.0;
            if (wetted && below >= 0.0)
                v += below * s.gw_inf_redist_theta[i];
            volume += v * area;
        }
    } else if (s.inf_richards && s.numcells.size() >= n && s.THETA.rows() >= n && s.DZ.rows() >= n) {
#pragma omp parallel for schedule(static) reduction(+ : volume) if (n >= parallel_min_cells)
        for (int i = 1; i <= n; ++i) {
            const int nodes = std::min({s.numcells[i] - 1, s.THETA.cols(), s.DZ.cols()});
            for (int k = 1; k <= nodes; ++k)
                volume += s.THETA[i][k] * s.DZ[i][k] / 100.0 * area;
        }
    }
    return volume;
}

double aquifer_volume(const model_state& s)
{
    const int n = s.num_cells;
    if (!s.gw_simulation || s.elevgw.size() < n || s.bottom_elev.size() < n || s.gw_porosity.size() < n)
        return 0.0;
    const double area = s.gridsize * s.gridsize;
    double volume = 0.0;
#pragma omp parallel for schedule(static) reduction(+ : volume) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i)
        volume += (s.elevgw[i] - s.bottom_elev[i]) * s.gw_porosity[i] * area;
    return volume;
}

} // namespace

void init_soil_state(model_state& s)
{
    const int n = s.num_cells;
    if (s.green_ampt || s.inf_redist) {
        if (s.top_layer_depth < 1e-16)
            s.top_layer_depth = s.soil_moist_depth;
        if (s.mixing_layer_depth < 1e-16)
            s.mixing_layer_depth = s.top_layer_depth;
    }
    reset_infiltration_state(s);

    s.soil_initial_volume = 0.0;
    if (s.soil_water_acct) {
        const double volume = start_columns(s);
        if (volume < 0.0)
            return;
        s.soil_initial_volume = volume;
    }
    // The redistribution profiles start at each cell's (possibly saturated)
    // initial water content.
    if (s.inf_redist && s.dist_init_moisture.size() >= n) {
        for (int i = 1; i <= n && i <= s.redist_theta_1.size() && i <= s.redist_theta_2.size(); ++i)
            s.redist_theta_1[i] = s.redist_theta_2[i] = s.dist_init_moisture[i];
    }
    if (s.long_term)
        reset_snow(s);

    if (!check_overland_lakes(s))
        return;
    s.gw_initial_volume = aquifer_volume(s);
    s.soil_initial_volume_run = unsaturated_volume(s);
}
