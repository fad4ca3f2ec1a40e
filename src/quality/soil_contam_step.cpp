// Soil-column constituent transport, at the soil step's own clock: the
// water content of every constituent layer, the split of each layer mass
// into a dissolved and a sorbed part, decay of the dissolved part, leaching
// with the water that percolated since the last soil step, the hand-overs
// of infiltration, surface exchange and exfiltration, and the booking of
// every flow in the run's totals.
#include "quality/soil_contam.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "quality/qbn_services.h"
#include "quality/quality_steps.h"
#include "subsurface/richards_layer.h"

namespace
{

constexpr double eps = 1e-16;
constexpr double soil_density = 2650.0; // kg/m3: specific gravity 2.65
constexpr double seconds_per_day = 86400.0;
constexpr int contaminant_kind = 1;

int kind_of(const model_state& s, int i)
{
    return i >= 1 && i <= s.constituent_type.cap ? s.constituent_type[i] : 0;
}

// The porosities of the soil type's first and second layer, the thickness
// (cm) of both, or false for a cell without a soil type.
bool soil_type_layers(const model_state& s, int cell, const soil_layer_rec** rec)
{
    const int t = s.soiltype.size() >= cell ? s.soiltype[cell] : -1;
    if (t < 0 || t >= soil_type_count)
        return false;
    *rec = &s.soil_layers[static_cast<std::size_t>(t)];
    return true;
}

// Porosity of the top `depth` cm of the cell's soil type: its layers'
// porosities weighted by the thickness each has in that depth (the lowest
// layer's below the soil).
double richards_layer_porosity(const model_state& s, int cell, double depth)
{
    const soil_layer_rec* rec = nullptr;
    if (!soil_type_layers(s, cell, &rec) || !(depth > 0.0))
        return 0.0;
    double top = 0.0, sum = 0.0;
    for (int k = 0; k < 3 && top < depth; ++k) {
        const double bottom = k == 2 ? depth : std::min(depth, top + rec->depth[k]);
        sum += (bottom - top) * rec->porosity[k];
        top = bottom;
    }
    return sum / depth;
}

bool in_lake(const model_state& s, int j)
{
    if (s.overland_lake_on && s.oland_lake_new.size() >= j && s.oland_lake_new[j] > 0)
        return true;
    if (s.chan_lakes && s.lake_mask.size() >= j && s.lake_mask[j] > 0)
        return !(s.new_flooded_grid.size() >= j && s.new_flooded_grid[j] > 0);
    return false;
}

// Sizes the work record for N cells of up to three layers under the run's
// scheme on the first call.
void size_work(model_state& s)
{
    soil_layer_work& w = s.soil_work;
    const int n = s.num_cells;
    const int scheme = s.inf_layered_soil ? 2 : (s.inf_redist ? 1 : 0);
    if (w.row_count == n && w.col_count == soil_max_layers && w.redist == scheme)
        return;
    soil_layer_work_destroy(w);
    row_array_add_rows(w.table, n, soil_max_layers);
    for (checked_array<double>* a :
         {&w.decay, &w.gw_out, &w.gw_in, &w.clipped, &w.exfil, &w.infil, &w.to_ov, &w.to_soil, &w.sed})
        checked_array_grow(*a, n);
    w.row_count = n;
    w.col_count = soil_max_layers;
    w.redist = scheme;
}

// Layer water contents of every cell into the work table (and THETA, which
// the nutrient soil pools read). Returns the first cell with a content above
// 1, 0 when none.
int layer_water_contents(model_state& s)
{
    const int n = s.num_cells;
    const bool theta_out = !s.inf_richards && s.THETA.rows() >= n;
    const int theta_cols = theta_out ? s.THETA.cols() : 0;
    const bool thetas_out = s.inf_layered_soil && s.THETAS.rows() >= n;
    const int thetas_cols = thetas_out ? s.THETAS.cols() : 0;
    int bad = n + 1;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells) reduction(min : bad)
    for (int j = 1; j <= n; ++j) {
        const soil_cell_layers g = soil_cell_geometry(s, j);
        double theta[soil_max_layers + 1] = {}, thetas[soil_max_layers + 1] = {};
        if (s.inf_layered_soil) {
            layered_layer_theta(s, j, g, theta, thetas);
        } else if (s.inf_redist) {
            for (int k = 1; k <= g.count; ++k)
                theta[k] = redist_layer_theta(s, j, k, g.count);
        } else if (g.count >= 1 && soil_over_richards(s)) {
            theta[1] = richards_layer_theta(s, j, g.thick[1]);
        } else if (g.count >= 1) {
            theta[1] = s.soil_moisture.size() >= j ? s.soil_moisture[j] : 0.0;
        }
        double* row = s.soil_work.table[j];
        for (int k = 1; k <= soil_max_layers; ++k) {
            row[k] = k <= g.count ? theta[k] : 0.0;
            if (k <= g.count && !(theta[k] <= 1.0))
                bad = std::min(bad, j);
            if (k <= theta_cols && k <= g.count)
                s.THETA[j][k] = theta[k];
            if (k <= thetas_cols && k <= g.count)
                s.THETAS[j][k] = thetas[k];
        }
    }
    return bad > n ? 0 : bad;
}

