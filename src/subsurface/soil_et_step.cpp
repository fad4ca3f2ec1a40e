// Soil evapotranspiration and the between-event accounting column: at each
// soil-ET time the water infiltrated since the last call enters every
// cell's column, drains downwards and, in long-term runs between rains,
// gives up evapotranspiration after the ponded water has evaporated. What
// leaves the column bottom is the recharge of the groundwater step.
#include <algorithm>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "subsurface/soil_accounting.h"
#include "subsurface/subsurface_steps.h"

namespace
{

// The arrays every pass reads and writes, taken once outside the loop.
struct et_arrays {
    const int* ov_lake = nullptr;
    const int* ch_lake = nullptr;
    const int* bc = nullptr;
    const double* rain = nullptr;
    const double* swe = nullptr;
    const double* block = nullptr;
    const double* pet = nullptr; // potential evaporation, cm/s
    const double* pot = nullptr; // potential evapotranspiration, cm/s
    double* ov_depth = nullptr;
    double* direct_evap = nullptr;
    double* depth = nullptr;
    double* top = nullptr;
    double* low = nullptr;
    double* water = nullptr;
    double* removed = nullptr;
    double* recharge_gw = nullptr;
    double* recharge_out = nullptr;
    double* bottom_acc = nullptr;
    double* top_acc = nullptr;
    // Soil constituent transport: the same drainage since its last step.
    double* con_flux_top = nullptr;
    double* con_flux_bottom = nullptr;
    double* input_acc = nullptr;
    double* et_gw = nullptr;
    int* exfil = nullptr;
    bool et_on = false;
    bool deardorff = false;
};

bool sized(const dvec& v, int n)
{
    return v.size() >= n;
}

template <class V> auto ptr(V& v, int n) -> decltype(v.data())
{
    return v.size() >= n ? v.data() : nullptr;
}

bool arrays_ready(const model_state& s)
{
    const int n = s.num_cells;
    for (const dvec* v : {&s.soil_depth, &s.soil_water, &s.soil_water_top, &s.soil_water_low, &s.et_removed,
                          &s.soil_bottom_drain_acc, &s.soil_top_drain_acc, &s.soil_acct_input,
                          &s.soil_et_array, &s.unsat_down_flux, &s.ov_depth})
        if (!sized(*v, n))
            return false;
    if (s.yes_exfil.size() < n)
        return false;
    if (s.long_term && (!sized(s.pet_rate, n) || !sized(s.et_rate, n) || !sized(s.direct_evap, n)))
        return false;
    return true;
}

et_arrays bind(model_state& s)
{
    const int n = s.num_cells;
    et_arrays a;
    a.ov_lake = s.overland_lake_on ? ptr(s.oland_lake_new, n) : nullptr;
    a.ch_lake = s.chan_lakes ? ptr(s.lake_mask, n) : nullptr;
    a.bc = s.ov_boundary ? ptr(s.boundary_type, n) : nullptr;
    a.rain = ptr(s.rain_rate, n);
    a.swe = s.snow_present ? ptr(s.snow_swe, n) : nullptr;
    a.block = s.ovr_flow_block ? ptr(s.ov_block_frac, n) : nullptr;
    a.pet = ptr(s.pet_rate, n);
    a.pot = ptr(s.et_rate, n);
    a.ov_depth = s.ov_depth.data();
    a.direct_evap = ptr(s.direct_evap, n);
    a.depth = s.soil_depth.data();
    a.top = s.soil_water_top.data();
    a.low = s.soil_water_low.data();
    a.water = s.soil_water.data();
    a.removed = s.et_removed.data();
    a.recharge_gw = ptr(s.soil_recharge_gw, n);
    a.recharge_out = s.unsat_down_flux.data();
    a.bottom_acc = s.soil_bottom_drain_acc.data();
    a.top_acc = s.soil_top_drain_acc.data();
    if (s.soil_con_trans) {
        a.con_flux_top = ptr(s.soil_flux_top, n);
        a.con_flux_bottom = ptr(s.soil_flux_bottom, n);
    }
    a.input_acc = s.soil_acct_input.data();
    a.et_gw = s.soil_et_array.data();
    a.exfil = s.yes_exfil.data();
    a.et_on = s.long_term != 0 && a.pet && a.pot && a.direct_evap;
    a.deardorff = s.et_calc_deardorff != 0;
    return a;
}

bool skipped(const et_arrays& a, int i)
{
    return (a.ov_lake && a.ov_lake[i] > 0) || (a.ch_lake && a.ch_lake[i] > 0);
}

// Evaporates the pond first and returns the demand left for the soil (cm);
// the pond's evaporated depth (m, over the unblocked part) goes to *pond.
double pond_then_demand(const et_arrays& a, int i, double dt, double* pond)
{
    *pond = 0.0;
    if (!a.et_on)
        return 0.0;
    if (a.rain && a.rain[i] > 1e-16)
        return 0.0;
    if (a.swe && a.swe[i] >= 1e-16)
        return 0.0;
    if (a.bc) {
        const int t = a.bc[i];
        if (t == 2 || t == 3 || t == 9)
            return 0.0;
    }
    const double p = 100.0 * a.ov_depth[i]; // cm
    if (p <= 1e-14)
        return dt * a.pot[i];
    const double can = dt * a.pet[i];
    double gone = 0.0, demand = 0.0;
    if (p >= can) {
        gone = can;
        a.ov_depth[i] -= can / 100.0;
    } else {
        gone = p;
        a.ov_depth[i] = 0.0;
        demand = (dt - p / a.pet[i]) * a.pot[i];
    }
    if (a.block && a.block[i] < 1.0)
        gone *= 1.0 - a.block[i];
    a.direct_evap[i] += gone;
    *pond = gone / 100.0;
    return demand;
}

// Books one column step into the cell's arrays; returns the soil ET (m).
double book_column(const et_arrays& a, int i, const column_water& w, const column_flux& f, double input)
{
    a.recharge_out[i] -= f.from_gw;
    if (a.recharge_gw)
        a.recharge_gw[i] -= f.from_gw;
    a.et_gw[i] += f.from_gw / 100.0;
    if (!f.updated)
        return f.et / 100.0;
    if (f.now_exfil)
        a.exfil[i] = 1;
    a.top[i] = w.top;
    a.low[i] = w.low;
    a.water[i] = w.top + w.low;
    a.recharge_out[i] += f.bottom;
    if (a.recharge_gw)
        a.recharge_gw[i] += f.bottom;
    a.bottom_acc[i] += f.bottom;
    a.top_acc[i] += f.top_drain;
    if (a.con_flux_top && a.con_flux_bottom) {
        a.con_flux_top[i] += f.top_drain;
        a.con_flux_bottom[i] += f.bottom;
    }
    a.input_acc[i] += input / 100.0;
    a.removed[i] = 0.0;
    return f.et / 100.0;
}

// One cell of either scheme.
double account_cell(const et_arrays& a, int i, double dt, const column_soil& soil)
{
    double pond = 0.0;
    const double demand = pond_then_demand(a, i, dt, &pond);
    const double input = 100.0 * a.removed[i];
    column_water w{a.depth[i], a.top[i], a.low[i]};
    const column_flux f = soil_column_step(soil, w, input, demand, a.deardorff, a.exfil[i] == 1);
    return pond + book_column(a, i, w, f, input);
}

column_layer layer_of(const soil_layer_rec& r, int k)
{
    return {r.porosity[k], r.residual_sat[k], r.field_capacity[k], r.wilting_point[k]};
}

double exponent(double lam)
{
    return 2.0 + 3.0 / lam;
}

} // namespace

