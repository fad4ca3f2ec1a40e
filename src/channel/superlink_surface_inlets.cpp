// Water taken from the overland cells by the inlets of superjunctions and
// pipe nodes, and water a surcharged inlet releases onto its cell.
#include <algorithm>
#include <cmath>

#include "channel/superlink_solver.h"
#include "core/model_state.h"

namespace
{

// Grate inflow of one inlet at water depth h (m), m3/s: weir flow over three
// sides of the grate when shallow, orifice flow when deep, the smaller of
// the two between (the formulas work in feet).
double grate_inflow(double h, double side, double dia)
{
    const double hf = 3.28 * h;
    const double weir_len = 3.0 * 3.28 * side;
    const double opening = 0.785 * 10.764 * dia * dia;
    const double qw = 3.0 * weir_len * std::pow(hf, 1.5);
    const double qo = 0.67 * opening * std::sqrt(64.4 * hf);
    double q = std::min(qw, qo);
    if (hf <= 0.4)
        q = qw;
    else if (hf >= 1.0)
        q = qo;
    return q * 0.02832;
}

// Water into one inlet of `count` grates or, for type 10, all the water
// standing on the cell; the rate is kept within the water on the cell.
double take_from_cell(model_state& s, int cell, int type, double side, double dia, double dt,
                      double min_depth, superlink_call_totals& tot)
{
    const double area = s.gridsize * s.gridsize;
    const double h = s.ov_depth[cell];
    if (h <= min_depth)
        return 0.0;
    double rate;
    double v;
    if (type == 10) {
        v = h * area;
        rate = v / dt;
        s.ov_depth[cell] = 0.0;
    } else {
        rate = grate_inflow(h, side, dia) * type;
        if (rate * dt > h * area)
            rate = h * area / dt;
        v = rate * dt;
        s.ov_depth[cell] -= v / area;
    }
    tot.captured += v;
    s.cell_superlink_vol[cell] += v;
    return rate;
}

// Release of a surcharged inlet onto its cell; the rate (negative).
double release_to_cell(model_state& s, int cell, double excess, double plan_area, int count, double dt,
                       superlink_call_totals& tot)
{
    const double q = -excess * plan_area / dt * count;
    const double v = -q * dt;
    s.ov_depth[cell] += v / (s.gridsize * s.gridsize);
    s.cell_superlink_vol[cell] -= v;
    tot.vout += v;
    if (std::fabs(q) > 1e-8)
        s.superlink_surcharge_flag = 1;
    return q;
}

} // namespace

void superlink_surface_inlets(model_state& s, double dt, superlink_call_totals& tot)
{
    const bool hhr = s.high_head_release != 0;
    for (int j = 1; j <= s.num_sjunc; ++j) {
        s.sjunc_flow[j] = 0.0;
        const int c = s.superlink_junc_gnum[j];
        const int t = s.sjunc_inlet_type[j];
        if (c < 1 || t < 1 || t > 10)
            continue; // no cell, no inlet, or an outlet
        if (t <= 9 && hhr && s.sjunc_head[j] > s.sjunc_ground_elev[j]) {
            const double q =
                release_to_cell(s, c, s.sjunc_head[j] - s.sjunc_ground_elev[j], s.sjunc_area[j], t, dt, tot);
            s.sjunc_flow[j] = q;
            s.superlink_sjunc_outflow[j] += -q * dt;
        } else {
            s.sjunc_flow[j] = take_from_cell(s, c, t, s.sjunc_grate_sidelength[j], s.sjunc_grate_dia[j], dt,
                                             t == 10 ? 1e-16 : 1e-8, tot);
        }
    }
    if (s.tile_exchange_status == 1) {
        for (int l = 1; l <= s.num_slink; ++l) {
            const int j = s.us_sjunc[l];
            if (hhr && s.sjunc_head[j] > s.sjunc_ground_elev[j])
                continue;
            for (int k = 1; k <= s.nnodes[l]; ++k)
                s.sjunc_flow[j] += s.superlink_tile_flow[l][k];
        }
    }
    for (int j = 1; j <= s.num_sjunc; ++j)
        if (s.sjunc_inlet_type[j] < 888)
            tot.vin += std::max(s.sjunc_flow[j], 0.0) * dt;

    for (int l = 1; l <= s.num_slink; ++l) {
        const int N = s.superlink_cnodes[l];
        double* qn = s.Q_node[l];
        qn[1] = 0.0;
        for (int k = 2; k <= N; ++k) {
            qn[k] = 0.0;
            const int c = s.superlink_node_gnum[l][k];
            const int t = s.inlet_type[l][k];
            if (c < 1)
                continue;
            const double head = s.slink_node_Zinv[l][k] + s.slink_node_depth[l][k];
            if (t <= 9 && hhr && head > s.node_ground_elev[l][k]) {
                qn[k] = release_to_cell(s, c, head - s.node_ground_elev[l][k], s.As[l][k], t, dt, tot);
                s.superlink_sjunc_outflow[s.ds_sjunc[l]] += -qn[k] * dt;
            } else {
                const double before = tot.captured;
                qn[k] = take_from_cell(s, c, t, s.grate_sidelength_node[l][k], s.grate_dia_node[l][k], dt,
                                       1e-16, tot);
                tot.vin += tot.captured - before;
            }
        }
    }
}
