// The nutrient module while the run goes on: the per-step transfer from the
// soil pools to the overland water, and the derived outputs (un-ionised
// ammonia, total nitrogen, Kjeldahl nitrogen, total phosphorus) of the
// overland cells, channel nodes and lakes.
#include "quality/qbn_steps.h"

#include <algorithm>
#include <cmath>

#include "core/model_state.h"
#include "core/parallel.h"
#include "quality/soil_contam.h"

namespace
{

constexpr double nh4_molar_mass = 18.039; // g/mol
constexpr double nh3_molar_mass = 17.031;
constexpr double smallest_volume = 1e-4;     // m3
constexpr double smallest_molar_open = 1e-7; // overland cells and lakes
constexpr double smallest_molar_node = 1e-8; // channel nodes

enum water : int { no2 = 0, no3 = 1, nh4 = 2, on = 3, op = 4, dp = 5 };

// The soil pools (offsets from the first nutrient constituent) and the
// water constituents they feed, in transfer order.
struct transfer_pair {
    int pool, water;
};
constexpr transfer_pair transfer_pairs[] = {{2, nh4}, {3, no3}, {4, on}, {8, dp}, {10, op}};

double value(const checked_array<double>& a, int k)
{
    return k >= 0 && k <= a.cap ? a[k] : 0.0;
}

} // namespace

double qbn_nh3_mass(double nh4_mass, double volume, double ka, double h_ion, double smallest_molar)
{
    if (!(volume >= smallest_volume) || !(h_ion > 0.0))
        return 0.0;
    const double m = nh4_mass / nh4_molar_mass / volume;
    if (m < smallest_molar)
        return 0.0;
    return m * ka / h_ion * nh3_molar_mass * volume;
}

double qbn_soil_request(const qbn_soil& /*soil*/, int /*pool*/, int /*cell*/)
{
    // The module's reactions set what each pool gives up; none exist yet.
    return 0.0;
}

void qbn_overland_step(qbn_overland& o, double /*clock*/, double /*elapsed_days*/, const dvec& /*rain*/)
{
    qbn_soil* soil = o.soil;
    if (!soil || !o.soil_exch_cell_mass || !o.ov_soil_exch_mass)
        return;
    if (soil->state)
        fill_soil_layer_theta(*soil->state);
    const int first = o.first_qbn_constituent;
    row_array<double>& to_water = *o.soil_exch_cell_mass;
    row_array<double>& from_pool = *o.ov_soil_exch_mass;
    const int n = std::min({o.num_cells, to_water.width, from_pool.width});
    for (const transfer_pair& p : transfer_pairs)
        if (first + p.water > to_water.count || first + p.pool > from_pool.count ||
            p.pool + 1 > soil->pools.cap || !soil->pools[p.pool + 1])
            return;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        for (const transfer_pair& p : transfer_pairs) {
            const row_array<double>& pool = *soil->pools[p.pool + 1];
            const double held = i <= pool.count && pool.width >= 1 ? pool[i][1] : 0.0;
            const double a = std::min(qbn_soil_request(*soil, p.pool, i), held);
            if (!(a > 0.0))
                continue;
            to_water[first + p.water][i] += a;
            from_pool[first + p.pool][i] += a;
        }
    }
}

void qbn_overland_nh3(qbn_overland& o)
{
    const double area = o.dx * o.dx;
    for (int k = 1; k <= o.num_cells && k <= o.nh3.cap; ++k) {
        const double depth = o.depth && o.depth->size() >= k ? (*o.depth)[k] : 0.0;
        o.nh3[k] =
            qbn_nh3_mass(value(o.species[nh4].mass, k), depth * area, o.ka, o.h_ion, smallest_molar_open);
    }
}

checked_array<double>& qbn_overland_total_n(qbn_overland& o)
{
    for (int k = 1; k <= o.num_cells && k <= o.total_n.cap; ++k)
        o.total_n[k] = value(o.species[no2].mass, k) + value(o.species[no3].mass, k) +
                       value(o.species[nh4].mass, k) + value(o.species[on].mass, k) + value(o.nh3, k);
    return o.total_n;
}

checked_array<double>& qbn_overland_total_p(qbn_overland& o)
{
    for (int k = 1; k <= o.num_cells && k <= o.total_p.cap; ++k)
        o.total_p[k] = value(o.species[op].mass, k) + value(o.species[dp].mass, k);
    return o.total_p;
}

namespace
{

// Calls f(slot, node, link) for every node of every link of the stream part.
template <class F> void each_node(const qbn_stream& p, F f)
{
    if (!p.nx)
        return;
    for (int i = 1; i <= p.num_links && i < p.nx->size() + 1; ++i)
        for (int j = 1; j <= (*p.nx)[i] && j <= p.max_nodes; ++j)
            f(i * (p.max_nodes + 1) + j, j, i);
}

bool table_has(const row_array<double>& t, int j, int i)
{
    return j >= 1 && j <= t.count && i <= t.width;
}

} // namespace