double soil_moisture_et_cells(model_state& s, double dt)
{
    const int n = s.num_cells;
    const et_arrays a = bind(s);
    const double* ks = s.dist_ksat.data();
    const double* lam = s.dist_pore_index.data();
    const double* ths = s.dist_porosity.data();
    const double* thr = s.dist_resid_sat.data();
    const double* fc = ptr(s.dist_inf_col6, n);
    const double* wp = ptr(s.dist_wilting_point, n);
    const double split = s.top_layer_depth;
    const double full = s.soil_moist_depth;
    double evap = 0.0;
#pragma omp parallel for schedule(static) reduction(+ : evap) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        if (skipped(a, i))
            continue;
        column_soil soil;
        soil.split = split;
        soil.full = full;
        soil.up = {ths[i], thr[i], fc ? fc[i] : 0.0, wp ? wp[i] : 0.0};
        soil.low = soil.up;
        soil.k_up = soil.k_low = ks[i] * dt * 100.0;
        soil.e_up = soil.e_low = exponent(lam[i]);
        evap += account_cell(a, i, dt, soil);
    }
    return evap;
}

double soil_moisture_et_soiltypes(model_state& s, double dt)
{
    const int n = s.num_cells;
    const et_arrays a = bind(s);
    const int* type = s.soiltype.data();
    const soil_layer_rec* layers = s.soil_layers.data();
    const double to_step = dt / 3600.0;
    double evap = 0.0;
#pragma omp parallel for schedule(static) reduction(+ : evap) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        if (skipped(a, i))
            continue;
        const soil_layer_rec& r = layers[type[i]];
        column_soil soil;
        soil.split = r.depth[0];
        soil.full = r.depth[0] + r.depth[1];
        soil.up = layer_of(r, 0);
        soil.low = layer_of(r, 1);
        soil.k_up = r.hyd_cond[0] * to_step;
        soil.e_up = exponent(r.pore_index[0]);
        soil.k_up2 = r.hyd_cond[1] * to_step;
        soil.e_up2 = exponent(r.pore_index[1]);
        soil.k_low = r.hyd_cond[1] * to_step;
        soil.e_low = exponent(r.pore_index[1]);
        if (a.depth[i] >= soil.full) {
            soil.k_low2 = r.hyd_cond[2] * to_step;
            soil.e_low2 = exponent(r.pore_index[2]);
        }
        soil.limit_upper = true;
        soil.own_lower_factor = true;
        evap += account_cell(a, i, dt, soil);
    }
    return evap;
}

