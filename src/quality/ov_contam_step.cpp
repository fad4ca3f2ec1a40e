// The overland constituent processes, each on its own sub-clock: rain,
// loss by infiltration, exchange with the soil surface, first-order decay,
// the nutrient clocks, the outlet and the lateral load into the channels.
// Each process parks what it adds or removes in a per-cell accumulator that
// the mass step takes up, pro-rated to its own step.
#include "quality/quality_steps.h"

#include <algorithm>

#include "core/model_state.h"
#include "core/parallel.h"
#include "quality/ov_contam.h"
#include "quality/qbn_services.h"
#include "quality/qbn_steps.h"

namespace
{

constexpr double seconds_per_day = 86400.0;
constexpr double mm_per_hour = 3600000.0; // mm/h to m/s
constexpr int contaminant_kind = 1;
constexpr int nutrient_kind = 2;
constexpr int nutrient_soil_kind = 3;

double* row_or_null(row_array<double>& r, int i, int n)
{
    return r.width >= n ? row_array_get(r, i) : nullptr;
}

// Runs a sub-step whose clock is due: keeps its length (s) and moves its
// last time to now. False when it is not due.
bool take_clock(const model_state& s, double& next, double& last, double& length,
                double scale = seconds_per_day)
{
    if (!process_due(s, next))
        return false;
    length = (s.current_time - last) * scale;
    last = s.current_time;
    return true;
}

// A kinetics interval is a whole number of contaminant steps, at least one:
// a clock set between base steps would never fall due again.
double kinetics_days(const model_state& s)
{
    return s.contam_dt_days * std::max(1.0, s.kinetics_timestep_factor);
}

bool lake_mask_cell(const model_state& s, int j, int at_least)
{
    return s.chan_lakes && s.lake_mask.size() >= j && s.lake_mask[j] >= at_least;
}

} // namespace

void ov_con_rain_input(model_state& s, int i, double dt)
{
    const int n = s.num_cells;
    double* mass = row_or_null(s.ov_mass, i, n);
    double* conc = row_or_null(s.ov_conc, i, n);
    double* acc = row_or_null(s.precip_cell_mass, i, n);
    const dvec& rate = s.interception == 1 ? s.ri_eff : s.rain_rate;
    if (!mass || !conc || !acc || rate.size() < n || s.ov_depth_old.size() < n || i > s.precip_conc.cap)
        return;
    const double area = s.gridsize * s.gridsize;
    const double c_rain = s.precip_conc[i];
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int j = 1; j <= n; ++j) {
        if (ov_lake_cell(s, j))
            continue;
        const double r = rate[j] / mm_per_hour;
        const double m = r * c_rain * area * dt;
        mass[j] += m;
        acc[j] += m;
        const double h = s.ov_depth_old[j] + r * dt;
        if (h > ov_zero)
            conc[j] = mass[j] / (h * area);
    }
}

void ov_con_infil_loss(model_state& s, int i)
{
    const int n = s.num_cells;
    double* mass = row_or_null(s.ov_mass, i, n);
    double* conc = row_or_null(s.ov_conc, i, n);
    double* acc = row_or_null(s.infil_cell_mass, i, n);
    if (!mass || !conc || !acc || s.con_inf_acc.size() < n || s.ov_depth.size() < n)
        return;
    const int kind = s.constituent_type[i];
    const bool nutrient = s.nutrients && (kind == nutrient_kind || kind == nutrient_soil_kind);
    const int p = i - s.first_qbn_constituent;
    const int pool = nutrient ? qbn_con_remap(1, p) : -1;
    // The soil row of what leaves this constituent: its pool, else its own;
    // a water species without a pool has none (its mass leaves with the
    // soil water).
    const bool count_unpooled = nutrient && pool < 0 && p <= 8;
    double* soil = count_unpooled
                       ? nullptr
                       : row_or_null(s.soil_con_inflow, pool >= 0 ? s.first_qbn_constituent + pool : i, n);
    const int blocks = (n + ov_sum_block - 1) / ov_sum_block;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int b = 0; b < blocks; ++b) {
        const int lo = b * ov_sum_block + 1;
        const int hi = std::min(n, lo + ov_sum_block - 1);
        ov_source_booking part;
        for (int j = lo; j <= hi; ++j) {
            if (ov_lake_cell(s, j)) {
                acc[j] = 0.0;
                continue;
            }
            const double V = s.con_inf_acc[j];
            const double M = mass[j];
            if (M > ov_zero && s.ov_depth[j] < ov_zero && V > ov_zero) {
                // A dry cell's mass all goes into the soil, once.
                mass[j] = 0.0;
                conc[j] = 0.0;
                part.infil += M;
                if (soil)
                    soil[j] += M;
                continue;
            }
            // The overland mass step applies the loss and hands what it
            // took to the soil row (a species' pool), once.
            const double lost = conc[j] * V;
            acc[j] += lost;
            if (count_unpooled)
                part.qbn_in += lost;
        }
        s.ov_block_sums[static_cast<std::size_t>(b)] = part;
    }
    double stranded = 0.0, unpooled = 0.0;
    for (int b = 0; b < blocks; ++b) {
        stranded += s.ov_block_sums[static_cast<std::size_t>(b)].infil;
        unpooled += s.ov_block_sums[static_cast<std::size_t>(b)].qbn_in;
    }
    s.ov_infil_dmt[i] += stranded;
    if (nutrient && i <= s.qbn_infil_mass.cap) {
        if (count_unpooled)
            s.qbn_infil_mass[i] += unpooled;
        else if (p > 8)
            s.qbn_infil_mass[i] = 0.0;
    }
}