void report_wet_layer(const model_state& s, int cell)
{
    const double* row = s.soil_work.table[cell];
    int k = 1;
    while (k < soil_max_layers && row[k] <= 1.0)
        ++k;
    std::printf("Soil constituent layer %d of cell %d holds a water content of %g, above 1\n", k, cell,
                row[k]);
    std::fflush(stdout);
    error_set(err_stop);
    report_error(error_state);
}

std::string constituent_label(const model_state& s, int i)
{
    const std::size_t k = static_cast<std::size_t>(i);
    if (kind_of(s, i) == contaminant_kind && k < s.constituent_names.size() &&
        !s.constituent_names[k].empty())
        return s.constituent_names[k];
    std::string title = "constituent";
    if (s.first_qbn_constituent >= 1)
        qbn_constituent_title(title, i - s.first_qbn_constituent, 1);
    return title;
}

double take(row_array<double>& r, int i, int j)
{
    if (i > r.count || j > r.width)
        return 0.0;
    const double v = r[i][j];
    r[i][j] = 0.0;
    return v;
}

// Moves constituent i in every cell; returns the first cell whose column
// holds a mass that is not a number (0 when none).
int move_constituent(model_state& s, int i, double dt)
{
    const int n = s.num_cells;
    const bool contaminant = kind_of(s, i) == contaminant_kind;
    double** mass = s.soil_mass.table[i];
    double** conc = s.soil_conc.table[i];
    double** frac = i <= s.soil_sed_con.count ? s.soil_sed_con.table[i] : nullptr;
    const int cols = std::min({s.soil_mass.cols, s.soil_conc.cols, soil_max_layers});
    const double* kd = i <= s.soil_kd.count ? s.soil_kd[i] : nullptr;
    soil_layer_work& w = s.soil_work;
    const bool land = i <= s.land_mass.count && s.land_mass.width >= n;
    int bad = n + 1;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells) reduction(min : bad)
    for (int j = 1; j <= n; ++j) {
        soil_cell_layers g = soil_cell_geometry(s, j);
        g.count = std::min(g.count, cols);
        soil_cell_column col;
        const double* theta = w.table[j];
        double decay = 0.0;
        for (int k = 1; k <= g.count; ++k) {
            col.mass[k] = mass[j][k];
            col.conc[k] = conc[j][k];
            col.theta[k] = theta[k];
            col.frac[k] =
                contaminant ? soil_dissolved_fraction(theta[k], g.porosity[k], kd ? kd[j] : 0.0) : 1.0;
            if (frac && k <= s.soil_sed_con.cols)
                frac[j][k] = col.frac[k];
            if (contaminant)
                decay += soil_layer_decay(s, i, j, k, g, dt, col);
        }
        const soil_cell_flows f = soil_layer_transport(s, i, j, g, col);
        double clipped = f.clipped;
        for (int k = 1; k <= g.count; ++k) {
            if (col.mass[k] < 0.0) {
                clipped -= col.mass[k];
                col.mass[k] = 0.0;
                col.conc[k] = 0.0;
            }
            if (std::isnan(col.mass[k]))
                bad = std::min(bad, j);
            mass[j][k] = col.mass[k];
            conc[j][k] = col.conc[k];
        }
        w.decay[j] = decay;
        w.gw_out[j] = f.gw_out;
        w.gw_in[j] = f.gw_in;
        w.clipped[j] = clipped;
        // The cell's hand-overs are taken here and summed in cell order by
        // the booking.
        // Over the cell's own layers: a nutrient pool's rows are only as
        // wide as the pool's layers.
        if (land) {
            double sum = 0.0;
            for (int k = 1; k <= g.count; ++k)
                sum += mass[j][k];
            s.land_mass[i][j] = sum;
        }
        const double e = f.exfil + take(s.soil_exfil_cell_mass, i, j);
        if (i <= s.soil_con_work.count && j <= s.soil_con_work.width)
            s.soil_con_work[i][j] += e;
        w.exfil[j] = e;
        w.infil[j] = take(s.soil_con_inflow, i, j);
        const double x = take(s.ov_soil_exch_mass, i, j);
        w.to_ov[j] = x > 0.0 ? x : 0.0;
        w.to_soil[j] = x > 0.0 ? 0.0 : -x;
        w.sed[j] = s.sediment_contam ? take(s.sed_con_work, i, j) : 0.0;
    }
    return bad > n ? 0 : bad;
}