void qbn_stream_nh3(qbn_stream& p)
{
    each_node(p, [&](int slot, int j, int i) {
        if (!table_has(p.nh3, j, i))
            return;
        double v = 0.0;
        if (p.area && p.link_dx && j <= p.area->rows() && i <= p.area->cols() && i <= p.link_dx->size())
            v = (*p.area)[j][i] * (*p.link_dx)[i];
        p.nh3[j][i] = qbn_nh3_mass(value(p.species[nh4].mass, slot), v, p.ka, p.h_ion, smallest_molar_node);
    });
}

row_array<double>& qbn_stream_total_n(qbn_stream& p)
{
    each_node(p, [&](int slot, int j, int i) {
        if (table_has(p.total_n, j, i) && table_has(p.nh3, j, i))
            p.total_n[j][i] = value(p.species[no2].mass, slot) + value(p.species[no3].mass, slot) +
                              value(p.species[nh4].mass, slot) + value(p.species[on].mass, slot) +
                              p.nh3[j][i];
    });
    return p.total_n;
}

row_array<double>& qbn_stream_tkn(qbn_stream& p)
{
    each_node(p, [&](int slot, int j, int i) {
        if (table_has(p.kjeldahl_n, j, i) && table_has(p.nh3, j, i))
            p.kjeldahl_n[j][i] =
                value(p.species[nh4].mass, slot) + value(p.species[on].mass, slot) + p.nh3[j][i];
    });
    return p.kjeldahl_n;
}

row_array<double>& qbn_stream_total_p(qbn_stream& p)
{
    each_node(p, [&](int slot, int j, int i) {
        if (table_has(p.total_p, j, i))
            p.total_p[j][i] = value(p.species[op].mass, slot) + value(p.species[dp].mass, slot);
    });
    return p.total_p;
}

void qbn_lake_nh3(qbn_lake& p)
{
    for (int k = 1; k <= p.num_lakes && k <= p.nh3.cap; ++k) {
        const double v = p.volume && p.volume->size() >= k ? (*p.volume)[k] : 0.0;
        p.nh3[k] = qbn_nh3_mass(value(p.species[nh4].mass, k), v, p.ka, p.h_ion, smallest_molar_open);
    }
}

checked_array<double>& qbn_lake_total_n(qbn_lake& p)
{
    for (int k = 1; k <= p.num_lakes && k <= p.total_n.cap; ++k)
        p.total_n[k] = value(p.species[no2].mass, k) + value(p.species[no3].mass, k) +
                       value(p.species[nh4].mass, k) + value(p.species[on].mass, k) + value(p.nh3, k);
    return p.total_n;
}

checked_array<double>& qbn_lake_tkn(qbn_lake& p)
{
    for (int k = 1; k <= p.num_lakes && k <= p.kjeldahl_n.cap; ++k)
        p.kjeldahl_n[k] = value(p.species[nh4].mass, k) + value(p.species[on].mass, k) + value(p.nh3, k);
    return p.kjeldahl_n;
}

checked_array<double>& qbn_lake_total_p(qbn_lake& p)
{
    for (int k = 1; k <= p.num_lakes && k <= p.total_p.cap; ++k)
        p.total_p[k] = value(p.species[op].mass, k) + value(p.species[dp].mass, k);
    return p.total_p;
}

void qbn_derived_outputs(model_state& s, const qbn_output_writers& w)
{
    if (!s.qbn_object)
        return;
    qbn_model& m = *s.qbn_object;
    const project_cards& c = s.cards;
    const bool lakes = s.chan_lakes && m.lake.num_lakes > 0;
    const bool streams = s.chan_explicit && m.stream.num_links > 0;
    if (lakes) {
        qbn_lake_nh3(m.lake);
        qbn_lake_total_n(m.lake);
        qbn_lake_tkn(m.lake);
        qbn_lake_total_p(m.lake);
    }
    if (c.total_ov_n_given) {
        qbn_overland_nh3(m.overland);
        qbn_overland_total_n(m.overland);
        if (w.total_ov_n)
            w.total_ov_n(s);
    }
    if (c.total_ov_p_given) {
        qbn_overland_total_p(m.overland);
        if (w.total_ov_p)
            w.total_ov_p(s);
    }
    if (streams && (c.total_chan_n_given || c.total_chan_kn_given))
        qbn_stream_nh3(m.stream);
    if (streams && c.total_chan_n_given) {
        qbn_stream_total_n(m.stream);
        if (lakes)
            qbn_lake_total_n(m.lake);
        if (w.total_chan_n)
            w.total_chan_n(s);
    }
    if (streams && c.total_chan_kn_given) {
        qbn_stream_tkn(m.stream);
        if (w.total_chan_kn)
            w.total_chan_kn(s);
    }
    if (streams && c.total_chan_p_given) {
        qbn_stream_total_p(m.stream);
        if (w.total_chan_p)
            w.total_chan_p(s);
    }
    for (int k = 0; k < qbn_constituent_count; ++k) {
        if (m.out_ov[k].flag == 1 && w.species_maps)
            w.species_maps(s, k);
        if (m.out_st[k].flag == 1 && w.species_linknodes)
            w.species_linknodes(s, k);
    }
}
