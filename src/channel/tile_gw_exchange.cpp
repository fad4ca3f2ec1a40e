// Inflow of ground water into the leaky pipes (subsurface drains): each
// grid-pipe entry whose cell's head stands above the pipe's water surface
// receives the steady drain-spacing inflow of Hooghoudt, with the
// equivalent depth by Moody's formulas (SUPERLINK_DRAINMOD 1) or by the
// series expression.
#include <cmath>
#include <cstdio>

#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

struct pipe_entry {
    int link, node, cell;
    int a, b, pipe; // computational nodes at both ends, and the pipe
    double invert;  // pipe invert under the entry's cell, m
    double surface; // water surface in the pipe, m
};

pipe_entry entry_at(const model_state& s, int gc, int e)
{
    pipe_entry p{};
    p.link = s.gpi_link[gc][e];
    p.node = s.gpi_node[gc][e];
    p.cell = s.gpi_gnum[gc][e];
    if (s.superlink_c_opt == 1) {
        p.a = s.otc_node[p.link][p.node];
        p.b = s.otc_node[p.link][p.node + 1];
        p.pipe = s.otc_pipe[p.link][p.node];
    } else {
        p.a = p.node;
        p.b = p.node + 1;
        p.pipe = p.node;
    }
    const double* ground = s.ground_elev.data();
    const double burial = ((ground[s.superlink_node_gnum[p.link][p.a]] - s.slink_node_Zinv[p.link][p.a]) +
                           (ground[s.superlink_node_gnum[p.link][p.b]] - s.slink_node_Zinv[p.link][p.b])) /
                          2.0;
    p.invert = ground[p.cell] - burial;
    p.surface = p.invert + (s.slink_node_depth[p.link][p.a] + s.slink_node_depth[p.link][p.b]) / 2.0;
    return p;
}

void drain_error(int code, const char* text, const pipe_entry& p)
{
    std::printf(text, p.link, p.node, p.a);
    error_set(code);
    error_state.raised = 1;
}

} // namespace

double tile_drain_inflow(int moody, double k, double spacing, double diameter, double above_bottom,
                         double rise, double share)
{
    const double r = diameter / 2.0;
    const double b = above_bottom;
    if (moody == 1) {
        const double bs = b / spacing;
        double e;
        if (bs < 0.3) {
            const double alpha = 3.55 - 1.6 * bs + 2.0 * bs * bs;
            e = b / (1.0 + bs * (2.5477707006369426 * std::log(b / r) - alpha));
        } else {
            e = 3.14 * spacing / (8.0 * (std::log(spacing / r) - 1.15));
        }
        return (8.0 * k * e * rise + 4.0 * k * rise * rise) / (spacing * spacing) * (3.14 * diameter) /
               3600.0 * share;
    }
    const double half = spacing / 2.0;
    const double x = 6.28 * b / half;
    double series = std::log(half / (3.14 * r));
    for (double f : {2.0, 6.0, 10.0}) {
        const double ex = std::exp(-f * x);
        series += 4.0 * ex / (1.0 - ex);
    }
    const double e = (3.14 * half / 8.0) / series;
    return 2.0 * (k / half) * (2.0 * e * rise + rise * rise) / 3600.0 * share;
}

int tile_gw_exchange(model_state& s, double /*dt*/)
{
    const int cells = s.gpi_ncells;
    if (cells <= 0 || !s.elevgw || !s.bottom_elev || !s.ground_elev)
        return 0; // no water table to drain
    const double* head = s.elevgw.data();
    int first = 0;
    for (int gc = 1; gc <= cells && !first; ++gc)
        for (int e = 1; e <= s.gpi_ncellsingrid[gc]; ++e) {
            const pipe_entry p = entry_at(s, gc, e);
            if (p.surface < head[p.cell]) {
                first = gc;
                break;
            }
        }
    if (!first)
        return 0;
    for (int gc = first; gc <= cells; ++gc)
        for (int e = 1; e <= s.gpi_ncellsingrid[gc]; ++e) {
            const pipe_entry p = entry_at(s, gc, e);
            const double rise = head[p.cell] - p.surface;
            const double k = s.superlink_pipe_conductivity[p.link][p.pipe] / 100.0; // m/h
            const double spacing = s.drain_spacing[p.link][p.pipe];
            if (!(rise > 1e-16) || !(k >= 1e-16) || !(spacing >= 1e-16))
                continue;
            const double b = p.invert - s.bottom_elev[p.cell];
            if (b < 0.0) {
                drain_error(err_pipe_invert,
                            "\n Node elevation must be above bottom of groundwater media: Link %d Node %d "
                            "Comp Node %d",
                            p);
                return 1;
            }
            const double q = tile_drain_inflow(s.superlink_drainmod, k, spacing, s.diameter[p.link][p.pipe],
                                               b, rise, s.gpi_pct[gc][e] * s.dx[p.link][p.pipe]);
            if (std::isnan(q)) {
                drain_error(err_tile_nan,
                            "\n NaN error in groundwater tile exchange: Link %d Node %d Comp Node %d", p);
                return 1;
            }
            s.Q_tile_grid[p.cell] += q;
            s.superlink_tile_flow[p.link][p.a] += q;
        }
    return 1;
}