// Books the cell rows handed over in the step and the step's flows of
// constituent i, in cell order, and clears them.
void book_constituent(model_state& s, int i)
{
    const int n = s.num_cells;
    const soil_layer_work& w = s.soil_work;
    double exfil = 0.0, infil = 0.0, to_ov = 0.0, to_soil = 0.0, sed = 0.0;
    double decay = 0.0, gw_out = 0.0, gw_in = 0.0, clipped = 0.0;
    for (int j = 1; j <= n; ++j) {
        exfil += w.exfil[j];
        infil += w.infil[j];
        to_ov += w.to_ov[j];
        to_soil += w.to_soil[j];
        sed += w.sed[j];
        decay += w.decay[j];
        gw_out += w.gw_out[j];
        gw_in += w.gw_in[j];
        clipped += w.clipped[j];
    }
    s.soil_exfil_mass[i] += exfil / 1000.0;
    s.event_soil_exfil_mass[i] += exfil / 1000.0;
    s.event_soil_infil_mass[i] += infil / 1000.0;
    s.soil_infil_mass[i] += infil / 1000.0;
    s.event_soil_to_ov_mass[i] += to_ov / 1000.0;
    s.event_ov_to_soil_mass[i] += to_soil / 1000.0;
    s.qbn_uptake_mass[i] += (to_ov - to_soil) / 1000.0;
    if (s.sediment_contam) {
        s.soil_sed_mass[i] += sed / 1000.0;
        s.event_soil_sed_mass[i] += sed / 1000.0;
    }
    s.event_soil_neg_mass[i] += clipped / 1000.0;
    s.soil_neg_mass_run[i] += clipped / 1000.0;

    s.soil_gw_out_step[i] += gw_out;
    s.soil_gw_in_step[i] += gw_in;
    s.soil_decay_step[i] += decay;
    const double out = s.soil_gw_out_step[i] / 1000.0;
    s.soil_gw_out_mass[i] += out;
    s.GLOBAL_MASS_OUT[i] += out;
    s.event_soil_gw_out_mass[i] += out;
    const double in = s.soil_gw_in_step[i] / 1000.0;
    s.soil_gw_in_mass[i] += in;
    s.event_soil_gw_in_mass[i] += in;
    s.GLOBAL_GW_MASS[i] += in;
    const double d = s.soil_decay_step[i] / 1000.0;
    s.soil_decay_mass[i] += d;
    s.event_soil_decay_mass[i] += d;
    s.GLOBAL_MASS_DECAY[i] += d;
    s.soil_gw_out_step[i] = s.soil_gw_in_step[i] = s.soil_decay_step[i] = 0.0;
}

