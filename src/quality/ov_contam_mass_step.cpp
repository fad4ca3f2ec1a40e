// The overland constituent mass step: for every constituent that lives in
// the water, the process accumulators become a net source per cell, the
// dissolved mass moves by advection and dispersion, dry cells hand their
// mass to a lake, the soil or the land surface, and the step's masses are
// booked into the run, event and global totals (kg).
#include "quality/quality_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "quality/ov_contam.h"
#include "quality/qbn_services.h"

namespace
{

constexpr double seconds_per_day = 86400.0;
constexpr int nutrient_soil_kind = 3;
constexpr int nutrient_kind = 2;
constexpr int contaminant_kind = 1;

double* row_or_null(row_array<double>& r, int i, int n)
{
    return r.width >= n ? row_array_get(r, i) : nullptr;
}

int block_count(int n)
{
    return (n + ov_sum_block - 1) / ov_sum_block;
}

// Sums the blocks' bookings in block order.
ov_source_booking sum_blocks(const std::vector<ov_source_booking>& blocks, int count)
{
    ov_source_booking t;
    for (int b = 0; b < count; ++b) {
        const ov_source_booking& p = blocks[static_cast<std::size_t>(b)];
        t.precip += p.precip;
        t.exfil += p.exfil;
        t.uptake += p.uptake;
        t.decay += p.decay;
        t.sed_source += p.sed_source;
        t.infil += p.infil;
        t.qbn_in += p.qbn_in;
        t.qbn_out += p.qbn_out;
        t.qlat += p.qlat;
        t.out += p.out;
        t.negative += p.negative;
    }
    return t;
}

// The soil row that takes what constituent i's water hands down, by
// infiltration or from a dry cell: a nutrient species' soil pool, else the
// constituent's own row. A nutrient species without a pool has no soil
// row (null): the soil holds only the pools, so what soaks in leaves with
// the soil water.
double* soil_row_for(model_state& s, int i, int kind)
{
    const int n = s.num_cells;
    if (kind == nutrient_kind && s.nutrients && s.first_qbn_constituent > 0) {
        const int pool = qbn_con_remap(1, i - s.first_qbn_constituent);
        return pool >= 0 ? row_or_null(s.soil_con_inflow, s.first_qbn_constituent + pool, n) : nullptr;
    }
    return row_or_null(s.soil_con_inflow, i, n);
}

ov_source_terms source_terms(model_state& s, int i, int kind, double dt, double now)
{
    const int n = s.num_cells;
    ov_source_terms t;
    t.dt = dt;
    t.precip_interval = s.precip_con_dt;
    t.exfil_interval = (now - (s.soil_con_trans ? s.soil_con_last : s.contam_last)) * seconds_per_day;
    t.soil_exch_interval = s.soil_exch_dt;
    t.decay_interval = s.ov_loss_dt;
    t.sed_interval = (now - s.contam_last) * seconds_per_day;
    t.infil_interval = s.precip_load_dt;
    t.qbn_interval = s.qbn_ov_dt * seconds_per_day;
    t.qbn_soil_interval = s.qbn_ov2_dt * seconds_per_day;
    t.qlat_interval = s.ov_chan_exch_dt;
    t.outlet_interval = s.outlet_con_dt;
    t.outlet_cell = s.outlet_cell;
    t.exfil = s.water_table && s.yes_exfil.size() >= n;
    t.yes_exfil = t.exfil ? s.yes_exfil.data() : nullptr;
    t.exchange = kind == contaminant_kind && s.contam_table_read;
    t.decay = t.exchange;
    t.sed_source = s.sediment_contam != 0;
    t.qbn = kind == nutrient_kind && s.nutrients;
    t.qbn_soil = t.qbn && s.soil_con_trans;
    t.to_soil = s.soil_con_trans != 0;
    t.lateral = s.chan_explicit != 0;
    t.precip = row_or_null(s.precip_cell_mass, i, n);
    t.exfil_mass = row_or_null(s.soil_con_work, i, n);
    t.soil_exch = row_or_null(s.soil_exch_cell_mass, i, n);
    t.decay_mass = row_or_null(s.decay_cell_mass, i, n);
    t.sed = row_or_null(s.sed_source_cell_mass, i, n);
    t.infil = row_or_null(s.infil_cell_mass, i, n);
    t.qbn_mass = row_or_null(s.qbn_cell_mass, i, n);
    t.qlat = row_or_null(s.qlat_cell_mass, i, n);
    t.exit_mass = i <= s.ov_exit_mass.cap ? &s.ov_exit_mass[i] : nullptr;
    t.soil_exch_out = row_or_null(s.ov_soil_exch_mass, i, n);
    t.soil_inflow = soil_row_for(s, i, kind);
    t.land = row_or_null(s.land_mass, i, n);
    return t;
}

void stop_on_nan(const char* what, int constituent, int cell)
{
    std::printf("%s, contam %d cell %d NAN\n", what, constituent, cell);
    error_set(err_stop);
}

// Adds value / 1,000 to each target present and clears the step
// accumulator.
void book(checked_array<double>& step, int i, std::initializer_list<checked_array<double>*> targets)
{
    const double kg = step[i] / 1000.0;
    for (checked_array<double>* a : targets)
        if (a && i <= a->cap)
            (*a)[i] += kg;
    step[i] = 0.0;
}

// Moves constituent i through one mass step; false when the run stops.
bool move_constituent(model_state& s, int i, int kind, double dt, double now)
{
    const int n = s.num_cells;
    double* ov_mass = row_or_null(s.ov_mass, i, n);
    double* ov_conc = row_or_null(s.ov_conc, i, n);
    if (!ov_mass || !ov_conc)
        return true;
    const double* disp = row_or_null(s.ov_con_table_1, i, n);
    double* mass = s.con_mass_work.data();
    double* conc = s.con_conc_work.data();
    double* dwork = s.con_disp_work.data();
    double* source = s.con_source_work.data();
    const int* lake_of = s.chan_lakes ? s.ov_lake_of.data() : nullptr;
    const bool par = n >= parallel_min_cells;
    const int blocks = block_count(n);
    std::vector<ov_source_booking>& sums = s.ov_block_sums;

    // 1-2. Work copies and the net source of every cell outside the lakes.
    const ov_source_terms terms = source_terms(s, i, kind, dt, now);
#pragma omp parallel for schedule(static) if (par)
    for (int b = 0; b < blocks; ++b) {
        const int lo = b * ov_sum_block + 1;
        const int hi = std::min(n, lo + ov_sum_block - 1);
        ov_source_booking part;
        for (int j = lo; j <= hi; ++j) {
            mass[j] = ov_mass[j];
            conc[j] = ov_conc[j];
            dwork[j] = disp ? disp[j] : 0.0;
            source[j] = lake_of && lake_of[j] != 0 ? 0.0 : ov_con_sources(terms, j, mass[j], part);
        }
        sums[static_cast<std::size_t>(b)] = part;
    }
    const ov_source_booking booked = sum_blocks(sums, blocks);

    // 3. Advection and dispersion.
    ov_advect_view v;
    v.n = n;
    v.dx = s.gridsize;
    v.rightcon = s.rightcon.data();
    v.belowcon = s.belowcon.data();
    v.leftcon = s.leftcon.data();
    v.abovecon = s.abovecon.data();
    v.depth = s.ov_depth.data();
    v.qx = s.ov_qx.data();
    v.qy = s.ov_qy.data();
    if (lake_of) {
        v.lake_of = lake_of;
        v.lake_conc = row_array_get(s.lake_conc, i);
        v.lake_inflow = row_array_get(s.lake_ov_inflow_mass, i);
        if (!v.lake_conc || !v.lake_inflow)
            v.lake_of = nullptr;
    }
    v.mass = mass;
    v.conc = conc;
    v.disp = dwork;
    v.source = source;
    v.face = s.ov_face_flux.data();
    v.mass_pred = s.ov_mass_pred.data();
    v.conc_pred = s.ov_conc_pred.data();
    v.blocks = sums.data();
    const double swept_negative = ov_con_advect(dt, v, s.ov_con_sweep);

    // 4-5. Back into the state; dry cells hand their mass on; the sediment
    // total takes the dissolved mass back.
    const bool to_soil = s.soil_con_trans != 0;
    double* soil = to_soil ? soil_row_for(s, i, kind) : nullptr;
    double* land = row_or_null(s.land_mass, i, n);
    double* sed_total = s.sediment_contam ? row_or_null(s.sed_con_mass, i, n) : nullptr;
    const double* depth = s.ov_depth.data();
    const bool lake_handover = s.chan_lakes && s.lake_mask.size() >= n;
#pragma omp parallel for schedule(static) if (par)
    for (int b = 0; b < blocks; ++b) {
        const int lo = b * ov_sum_block + 1;
        const int hi = std::min(n, lo + ov_sum_block - 1);
        ov_source_booking part;
        int first_nan = 0;
        for (int j = lo; j <= hi; ++j) {
            double m = mass[j];
            double c = conc[j];
            if (std::isnan(m)) {
                if (!first_nan)
                    first_nan = j;
                continue;
            }
            if (m < 0.0) {
                part.negative -= m;
                m = c = 0.0;
            }
            if (depth[j] < ov_zero && m >= ov_zero && !(lake_handover && s.lake_mask[j] > 0)) {
                if (to_soil) {
                    part.infil += m;
                    if (soil)
                        soil[j] += m;
                } else if (land) {
                    // Onto the land surface: booked as exchange toward it.
                    part.uptake -= m;
                    land[j] += m;
                }
                m = c = 0.0;
            }
            ov_mass[j] = m;
            ov_conc[j] = c;
            if (sed_total) {
                double t = sed_total[j] + m;
                if (std::isnan(t)) {
                    if (!first_nan)
                        first_nan = -j;
                    continue;
                }
                if (t < 0.0) {
                    part.negative -= t;
                    t = 0.0;
                }
                sed_total[j] = t;
            }
        }
        part.nan_cell = first_nan;
        sums[static_cast<std::size_t>(b)] = part;
    }
    for (int b = 0; b < blocks; ++b)
        if (const int j = sums[static_cast<std::size_t>(b)].nan_cell) {
            stop_on_nan(j > 0 ? "Dissolved cell mass" : "Total cell mass", i, j > 0 ? j : -j);
            return false;
        }
    const ov_source_booking handed = sum_blocks(sums, blocks);
    if (lake_handover) {
        double* lake_in = row_array_get(s.lake_ov_inflow_mass, i);
        for (int j = 1; j <= n; ++j) {
            const int lake = s.lake_mask[j];
            if (lake <= 0 || depth[j] >= ov_zero || ov_mass[j] < ov_zero)
                continue;
            if (lake_in && lake <= s.lake_ov_inflow_mass.width)
                lake_in[lake] += ov_mass[j];
            if (sed_total)
                sed_total[j] = std::max(0.0, sed_total[j] - ov_mass[j]);
            ov_mass[j] = 0.0;
            ov_conc[j] = 0.0;
        }
    }

    // Lakes without constituents of their own hold nothing: what the land
    // handed them (here or when a lake took a cell) is the overland
    // plane's flux to lakes as soon as it arrives.
    if (s.chan_lakes && !s.chan_con_trans) {
        if (double* lake_in = row_array_get(s.lake_ov_inflow_mass, i)) {
            double to_lakes = 0.0;
            for (int k = 1; k <= s.lake_ov_inflow_mass.width; ++k) {
                to_lakes += lake_in[k];
                lake_in[k] = 0.0;
            }
            if (i <= s.lake_ov_mass_event.size() && i <= s.lake_ov_mass_total.size()) {
                s.lake_ov_mass_event[i] += to_lakes / 1000.0;
                s.lake_ov_mass_total[i] += to_lakes / 1000.0;
            }
        }
    }

    // 6. The step's masses.
    s.ov_precip_dmt[i] += booked.precip;
    s.ov_exfil_dmt[i] += booked.exfil;
    s.ov_uptake_dmt[i] += booked.uptake + handed.uptake;
    s.ov_decay_dmt[i] += booked.decay;
    s.ov_sed_source_dmt[i] += booked.sed_source;
    s.ov_infil_dmt[i] += booked.infil + handed.infil;
    s.ov_qbn_dmt_in[i] += booked.qbn_in;
    s.ov_qbn_dmt_out[i] += booked.qbn_out;
    s.ov_qlat_dmt[i] += booked.qlat;
    s.ov_out_dmt[i] += booked.out;
    s.event_ov_neg_mass[i] += (swept_negative + handed.negative) / 1000.0;
    s.ov_neg_mass_run[i] += (swept_negative + handed.negative) / 1000.0;

    if (s.chan_explicit)
        book(s.ov_qlat_dmt, i, {&s.OV_QLAT_MASS, &s.event_ov_qlat_mass});
    else
        book(s.ov_out_dmt, i, {&s.OV_MASS_OUT, &s.event_ov_mass_out, &s.GLOBAL_MASS_OUT});
    book(s.ov_point_dmt, i, {&s.OV_POINT_MASS, &s.event_ov_point_mass, &s.GLOBAL_POINT_SOURCE});
    book(s.ov_decay_dmt, i, {&s.OV_MASS_DECAY, &s.event_ov_decay_mass, &s.GLOBAL_MASS_DECAY});
    book(s.ov_infil_dmt, i, {&s.OV_INFIL_MASS, &s.event_ov_infil_mass});
    book(s.ov_uptake_dmt, i, {&s.OV_UPTAKE_MASS, &s.event_ov_uptake_mass});
    book(s.ov_precip_dmt, i, {&s.OV_PRECIP_MASS, &s.event_ov_precip_mass, &s.global_precip_mass});
    book(s.ov_exfil_dmt, i, {&s.OV_EXFIL_MASS, &s.event_ov_exfil_mass});
    if (s.sediment_contam)
        book(s.ov_sed_source_dmt, i, {&s.ov_sed_source_mass, &s.event_ov_sed_source_mass});
    book(s.ov_qbn_dmt_out, i, {&s.ov_qbn_loss_mass, &s.event_ov_qbn_loss_mass, &s.global_qbn_loss_mass});
    book(s.ov_qbn_dmt_in, i, {&s.ov_qbn_gain_mass, &s.event_ov_qbn_gain_mass, &s.global_qbn_gain_mass});
    return true;
}

// Per cell: the lake of a lake cell, -1 for a cell excluded from the lakes,
// 0 elsewhere.
void mark_lake_cells(model_state& s)
{
    const int n = s.num_cells;
    for (int j = 1; j <= n; ++j)
        s.ov_lake_of[j] =
            !ov_lake_cell(s, j) ? 0 : (s.lake_mask.size() >= j && s.lake_mask[j] > 0 ? s.lake_mask[j] : -1);
}

bool grid_ready(const model_state& s)
{
    const int n = s.num_cells;
    for (const dvec* v : {&s.ov_depth, &s.ov_qx, &s.ov_qy})
        if (v->size() < n)
            return false;
    for (const ivec* v : {&s.rightcon, &s.belowcon, &s.leftcon, &s.abovecon})
        if (v->size() < n)
            return false;
    return true;
}

} // namespace

void ov_contam_mass_step(model_state& s)
{
    if (!s.ov_con_trans || !process_due(s, s.contam_next))
        return;
    const double now = s.current_time;
    const double dt = (s.contam_next - s.contam_last) * seconds_per_day;
    const int n = s.num_cells;
    if (!ov_contam_alloc(s))
        return;
    if (n > 0 && grid_ready(s)) {
        if (s.chan_lakes)
            mark_lake_cells(s);
        const int typed = std::min(s.num_constituents, s.constituent_type.cap);
        for (int i = 1; i <= typed; ++i) {
            const int kind = s.constituent_type[i];
            if (kind == nutrient_soil_kind)
                continue;
            if (!move_constituent(s, i, kind, dt, now))
                return;
        }
    }
    s.contam_last = now;
    s.contam_next = now + s.contam_dt_days;
    s.ov_con_sweep = s.ov_con_sweep == 1 ? 2 : 1;
    if (s.ov_depth_old.size() >= n && s.ov_depth.size() >= n) {
        double* old = s.ov_depth_old.data();
        const double* depth = s.ov_depth.data();
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
        for (int j = 1; j <= n; ++j)
            old[j] = depth[j];
    }
}
