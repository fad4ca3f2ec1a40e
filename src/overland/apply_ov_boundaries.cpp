// Overland boundary conditions applied before routing: free outflow over
// the watershed edge (type 1), water surfaces set once (type 2) or held from
// a time series (type 3), specified inflows and withdrawals (types 4 and 5),
// rating-curve exchange with receiving cells (types 6 and 7, receivers 99)
// and the cells of an XY overland boundary input. Serial: the exchanges
// change neighbouring cells and depend on the order of the cells.
#include <algorithm>
#include <cmath>

#include "core/error_state.h"
#include "core/model_state.h"
#include "coupling/coupling_services.h"
#include "input/elev_series.h"
#include "input/time_series.h"
#include "overland/overland_steps.h"

namespace
{

constexpr double cubic_feet = 0.0283168466; // m3 per ft3
constexpr double manning_power = 1.666667;  // exponent of the edge outflow

// A series lookup that failed has reported itself and raised the error.
bool lookup_failed()
{
    return run_stopped();
}

bool boundary_arrays(const model_state& s)
{
    const int n = s.num_cells;
    return n > 0 && s.boundary_type.size() >= n && s.ov_bc_values_a.size() >= n &&
           s.ov_bc_values_b.size() >= n && s.ov_depth.size() >= n && s.ground_elev.size() >= n;
}

// The six boundary volumes of one call, m3.
struct bc_sums {
    double head_in = 0.0;
    double head_out = 0.0;
    double slope_out = 0.0;
    double discharge_in = 0.0;
    double discharge_out = 0.0;
    double unmet = 0.0;
};

// A cell seen by the boundaries: its depth, or the volume and stage of the
// channel lake it belongs to.
struct bc_cells {
    model_state& s;
    double area;
    bool lakes;