void ov_con_soil_exchange(model_state& s, int i, double dt)
{
    const int n = s.num_cells;
    double* mass = row_or_null(s.ov_mass, i, n);
    double* conc = row_or_null(s.ov_conc, i, n);
    double* land = row_or_null(s.land_mass, i, n);
    double* acc = row_or_null(s.soil_exch_cell_mass, i, n);
    const double* k_exch = row_or_null(s.ov_uptake, i, n);
    if (!mass || !conc || !land || !acc || !k_exch || s.ov_depth.size() < n)
        return;
    const double area = s.gridsize * s.gridsize;
    const bool soil = s.soil_con_trans && i <= s.soil_mass.count && i <= s.soil_sed_con.count &&
                      s.soil_mass.rows >= n && s.soil_sed_con.rows >= n;
    const double* soil_conc = soil ? nullptr : row_or_null(s.ov_soil_conc, i, n);
    if (!soil && !soil_conc)
        return;
    const bool layered = s.inf_layered_soil && !s.inf_redist;
    // Mixing-layer thickness (m) of the layered scheme: the mixing depth
    // within the soil type's first layer.
    auto mixing_depth = [&](int j) {
        const int t = s.soiltype.size() >= j ? s.soiltype[j] : -1;
        const double first =
            t >= 0 && t < soil_type_count ? s.soil_layers[static_cast<std::size_t>(t)].depth[0] : 0.0;
        return (s.mixing_layer_depth > ov_zero ? std::min(s.mixing_layer_depth, first) : first) / 100.0;
    };
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int j = 1; j <= n; ++j) {
        if (lake_mask_cell(s, j, 1) || s.ov_depth[j] < ov_zero || land[j] < ov_zero)
            continue;
        const double V = s.ov_depth[j] * area;
        const double C = conc[j];
        const double k = k_exch[j];
        double e = 0.0;
        if (soil) {
            // Water held in the mixing layer (m).
            double w = 0.0;
            const double theta = s.THETA.rows() >= j && s.THETA.cols() >= 1 ? s.THETA[j][1] : 0.0;
            if (s.inf_redist) {
                w = theta * (s.soil_con_layer_depth.cap >= 1 ? s.soil_con_layer_depth[1] : 0.0);
            } else if (layered) {
                w = theta * mixing_depth(j);
            } else {
                const double sm = s.soil_moisture.size() >= j ? s.soil_moisture[j] : 0.0;
                w = sm * s.mixing_layer_depth / 100.0;
            }
            const double layer_mass = s.soil_mass.table[i][j][1];
            const double Cs = w > ov_zero ? layer_mass * s.soil_sed_con.table[i][j][1] / (w * area) : 0.0;
            e = (Cs - C) * k * area * dt;
            if (e > 0.0) {
                e = std::min(e, layer_mass);
                const double over = (C * V + e) / V - Cs;
                if (over > ov_zero)
                    e -= over * V;
            } else if (-e > mass[j]) {
                e = -mass[j];
            }
        } else {
            const double Cs = soil_conc[j];
            if (Cs <= C)
                continue;
            e = std::min((Cs - C) * k * area * dt, land[j]);
            const double over = (C * V + e) / V - Cs;
            if (over > ov_zero)
                e -= over * V;
        }
        acc[j] += e;
        land[j] -= e;
    }
    // The one stored thickness takes the last cell's value.
    if (soil && layered && s.soil_con_layer_depth.cap >= 1 && n >= 1)
        s.soil_con_layer_depth[1] = mixing_depth(n);
}

void ov_con_decay(model_state& s, int i, double dt)
{
    const int n = s.num_cells;
    const double* conc = row_or_null(s.ov_conc, i, n);
    const double* k_decay = row_or_null(s.ov_decay, i, n);
    double* acc = row_or_null(s.decay_cell_mass, i, n);
    if (!conc || !k_decay || !acc || s.ov_depth.size() < n || s.ov_depth_old.size() < n)
        return;
    const double area = s.gridsize * s.gridsize;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int j = 1; j <= n; ++j) {
        const double h = s.ov_depth[j];
        const double C = conc[j];
        if (lake_mask_cell(s, j, 1) || h < ov_zero || C < ov_zero)
            continue;
        const double h0 = s.ov_depth_old[j];
        acc[j] += C * k_decay[j] * (h0 + h) / 2.0 * area * dt;
        acc[j] = std::min(acc[j], C * std::min(h, h0) * area);
    }
}