namespace
{

// The surface water content the rest of the model reads.
void refresh_soil_moisture(model_state& s)
{
    const int n = std::min(s.num_cells, s.soil_moisture.size());
    const bool front = s.inf_redist && s.inf_event_active == 1 && s.redist_theta_1.size() >= n;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        const double wc = s.soil_depth[i];
        double porosity = 0.0, top = 0.0;
        if (s.inf_layered_soil) {
            const soil_layer_rec& r = s.soil_layers[static_cast<std::size_t>(s.soiltype[i])];
            porosity = r.porosity[0];
            top = r.depth[0];
        } else {
            porosity = s.dist_porosity[i];
            top = s.top_layer_depth;
        }
        if (wc < 1e-16)
            s.soil_moisture[i] = porosity;
        else if (front)
            s.soil_moisture[i] = s.redist_theta_1[i];
        else
            s.soil_moisture[i] = s.soil_water_top[i] / std::min(wc, top);
    }
}

bool soil_types_ready(const model_state& s)
{
    const int n = s.num_cells;
    if (s.soiltype.size() < n)
        return false;
    for (int i = 1; i <= n; ++i)
        if (s.soiltype[i] < 0 || s.soiltype[i] >= soil_type_count)
            return false;
    return true;
}

bool cell_soils_ready(const model_state& s)
{
    const int n = s.num_cells;
    for (const dvec* v : {&s.dist_ksat, &s.dist_pore_index, &s.dist_porosity, &s.dist_resid_sat})
        if (v->size() < n)
            return false;
    return true;
}

} // namespace

void soil_et_step(model_state& s)
{
    if (!s.soil_water_acct || !process_due(s, s.et_next))
        return;
    const bool layered = s.inf_layered_soil != 0;
    if (!arrays_ready(s) || (layered ? !soil_types_ready(s) : !cell_soils_ready(s))) {
        std::printf("Soil-water accounting: the arrays of the accounting column are missing\n");
        error_set(err_stop);
        return;
    }
    const double now = s.current_time;
    const double dt = (now - s.et_last) * 86400.0;
    s.evap_work = layered ? soil_moisture_et_soiltypes(s, dt) : soil_moisture_et_cells(s, dt);
    s.evap_total += s.evap_work * s.gridsize * s.gridsize;
    s.et_last = now;
    s.et_next = next_on_phase(s, s.et_next, s.et_dt_days);
    refresh_soil_moisture(s);
}