void report_nan_mass(const model_state& s, int i, int cell)
{
    int k = 1;
    while (k < soil_max_layers && k < s.soil_mass.cols && !std::isnan(s.soil_mass.table[i][cell][k]))
        ++k;
    std::printf("Soil mass of constituent %d (%s) is not a number in layer %d of cell %d\n", i,
                constituent_label(s, i).c_str(), k, cell);
    std::fflush(stdout);
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

bool soil_over_richards(const model_state& s)
{
    return s.inf_richards && !s.inf_redist && !s.green_ampt && !s.inf_layered_soil;
}

soil_cell_layers soil_cell_geometry(const model_state& s, int cell)
{
    soil_cell_layers g;
    if (s.inf_layered_soil) {
        const soil_layer_rec* rec = nullptr;
        if (!soil_type_layers(s, cell, &rec))
            return g;
        const double d1 = rec->depth[0], d2 = rec->depth[1], x = s.mixing_layer_depth;
        if (x > eps && x < d1) {
            g.count = 3;
            g.thick[1] = x / 100.0;
            g.thick[2] = (d1 - x) / 100.0;
            g.thick[3] = d2 / 100.0;
            g.porosity[1] = g.porosity[2] = rec->porosity[0];
            g.porosity[3] = rec->porosity[1];
        } else {
            g.count = 2;
            g.thick[1] = d1 / 100.0;
            g.thick[2] = d2 / 100.0;
            g.porosity[1] = rec->porosity[0];
            g.porosity[2] = rec->porosity[1];
        }
        return g;
    }
    g.count = std::min({s.soil_con_layers, soil_max_layers, s.soil_con_layer_depth.cap});
    if (soil_over_richards(s)) {
        g.count = std::min(g.count, 1);
        if (g.count == 1) {
            g.thick[1] = s.soil_con_layer_depth[1];
            g.porosity[1] = richards_layer_porosity(s, cell, g.thick[1] * 100.0);
        }
        return g;
    }
    const double phi = s.dist_porosity.size() >= cell ? s.dist_porosity[cell] : 0.0;
    for (int k = 1; k <= g.count; ++k) {
        g.thick[k] = s.soil_con_layer_depth[k];
        g.porosity[k] = phi;
    }
    return g;
}

double richards_layer_theta(const model_state& s, int cell, double depth)
{
    if (!(depth > 0.0) || s.numcells.size() < cell || s.THETA.rows() < cell || s.DZ.rows() < cell)
        return 0.0;
    const double* dz = s.DZ[cell];
    const richards_cut cut = richards_layer_cut(dz, s.numcells[cell], depth * 100.0);
    return richards_layer_water(s.THETA[cell], dz, cut) / (depth * 100.0);
}

double redist_layer_theta(const model_state& s, int cell, int k, int m)
{
    const double wt = s.soil_water_top.size() >= cell ? s.soil_water_top[cell] : 0.0;
    const double wl = s.soil_water_low.size() >= cell ? s.soil_water_low[cell] : 0.0;
    const double t = s.top_layer_depth, d = s.soil_moist_depth, x = s.mixing_layer_depth;
    const double phi = s.dist_porosity.size() >= cell ? s.dist_porosity[cell] : 0.0;
    const double thick = k <= s.soil_con_layer_depth.cap ? s.soil_con_layer_depth[k] : 0.0;
    if (!s.water_table || s.elevgw.size() < cell || s.ground_elev.size() < cell) {
        if (k == 1 || (k == 2 && (m == 3 || d - t < eps)))
            return t > eps ? wt / t : 0.0;
        return d - t > eps ? wl / (d - t) : 0.0;
    }
    const double z = s.ground_elev[cell] - s.elevgw[cell];
    if (z <= eps)
        return phi;
    // Water above a table inside the layer between depths top and bottom
    // (m): saturated below the table.
    auto with_table = [&](double w, double top, double bottom) {
        if (z < bottom) {
            if (z < top)
                return phi;
            w += (bottom - z) * phi;
        }
        return thick > eps ? w / thick : 0.0;
    };
    // A table inside the top layer cuts the accounting column there: the
    // top layer's water then lies above the table, not over the whole layer
    // (as the multi-layer contents have it), so no layer holds more than its
    // pores.
    const double spread = std::min(t, 100.0 * z); // cm
    if (k == 1) {
        double w = spread > eps ? std::min(x, spread) / spread * wt / 100.0 : 0.0;
        if (z < x / 100.0)
            w += (x / 100.0 - z) * phi;
        return x > eps ? w / (x / 100.0) : 0.0;
    }
    if (k == 2 && m == 2 && t - x <= eps)
        return with_table(wl / 100.0, t / 100.0, d / 100.0);
    if (k == 2)
        return with_table(spread > eps ? std::max(spread - x, 0.0) * wt / spread / 100.0 : 0.0, x / 100.0,
                          t / 100.0);
    return with_table(wl / 100.0, t / 100.0, d / 100.0);
}

void layered_layer_theta(const model_state& s, int cell, const soil_cell_layers& g, double* theta,
                         double* thetas)
{
    const soil_layer_rec* rec = nullptr;
    if (g.count < 2 || !soil_type_layers(s, cell, &rec))
        return;
    const double phi1 = rec->porosity[0], phi2 = rec->porosity[1];
    const double wt = s.soil_water_top.size() >= cell ? s.soil_water_top[cell] : 0.0;
    const double wl = s.soil_water_low.size() >= cell ? s.soil_water_low[cell] : 0.0;
    const bool table = s.water_table && s.elevgw.size() >= cell && s.ground_elev.size() >= cell;
    const double a =
        table ? (s.ground_elev[cell] - s.elevgw[cell]) * 100.0 : rec->depth[0] + rec->depth[1] + 1.0;
    const double b1 = 100.0 * g.thick[1], b2 = b1 + 100.0 * g.thick[2], b3 = b2 + 100.0 * g.thick[3];
    for (int k = 1; k <= g.count; ++k)
        thetas[k] = g.porosity[k];
    if (a <= eps) {
        for (int k = 1; k <= g.count; ++k)
            theta[k] = thetas[k];
        return;
    }
    auto ratio = [](double w, double depth) { return depth > eps ? w / depth : 0.0; };
    double w1 = 0.0;
    if (g.count == 2)
        w1 = wt + (a < b1 ? (b1 - a) * phi1 : 0.0);
    else if (a > b2)
        w1 = ratio(g.thick[1], g.thick[1] + g.thick[2]) * wt;
    else if (b1 <= a)
        w1 = b1 / a * wt;
    else
        w1 = (b1 - a) * phi1 + wt;
    theta[1] = ratio(w1, b1);
    if (g.count == 3) {
        if (a < b1)
            theta[2] = phi1;
        else if (a >= b2)
            theta[2] = ratio(wt, b2);
        else
            theta[2] = ratio((a - b1) * wt / a + (b2 - a) * phi1, b2 - b1);
        if (a < b2)
            theta[3] = phi2;
        else if (a >= b3)
            theta[3] = ratio(wl, b3 - b2);
        else
            theta[3] = ratio((b3 - a) * phi2 + wl, b3 - b2);
    } else {
        if (a < b1)
            theta[2] = phi2;
        else if (a < b2)
            theta[2] = ratio((b2 - a) * phi2 + wl, b2 - b1);
        else
            theta[2] = ratio(wl, b2 - b1);
    }
}

double soil_dissolved_fraction(double theta, double porosity, double kd)
{
    const double sorbing = (1.0 - porosity) * kd * soil_density / 1000.0;
    if (sorbing <= 0.0)
        return 1.0; // nothing sorbs: wholly dissolved
    return theta / (sorbing + theta);
}

double soil_layer_conc(const soil_cell_layers& g, int k, double mass, double cell_area)
{
    const double soil = (1.0 - g.porosity[k]) * g.thick[k] * soil_density * cell_area; // kg
    return soil > eps ? mass / soil * 1000.0 : 0.0;
}

double soil_layer_decay(const model_state& s, int constituent, int cell, int k, const soil_cell_layers& g,
                        double dt, soil_cell_column& col)
{
    // A static concentration removes nothing, so nothing is booked.
    if (s.soil_static_conc)
        return 0.0;
    const double rate = constituent <= s.soil_decay.count && cell <= s.soil_decay.width
                            ? s.soil_decay[constituent][cell]
                            : 0.0;
    const double dissolved = col.frac[k] * col.mass[k];
    if (!(dissolved > 0.0) || !(rate > 0.0))
        return 0.0;
    const double loss = std::min(dissolved * rate * dt, dissolved);
    col.mass[k] -= loss;
    col.conc[k] = soil_layer_conc(g, k, col.mass[k], s.gridsize * s.gridsize);
    return loss;
}

soil_cell_flows soil_layer_transport(const model_state& s, int constituent, int cell,
                                     const soil_cell_layers& g, soil_cell_column& col)
{
    soil_cell_flows out;
    const int l = g.count;
    if (l < 1 || in_lake(s, cell))
        return out;
    const double area = s.gridsize * s.gridsize;
    const int i = constituent;
    // SEDIMENT_CONTAM: the sediment side's mass joins the top layer.
    if (s.sediment_contam && i <= s.sed_con_work.count && cell <= s.sed_con_work.width) {
        const double sed = s.sed_con_work[i][cell];
        if (std::fabs(sed) > eps)
            col.mass[1] += sed;
        if (col.mass[1] < -eps) {
            out.clipped -= col.mass[1];
            col.mass[1] = 0.0;
        }
    }
    // Interface fluxes q[0..l] (m of water, positive downward).
    double q[soil_max_layers + 1] = {};
    const bool contaminant = kind_of(s, i) == contaminant_kind;
    const bool exfil = s.water_table && s.yes_exfil.size() >= cell && s.yes_exfil[cell] >= 1 &&
                       s.soil_con_exfil.size() >= cell;
    if (contaminant && exfil) {
        for (int k = 0; k <= l; ++k)
            q[k] = -s.soil_con_exfil[cell] / area;
    } else if (contaminant) {
        const double top = s.soil_flux_top.size() >= cell ? s.soil_flux_top[cell] / 100.0 : 0.0;
        const double bottom = s.soil_flux_bottom.size() >= cell ? s.soil_flux_bottom[cell] / 100.0 : 0.0;
        for (int k = 1; k < l; ++k)
            q[k] = top;
        q[l] = bottom;
        if (s.inf_redist && s.soil_moist_depth - s.mixing_layer_depth <= eps)
            q[1] = 0.0;
    }
    // Dissolved concentration of each layer's water (g/m3); below the
    // column, the water table's concentration of the constituent.
    double c[soil_max_layers + 2] = {};
    for (int k = 1; k <= l; ++k) {
        const double w = col.theta[k] * g.thick[k];
        c[k] = w > eps ? col.frac[k] * col.mass[k] / (area * w) : 0.0;
    }
    const int gw_row = qbn_con_remap(s.first_qbn_constituent, i, 0);
    c[l + 1] = gw_row >= 1 && gw_row <= s.soil_group_rows.count && cell <= s.soil_group_rows.width
                   ? s.soil_group_rows[gw_row][cell]
                   : 0.0;
    // Mass across each interface, from the layer the water leaves.
    double f[soil_max_layers + 1] = {};
    for (int k = 0; k <= l; ++k) {
        if (q[k] > 0.0)
            f[k] = k >= 1 ? c[k] * q[k] * area : 0.0;
        else if (q[k] < 0.0)
            f[k] = c[k + 1] * q[k] * area;
    }
    if (f[0] < 0.0)
        out.exfil = -f[0];
    if (f[l] >= 0.0)
        out.gw_out = f[l];
    else
        out.gw_in = -f[l];
    if (s.soil_static_conc)
        return out;
    if (i <= s.soil_con_inflow.count && cell <= s.soil_con_inflow.width)
        col.mass[1] += s.soil_con_inflow[i][cell];
    if (i <= s.ov_soil_exch_mass.count && cell <= s.ov_soil_exch_mass.width)
        col.mass[1] -= s.ov_soil_exch_mass[i][cell];
    for (int k = 1; k <= l; ++k) {
        col.mass[k] += f[k - 1] - f[k];
        col.conc[k] = soil_layer_conc(g, k, col.mass[k], area);
    }
    return out;
}

void fill_soil_layer_theta(model_state& s)
{
    const int n = s.num_cells;
    if (s.inf_richards || s.THETA.rows() < n)
        return;
    const int cols = std::min({s.soil_con_layers, s.THETA.cols(), soil_max_layers});
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= cols; ++j)
            s.THETA[i][j] = s.inf_redist ? redist_layer_theta(s, i, j, s.soil_con_layers)
                                         : (s.soil_moisture.size() >= i ? s.soil_moisture[i] : 0.0);
}