// When the channels carry no constituents (no channel rows), the mass the
// land sends them still leaves the overland plane and is booked as its
// lateral loss; water coming back from such a channel brings none.
void ov_con_to_channel(model_state& s, int i)
{
    const int n = s.num_cells;
    double* qlat = row_or_null(s.qlat_cell_mass, i, n);
    const double* conc = row_or_null(s.ov_conc, i, n);
    if (!qlat || !conc)
        return;
    double* to_chan = row_array_get(s.chan_qlat_mass, i);
    const double* chan_conc = row_array_get(s.chan_conc, i);
    const bool routed = to_chan && chan_conc;
    for (int m = 1; m <= s.gst_ncells && m <= s.gst_ncellsingrid.size(); ++m)
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
            const int c = s.gst_gnum[m][e];
            const int l = s.gst_link[m][e];
            const int node = s.gst_node[m][e];
            if (c < 1 || c > n || l < 1 || l > s.ltype.size())
                continue;
            const int t = s.ltype[l];
            if ((t & 64) || (t & 32) || ((t & 128) && (t & (4 | 8 | 16))))
                continue;
            if (lake_mask_cell(s, c, 1))
                continue;
            const double V = s.gst_Vlat[m][e];
            if (!routed) {
                if (V > 0.0)
                    qlat[c] += conc[c] * V;
                continue;
            }
            const int k = l * s.node_dim + node;
            if (k < 0 || k > s.chan_qlat_mass.width || k > s.chan_conc.width)
                continue;
            const double mass = (V >= 0.0 ? conc[c] : chan_conc[k]) * V;
            to_chan[k] += mass;
            qlat[c] += mass;
        }
}

void ov_contam_step(model_state& s)
{
    if (!s.ov_con_trans)
        return;
    if (!ov_contam_alloc(s))
        return;
    const int n = s.num_cells;
    const int nc = std::min(s.num_constituents, s.constituent_type.cap);
    const double now = s.current_time;
    const bool table = s.contam_table_read != 0;

    if (s.raining && take_clock(s, s.precip_con_next, s.precip_con_last, s.precip_con_dt)) {
        s.precip_con_next = s.ov_next;
        for (int i = 1; i <= nc; ++i)
            ov_con_rain_input(s, i, s.precip_con_dt);
    }
    if (take_clock(s, s.precip_load_next, s.precip_load_last, s.precip_load_dt)) {
        s.precip_load_next = s.inf_next;
        for (int i = 1; i <= nc; ++i)
            ov_con_infil_loss(s, i);
        // Every constituent has used the infiltrated volume.
        for (int j = 1; j <= n && j <= s.con_inf_acc.size(); ++j)
            s.con_inf_acc[j] = 0.0;
    }
    if (table && take_clock(s, s.soil_exch_next, s.soil_exch_last, s.soil_exch_dt)) {
        s.soil_exch_next = now + (s.soil_con_trans ? s.contam_dt_days : kinetics_days(s));
        for (int i = 1; i <= nc; ++i)
            if (s.constituent_type[i] == contaminant_kind)
                ov_con_soil_exchange(s, i, s.soil_exch_dt);
    }
    if (table && take_clock(s, s.ov_loss_next, s.ov_loss_last, s.ov_loss_dt)) {
        s.ov_loss_next = now + kinetics_days(s);
        for (int i = 1; i <= nc; ++i)
            if (s.constituent_type[i] == contaminant_kind)
                ov_con_decay(s, i, s.ov_loss_dt);
    }
    if (s.nutrients && take_clock(s, s.qbn_ov_next, s.qbn_ov_last, s.qbn_ov_dt, 1.0))
        s.qbn_ov_next = now + kinetics_days(s);
    if (s.nutrients && s.soil_con_trans && take_clock(s, s.qbn_ov2_next, s.qbn_ov2_last, s.qbn_ov2_dt, 1.0)) {
        s.qbn_ov2_next = now + kinetics_days(s);
        if (s.qbn_object)
            qbn_overland_step(s.qbn_object->overland, s.qbn_object->clock[0], s.qbn_ov2_dt,
                              s.interception == 1 ? s.ri_eff : s.rain_rate);
    }
    if (!s.chan_explicit && take_clock(s, s.outlet_con_next, s.outlet_con_last, s.outlet_con_dt)) {
        s.outlet_con_next = now + s.contam_dt_days;
        const int out = s.outlet_cell;
        for (int i = 1; i <= nc; ++i) {
            const double* conc = row_or_null(s.ov_conc, i, n);
            if (conc && out >= 1 && out <= n && i <= s.ov_exit_mass.cap)
                s.ov_exit_mass[i] += conc[out] * s.ov_outlet_vol_acc;
        }
        s.ov_outlet_vol_acc = 0.0;
    }
    if (s.chan_explicit && take_clock(s, s.ov_chan_exch_next, s.ov_chan_exch_last, s.ov_chan_exch_dt)) {
        s.ov_chan_exch_next = now + s.contam_dt_days;
        for (int i = 1; i <= nc; ++i)
            ov_con_to_channel(s, i);
        if (!s.gst_Vlat.empty())
            std::fill(s.gst_Vlat.data(), s.gst_Vlat[s.gst_Vlat.rows()] + s.gst_Vlat.cols() + 1, 0.0);
    }
}