    int lake(int i) const
    {
        return lakes && s.lake_mask[i] > 0 && s.lake_mask[i] <= s.num_lakes ? s.lake_mask[i] : 0;
    }
    double surface(int i) const
    {
        const int k = lake(i);
        return k ? s.lake_elev[k] : s.ground_elev[i] + s.ov_depth[i];
    }
    // Takes at most `depth` of water (as a depth over one cell) from cell i;
    // returns the depth taken.
    double take(int i, double depth) const
    {
        if (depth <= 0.0)
            return 0.0;
        if (const int k = lake(i)) {
            const double vol = std::max(0.0, std::min(depth * area, s.lake_volume[k]));
            s.lake_volume[k] -= vol;
            s.lake_out_dv[k] += vol;
            return vol / area;
        }
        const double d = std::max(0.0, std::min(depth, s.ov_depth[i]));
        s.ov_depth[i] -= d;
        return d;
    }
    void give(int i, double depth) const
    {
        if (const int k = lake(i)) {
            s.lake_volume[k] += depth * area;
            s.lake_in_dv[k] += depth * area;
            return;
        }
        s.ov_depth[i] += depth;
    }
};

// Neighbours of cell i on its four sides: 1 top, 2 right, 3 bottom, 4 left.
void side_cells(const model_state& s, int i, int (&nb)[5])
{
    nb[0] = 0;
    nb[1] = s.abovecon.size() >= i ? s.abovecon[i] : 0;
    nb[2] = s.rightcon.size() >= i ? s.rightcon[i] : 0;
    nb[3] = s.belowcon.size() >= i ? s.belowcon[i] : 0;
    nb[4] = s.leftcon.size() >= i ? s.leftcon[i] : 0;
}

double rating(const model_state& s, int i, double head)
{
    elev_series* curve = static_cast<int>(s.ov_rating_curves.size()) > i
                             ? s.ov_rating_curves[static_cast<size_t>(i)].rating
                             : nullptr;
    return elev_series_interp(head, curve);
}

// Free outflow over the watershed edge through each side without a
// neighbour: every open side passes the Manning outflow of the cell, both in
// the test that empties the cell and in the water removed.
void edge_outflow(const bc_cells& c, int i, double slope, double n_eff, double dt, bc_sums& sum)
{
    model_state& s = c.s;
    int nb[5];
    side_cells(s, i, nb);
    const int open = (nb[1] == 0) + (nb[2] == 0) + (nb[3] == 0) + (nb[4] == 0);
    if (open == 0 || !(slope > 0.0) || !(n_eff > 0.0))
        return;
    const double dx = s.gridsize;
    if (const int k = c.lake(i)) {
        const double head = s.lake_elev[k] - s.ground_elev[i];
        if (head <= 0.0)
            return;
        double vol = open * std::pow(head, manning_power) * std::sqrt(slope) * dx / n_eff * dt;
        vol = std::min(vol, std::max(0.0, s.lake_volume[k]));
        s.lake_volume[k] -= vol;
        s.lake_out_dv[k] += vol;
        sum.slope_out += vol;
        return;
    }
    const double h = s.ov_depth[i];
    if (h <= 0.0)
        return;
    const double per_side = std::sqrt(slope) * std::pow(h, manning_power) * dx / n_eff * dt / c.area;
    const double lost = open * per_side;
    if (h < lost) {
        sum.slope_out += h * c.area;
        s.ov_depth[i] = 0.0;
    } else {
        s.ov_depth[i] = h - lost;
        sum.slope_out += lost * c.area;
    }
}

// Inflow (positive) or withdrawal (negative) of q m3/s over dt.
void specified_discharge(const bc_cells& c, int i, double q, double dt, bc_sums& sum)
{
    model_state& s = c.s;
    const double vol = q * dt;
    if (const int k = c.lake(i)) {
        if (vol >= 0.0) {
            s.lake_volume[k] += vol;
            s.lake_in_dv[k] += vol;
            sum.discharge_in += vol;
        } else {
            const double taken = std::min(-vol, std::max(0.0, s.lake_volume[k]));
            s.lake_volume[k] -= taken;
            s.lake_out_dv[k] += taken;
            sum.discharge_out += taken;
            sum.unmet += -vol - taken;
        }
        return;
    }
    const double m = vol / c.area;
    const double h = s.ov_depth[i];
    if (m < -1e-16) {
        if (-m > h) {
            s.ov_depth[i] = 0.0;
            sum.discharge_out += h * c.area;
            sum.unmet += (-m - h) * c.area;
        } else {
            s.ov_depth[i] = h + m;
            sum.discharge_out += -m * c.area;
        }
    } else {
        s.ov_depth[i] = h + m;
        sum.discharge_in += vol;
    }
}

bool receiving(const model_state& s, int cell)
{
    return cell > 0 && s.boundary_type[cell] == 99;
}

// Two-way exchange with the receiving neighbours through the cell's rating
// curve of the head difference: inflows first, then outflows. One exchange
// moves at most half the head difference, which brings two cells of equal
// area to the same surface and never past it.
void head_exchange(const bc_cells& c, int i, double dt)
{
    model_state& s = c.s;
    int nb[5];
    side_cells(s, i, nb);
    const double w = c.surface(i);
    int dir[5] = {0, 0, 0, 0, 0};
    double head[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
    for (int side = 1; side <= 4; ++side) {
        if (!receiving(s, nb[side]))
            continue;
        head[side] = w - c.surface(nb[side]);
        dir[side] = head[side] > 1e-8 ? 1 : head[side] < -1e-8 ? -1 : 0;
    }
    if (s.face_dir.size() >= 4 && s.face_head.size() >= 4)
        for (int side = 1; side <= 4; ++side) {
            s.face_dir[side] = dir[side];
            s.face_head[side] = head[side];
        }
    for (const int way : {-1, 1}) {
        for (int side = 1; side <= 4; ++side) {
            if (dir[side] != way)
                continue;
            const double diff = std::fabs(head[side]);
            double d = rating(s, i, diff) * dt / c.area;
            if (lookup_failed())
                return;
            d = std::min(d, 0.5 * diff);
            const int from = way < 0 ? nb[side] : i;
            const int to = way < 0 ? i : nb[side];
            c.give(to, c.take(from, d));
        }
    }
}

// One-way outflow to the receiving neighbours through the rating curve of
// the cell's own depth (a lake cell: its lake's depth over the cell).
void depth_outflow(const bc_cells& c, int i, double dt)
{
    model_state& s = c.s;
    int nb[5];
    side_cells(s, i, nb);
    const int k = c.lake(i);
    double head = k ? s.lake_elev[k] - s.ground_elev[i] : s.ov_depth[i];
    if (!(head > 1e-16))
        return;
    for (int side = 1; side <= 4; ++side) {
        if (!receiving(s, nb[side]))
            continue;
        if (!k)
            head = s.ov_depth[i];
        const double d = rating(s, i, head) * dt / c.area;
        if (lookup_failed())
            return;
        c.give(nb[side], c.take(i, d));
    }
}

} // namespace

void ov_bc_series_values(model_state& s, bool first)
{
    if (!boundary_arrays(s))
        return;
    // Serial: a series lookup moves the series' search cursor.
    for (int i = 1; i <= s.num_cells; ++i) {
        const int type = s.boundary_type[i];
        if (type == 1 || type == 2) {
            if (first)
                s.ov_bc_values_a[i] = s.ov_bc_values_b[i];
        } else if (type == 3 || type == 4 || type == 5) {
            s.ov_bc_values_a[i] = ts_value_by_index(static_cast<int>(s.ov_bc_values_b[i]), s.current_time);
            if (lookup_failed())
                return;
        } else {
            s.ov_bc_values_a[i] = 0.0;
        }
    }
}

void apply_ov_boundaries(model_state& s, double dt, bool first)
{
    if (!boundary_arrays(s))
        return;
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    const bool lakes = s.chan_lakes && s.num_lakes > 0 && s.lake_mask.size() >= n &&
                       s.lake_elev.size() >= s.num_lakes && s.lake_volume.size() >= s.num_lakes &&
                       s.lake_in_dv.size() >= s.num_lakes && s.lake_out_dv.size() >= s.num_lakes;
    const bc_cells c{s, area, lakes};
    bc_sums sum;

    if (s.xybdyinput_ovdep && s.cards.xy_in.num_ov_points > 0)
        apply_ov_xy_bdy(s.cards.xy_in, s.ov_depth, s.gridsize, sum.head_in, sum.head_out, s.current_time);

    // Effective roughness of every cell at its current depth (per-run scratch).
    if (s.ov_bc_rough.size() != n)
        s.ov_bc_rough.assign(n, 0.0); // sized at start-up by a run
    if (s.dist_rough.size() >= n) {
        if (s.roughness_exp.size() >= n)
            effective_roughness(n, s.dist_rough.data(), s.roughness_exp.data(), s.ov_depth.data(),
                                s.ov_bc_rough.data());
        else
            std::copy(s.dist_rough.data() + 1, s.dist_rough.data() + n + 1, s.ov_bc_rough.data() + 1);
    }

    for (int i = 1; i <= n; ++i) {
        const double v = s.ov_bc_values_a[i];
        switch (s.boundary_type[i]) {
        case 1:
            edge_outflow(c, i, v, s.ov_bc_rough[i], dt, sum);
            break;
        case 2:
        case 3: {
            if (s.boundary_type[i] == 2 && !first)
                break;
            if (s.boundary_type[i] == 3 && c.lake(i))
                break;
            const double target = std::max(0.0, v - s.ground_elev[i]);
            // Only the water the fill adds or removes is booked, not the
            // depth the cell already held.
            const double vol = (target - s.ov_depth[i]) * area;
            s.ov_depth[i] = target;
            double& in = s.boundary_type[i] == 2 ? sum.discharge_in : sum.head_in;
            double& out = s.boundary_type[i] == 2 ? sum.discharge_out : sum.head_out;
            if (vol > 0.0)
                in += vol;
            else
                out -= vol;
            break;
        }
        case 4:
            specified_discharge(c, i, v * cubic_feet, dt, sum);
            break;
        case 5:
            specified_discharge(c, i, v, dt, sum);
            break;
        case 6:
            head_exchange(c, i, dt);
            break;
        case 7:
            depth_outflow(c, i, dt);
            break;
        default:
            break;
        }
        if (lookup_failed())
            return; // a missing rating curve, reported by the lookup
    }
    s.head_bc_in_total += sum.head_in;
    s.head_bc_out_total += sum.head_out;
    s.slope_bc_out_total += sum.slope_out;
    s.discharge_bc_in_total += sum.discharge_in;
    s.discharge_bc_out_total += sum.discharge_out;
    s.discharge_bc_unmet_total += sum.unmet;
}

void ov_pump_step(model_state& /*state*/, double /*dt*/)
{
    // TODO: overland pumping. No reader fills the overland pump list (the
    // OV_PUMP file has no defined layout), so there is no pump to walk; each
    // pump is to take its rate (from a time series at the current time, or an
    // elevation series of its cell's depth) x dt / dx^2 from its cell's
    // depth, at most the depth. A project that gives the card is refused as
    // not available until then.
}