void soil_contam_step(model_state& s)
{
    if (!s.soil_con_trans || !process_due(s, s.soil_con_next))
        return;
    const double now = s.current_time;
    const int n = s.num_cells;
    size_work(s);
    const int wet = layer_water_contents(s);
    if (wet) {
        report_wet_layer(s, wet);
        return;
    }
    const double dt = (now - s.soil_con_last) * seconds_per_day;
    if (s.nutrients && process_due(s, s.soil_layer_next)) {
        s.soil_layer_last = now;
        s.soil_layer_next = now + s.et_dt_days;
    }
    const int count = std::min({s.num_constituents, s.soil_mass.count, s.soil_conc.count});
    for (int i = 1; i <= count; ++i) {
        if (s.soil_mass.rows < n || s.soil_conc.rows < n)
            break;
        const int bad = move_constituent(s, i, dt);
        book_constituent(s, i);
        if (bad) {
            report_nan_mass(s, i, bad);
            return;
        }
    }
    // The percolation and exfiltration of the step have been consumed.
    for (dvec* v : {&s.soil_flux_bottom, &s.soil_flux_top, &s.soil_con_exfil})
        if (v->size() >= n)
            for (int j = 1; j <= n; ++j)
                (*v)[j] = 0.0;
    s.soil_con_last = now;
    s.soil_con_next = s.soil_water_acct ? s.et_next : s.inf_next;
}
