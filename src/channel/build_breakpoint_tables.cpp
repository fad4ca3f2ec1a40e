// Depth tables of break-point cross-sections: area, top width, wetted
// perimeter and conveyance at equally spaced levels from a section's lowest
// to its highest point. Nodes between two surveyed sections get tables
// interpolated between them; erodible links get resampled points per node,
// from which each node's table is built (and rebuilt when its bed moves).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "channel/chan_file.h"
#include "channel/channel_input.h"
#include "channel/channel_state.h"
#include "core/error_state.h"

namespace
{

constexpr int max_levels = 30000;
constexpr int max_segments = 49; // wet segments at one level
constexpr double min_spacing = 0.0001;
constexpr double max_spacing = 1.0;

enum class level_fail { none, islands, flat_opening };

struct level_props {
    double area = 0.0;
    double top_width = 0.0;
    double perimeter = 0.0;
};

// Station where the water level w crosses the piece between points k-1 and
// k. A piece lying flat at the level meets the water at its near end for a
// segment that closes (the water reaches the flat) and at its far end for
// one that opens (the water leaves it).
double crossing(const double* x, const double* y, int k, double w, bool opening)
{
    const double dy = y[k] - y[k - 1];
    if (dy == 0.0)
        return opening ? x[k] : x[k - 1];
    return x[k - 1] + (w - y[k - 1]) * (x[k] - x[k - 1]) / dy;
}

void add_segment(const double* x, const double* y, int s, double start, int e, double end, double w,
                 level_props& p)
{
    p.top_width += end - start;
    p.area += (x[s + 1] - start) * (w - y[s + 1]) / 2.0;
    p.perimeter += std::hypot(x[s + 1] - start, w - y[s + 1]);
    for (int k = s + 2; k <= e - 1; ++k) {
        p.area += (x[k] - x[k - 1]) * ((w - y[k]) + (w - y[k - 1])) / 2.0;
        p.perimeter += std::hypot(x[k] - x[k - 1], y[k] - y[k - 1]);
    }
    p.area += (end - x[e - 1]) * (w - y[e - 1]) / 2.0;
    p.perimeter += std::hypot(end - x[e - 1], w - y[e - 1]);
}

// Properties of points 1..m (x, y 1-based) at water level w: one scan
// collects the wet segments. refuse_flat: a segment that would open between
// two points of equal elevation is refused.
level_fail section_level(const double* x, const double* y, int m, double w, bool refuse_flat, level_props& p)
{
    p = level_props{};
    bool wet = y[1] <= w;
    int segments = wet ? 1 : 0;
    int s = 1, opener = 1;
    double start = x[1];
    for (int k = 2; k <= m; ++k) {
        if (!wet && y[k] <= w) {
            if (++segments > max_segments)
                return level_fail::islands;
            if (refuse_flat && y[k] == y[k - 1])
                return level_fail::flat_opening;
            s = k - 1;
            opener = k;
            start = crossing(x, y, k, w, true);
            wet = true;
        } else if (wet && y[k] >= w && k != opener) {
            add_segment(x, y, s, start, k, crossing(x, y, k, w, false), w, p);
            wet = false;
        }
    }
    if (wet)
        add_segment(x, y, s, start, m, x[m], w, p);
    return level_fail::none;
}

double conveyance(double inv_n, double area, double perimeter)
{
    if (area <= 0.0 || perimeter <= 0.0)
        return 0.0;
    return inv_n * area * std::pow(area / perimeter, 2.0 / 3.0);
}

void islands_message(int link, bool rebuild)
{
    if (!rebuild)
        std::printf("\n\n");
    std::printf("There is a serious problem with a channel cross-section in\n");
    std::printf("link %d.  The cross-section interpolation routine has found\n", link);
    std::printf("that this cross-section is very jagged, with over 50 'islands'\n");
    std::printf("for certain depths.  Calculating cross-section properties in\n");
    std::printf("this case is very dubious.  Check your cross-section, smooth\n");
    std::printf("it if necessary and try again.\n");
}

// Fills rows 1..numhts[t] of table t from points 1..m. checks: the spacing
// range of surveyed sections; ordinal names the section in messages.
bool table_from_points(channel_state& c, int t, const double* x, const double* y, int m, double inv_n,
                       int link, int ordinal, bool checks, bool rebuild)
{
    const int n = c.numhts[t];
    const auto [lo, hi] = std::minmax_element(y + 1, y + m + 1);
    const double ymin = *lo;
    const double d = (*hi - ymin) / n;
    c.ht_spc[t] = d;
    if (checks && (d < min_spacing || d > max_spacing)) {
        std::printf(
            "\n\nError: The interpolation distance [%6.5lf] produced by the number of interpolation points "
            "[%d]\nfor table %d in link %d is invalid. (Range is 0.0001 to 1.0)\n",
            d, n, ordinal, link);
        chan_stop();
        return false;
    }
    for (int i = 1; i <= n; ++i) {
        level_props p;
        const level_fail fail = section_level(x, y, m, ymin + i * d, !rebuild, p);
        if (fail == level_fail::islands) {
            islands_message(link, rebuild);
            chan_stop();
            return false;
        }
        if (fail == level_fail::flat_opening) {
            std::printf("Error in your channel (%d). Each Z values must be different from it's neighbor\n",
                        link);
            if (pause_on_exit)
                pause_prompt();
            chan_stop();
            return false;
        }
        c.xarea[i][t] = p.area;
        c.xtw[i][t] = p.top_width;
        c.xp[i][t] = p.perimeter;
        c.xk[i][t] = conveyance(inv_n, p.area, p.perimeter);
    }
    return true;
}

bool levels_in_range(int levels, int ordinal, int link)
{
    if (levels >= 1 && levels <= max_levels)
        return true;
    std::printf(
        "\n\nError: The number of interpolation points [%d] for table %d in link %d is invalid. (Range is "
        "1-30000.) \n",
        levels, ordinal, link);
    chan_stop();
    return false;
}

// Value of one column of table t at depth h: scaled from row 1 below the
// first level, linear between rows, extended along the last interval above.
double depth_value(const dmat& col, int t, int n, double d, double h)
{
    if (h < d)
        return h / d * col[1][t];
    if (h <= n * d) {
        const int j = std::min(static_cast<int>(h / d), n - 1);
        return col[j][t] + (h - j * d) * (col[j + 1][t] - col[j][t]) / d;
    }
    return col[n][t] + (h - n * d) * (col[n][t] - col[n - 1][t]) / d;
}

// Table of node M between section nodes K (below) and J (above).
void interpolated_table(channel_state& c, int link, int M, int K, int J)
{
    const int tm = c.table_num[M][link], tk = c.table_num[K][link], tj = c.table_num[J][link];
    const int n = c.numhts[tm];
    const double dk = c.ht_spc[tk], dj = c.ht_spc[tj];
    const double dm = dk + (M - K) * (dj - dk) / (J - K);
    c.ht_spc[tm] = dm;
    const double f = static_cast<double>(M - J) / (K - J);
    for (int i = 1; i <= n; ++i) {
        const double h = i * dm;
        for (dmat* col : {&c.xarea, &c.xp, &c.xtw, &c.xk}) {
            const double vk = depth_value(*col, tk, c.numhts[tk], dk, h);
            const double vj = depth_value(*col, tj, c.numhts[tj], dj, h);
            (*col)[i][tm] = vj + (vk - vj) * f;
        }
    }
}

void set_counts(channel_state& c, int first_table, int last_table, int pairs, int levels)
{
    for (int t = first_table; t <= last_table; ++t) {
        c.numpairs[t] = pairs;
        c.numhts[t] = levels;
    }
}

bool surveyed_link(channel_state& c, const bp_link_sections& in, int& counter)
{
    const int link = in.link;
    const int* q = in.node_of;
    const int base = counter;
    int pairs = in.pairs[1], levels = in.levels[1];
    if (in.count == 1) {
        for (int k = 1; k <= in.nodes; ++k)
            c.table_num[k][link] = base + 1;
        counter = base + 1;
    } else {
        if (in.pairs[1] != in.pairs[2]) {
            std::printf(
                "\n\nWARNING!!!! When using two break-point cross-sections the number of pairs \n            "
                "must be equal, which they are not for link %d.\n\n",
                link);
            if (in.pairs[2] > in.pairs[1])
                std::printf("  ---> Disregarding the last %d pairs of the second cross-section. <---\n\n",
                            in.pairs[2] - in.pairs[1]);
            else
                std::printf("  ---> Disregarding the last %d pairs of the first cross-section. <---\n\n",
                            in.pairs[1] - in.pairs[2]);
        }
        if (in.levels[1] != in.levels[2])
            std::printf(
                "\nUsing the greater of the two number of interpolation points \nfor both cross-section in "
                "link %d.\n",
                link);
        pairs = std::min(in.pairs[1], in.pairs[2]);
        levels = std::max(in.levels[1], in.levels[2]);
        const int first = q[1], last = q[in.count];
        for (int k = 1; k <= in.nodes; ++k)
            c.table_num[k][link] = base + 1 + std::clamp(k, first, last) - first;
        counter = base + last - first + 1;
    }
    set_counts(c, base + 1, counter, pairs, levels);

    std::vector<double> x(static_cast<size_t>(pairs) + 1), y(x.size());
    for (int J = 1; J <= in.count; ++J) {
        const int t = c.table_num[q[J]][link];
        if (!levels_in_range(c.numhts[t], J, link))
            return false;
        for (int k = 1; k <= pairs; ++k) {
            x[static_cast<size_t>(k)] = (*in.x)[k][J];
            y[static_cast<size_t>(k)] = (*in.y)[k][J];
        }
        if (!table_from_points(c, t, x.data(), y.data(), pairs, 1.0 / in.mannings_n, link, J, true, false))
            return false;
    }
    for (int J = 2; J <= in.count; ++J)
        for (int M = q[J - 1] + 1; M < q[J]; ++M)
            interpolated_table(c, link, M, q[J - 1], q[J]);
    return true;
}

bool erodible_link(channel_state& c, const bp_link_sections& in, int& counter)
{
    const int link = in.link;
    const int e = c.bplink[link];
    const int m = in.pairs[1];
    const int* q = in.node_of;
    for (int J = 1; J <= in.count; ++J) {
        if (in.pairs[J] != m || m < 2) {
            std::printf(
                "Error in the channel input file: the cross-sections of erodible break-point link %d must\n"
                "all have the same number of pairs, at least 2 (section 1 has %d, section %d has %d).\n",
                link, m, J, in.pairs[J]);
            chan_stop();
            return false;
        }
    }
    if (!levels_in_range(in.levels[1], 1, link))
        return false;
    const int base = counter;
    for (int k = 1; k <= in.nodes; ++k)
        c.table_num[k][link] = base + k;
    counter = base + in.nodes;
    set_counts(c, base + 1, counter, m, in.levels[1]);

    // Each section resampled to m equally spaced stations at its own node.
    for (int J = 1; J <= in.count; ++J) {
        const dmat& X = *in.x;
        const dmat& Y = *in.y;
        double xmin = X[1][J], xmax = X[1][J];
        for (int k = 2; k <= m; ++k) {
            xmin = std::min(xmin, X[k][J]);
            xmax = std::max(xmax, X[k][J]);
        }
        double* xs = c.xbp_lnn[e][q[J]];
        double* ys = c.ybp_lnn[e][q[J]];
        for (int p = 1; p <= m; ++p) {
            const double xp = xmin + (p - 1) * (xmax - xmin) / (m - 1);
            xs[p] = xp;
            if (p == 1 || p == m) {
                ys[p] = p == 1 ? Y[1][J] : Y[m][J];
                continue;
            }
            int k = 1;
            while (k < m && X[k][J] < xp)
                ++k;
            ys[p] =
                k == 1 ? Y[1][J]
                       : Y[k - 1][J] + (xp - X[k - 1][J]) * (Y[k][J] - Y[k - 1][J]) / (X[k][J] - X[k - 1][J]);
        }
    }
    // Other nodes: copies beyond the first and last section, linear in node
    // number between two sections.
    for (int k = 1; k <= in.nodes; ++k) {
        int below = 0, above = 0;
        for (int J = 1; J <= in.count; ++J) {
            if (q[J] <= k)
                below = q[J];
            if (q[J] >= k && above == 0)
                above = q[J];
        }
        if (below == k)
            continue;
        const int from = below ? below : above;
        const int to = above ? above : below;
        const double f = from == to ? 0.0 : static_cast<double>(k - from) / (to - from);
        for (int p = 1; p <= m; ++p) {
            c.xbp_lnn[e][k][p] = c.xbp_lnn[e][from][p] + f * (c.xbp_lnn[e][to][p] - c.xbp_lnn[e][from][p]);
            c.ybp_lnn[e][k][p] = c.ybp_lnn[e][from][p] + f * (c.ybp_lnn[e][to][p] - c.ybp_lnn[e][from][p]);
        }
    }
    // The first node whose table fails stops the link (and the run).
    for (int k = 1; k <= in.nodes; ++k) {
        build_node_xsec_table(c, link, k, 1.0 / in.mannings_n);
        if (run_stopped())
            return false;
    }
    return true;
}

} // namespace

bool build_breakpoint_tables(channel_state& c, const bp_link_sections& in, int& table_counter)
{
    if ((in.type & 2) && c.bplink[in.link] > 0)
        return erodible_link(c, in, table_counter);
    return surveyed_link(c, in, table_counter);
}

void build_node_xsec_table(channel_state& c, int link, int node, double inv_n)
{
    const int e = c.bplink[link];
    const int t = c.table_num[node][link];
    if (e < 1 || t < 1)
        return;
    table_from_points(c, t, c.xbp_lnn[e][node], c.ybp_lnn[e][node], c.numpairs[t], inv_n, link, node, false,
                      true);
}
