// The stage and extent of the overland lakes after a time step's inflow.
// A rising lake spreads over the neighbours whose water surface it
// overtops, taking their water; a falling lake gives back the cells it
// took beyond its initial extent. The lakes are handled one after another
// in number order, so a cell taken by one lake is no longer free for the
// lakes after it.
#include "overland/olake_extent.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"

namespace
{

constexpr double level_tolerance = 0.0001; // m: keys this close form one level group
constexpr double smallest_spread = 1e-10;  // m

// Level groups of the sorted list: the first key of each group and the
// number of entries up to and including it. Keys run upward (rising) or
// downward (falling) from the first entry.
void level_groups(const std::vector<lake_candidate>& list, olake_work& w)
{
    w.levels.clear();
    w.counts.clear();
    for (const lake_candidate& c : list) {
        if (w.levels.empty() || std::fabs(c.key - w.levels.back()) >= level_tolerance) {
            w.levels.push_back(c.key);
            w.counts.push_back(w.counts.empty() ? 1 : w.counts.back() + 1);
        } else {
            ++w.counts.back();
        }
    }
}

// Stage of a rising lake that takes B over candidates grouped in w. Past
// the last group the lake rises with every candidate taken.
double rising_stage(double s, int C, double B, double area, const olake_work& w)
{
    const size_t G = w.levels.size();
    double V = (w.levels[0] - s) * C * area;
    size_t M = 0;
    for (; M + 1 < G; ++M) {
        const double next = V + (C + w.counts[M]) * (w.levels[M + 1] - w.levels[M]) * area;
        if (next > B)
            break;
        V = next;
    }
    return w.levels[M] + (B - V) / ((C + w.counts[M]) * area);
}

// Stage of a falling lake that loses -B with its added cells grouped in w
// (levels downward). Past the last group every listed cell is released.
// False when the lake lacks the water.
bool falling_stage(double s, int C, double B, double area, const olake_work& w, double& stage)
{
    const size_t G = w.levels.size();
    double V = (s - w.levels[0]) * C * area;
    size_t M = 0;
    for (; M + 1 < G; ++M) {
        const double next = V + (C - w.counts[M]) * (w.levels[M] - w.levels[M + 1]) * area;
        if (next > -B)
            break;
        V = next;
    }
    if (V < 0.0)
        return false;
    stage = w.levels[M] + (V + B) / ((C - w.counts[M]) * area);
    return true;
}

// The free neighbours of lake u whose water surface lies below D, each
// cell once.
void rising_candidates(const olake_grid& g, int u, double D, std::vector<lake_candidate>& list)
{
    list.clear();
    for (int i = 1; i <= g.n; ++i) {
        if (g.current[i] != u)
            continue;
        const int nb[4] = {g.above[i], g.right[i], g.below[i], g.left[i]};
        const int code[4] = {1, 2, 4, 8};
        for (int k = 0; k < 4; ++k) {
            const int j = nb[k];
            if (j == 0 || g.current[j] != 0 || (g.dike && (g.dike[i] & code[k])))
                continue;
            const double key = g.z[j] + g.h[j];
            if (key < D)
                list.push_back({key, j});
        }
    }
    // A cell reached across two sides counts once.
    std::sort(list.begin(), list.end(),
              [](const lake_candidate& a, const lake_candidate& b) { return a.cell < b.cell; });
    list.erase(std::unique(list.begin(), list.end(),
                           [](const lake_candidate& a, const lake_candidate& b) { return a.cell == b.cell; }),
               list.end());
    sort2(list);
}

} // namespace

bool olake_extent(const olake_grid& g, std::vector<ov_lake>& lakes, double& inflow_total, double& outflow_total,
                  olake_work& w)
{
    const double area = g.dx * g.dx;
    const int count = static_cast<int>(lakes.size()) - 1;
    for (int u = 1; u <= count; ++u) {
        ov_lake& L = lakes[static_cast<size_t>(u)];
        const int C = L.num_cells;
        if (C <= 0)
            continue; // a lake without cells receives nothing
        const double rain = L.step_rain;
        const double B = L.volume_in + rain;
        // The rain is already in the inflow total.
        auto book = [&](double gained) {
            const double x = gained - rain;
            if (x >= 0.0)
                inflow_total += x;
            else
                outflow_total -= x;
        };
        const double a = B / (C * area);
        const double D = L.stage + a;

        if (D < L.stage_init || std::fabs(a) < smallest_spread) {
            // The stage holds, at the initial stage at least; the water
            // already moved stays booked. Held at the initial stage, the lake
            // gives back the added cells that stand above it.
            if (D < L.stage_init) {
                L.stage = L.stage_init;
                for (int i = 1; i <= g.n; ++i) {
                    if (g.current[i] == u && g.initial[i] < 1 && g.z[i] > L.stage) {
                        g.current[i] = 0;
                        --L.num_cells;
                    }
                }
            }
            L.volume += B;
            book(B);
            continue;
        }

        if (a > 0.0) {
            rising_candidates(g, u, D, w.candidates);
            if (w.candidates.empty()) {
                L.stage = D;
                L.volume += B;
                book(B);
                continue;
            }
            level_groups(w.candidates, w);
            const double O = rising_stage(L.stage, C, B, area, w);
            double W = 0.0;
            for (const lake_candidate& c : w.candidates) {
                if (!(g.z[c.cell] < O))
                    continue;
                W += area * g.h[c.cell];
                g.h[c.cell] = 0.0;
                g.current[c.cell] = u;
                ++L.num_cells;
            }
            L.stage = O;
            L.volume += B + W;
            book(B + W);
            continue;
        }

        // Falling lake.
        book(B);
        bool above = false;
        for (int i = 1; i <= g.n && !above; ++i)
            above = g.current[i] == u && g.z[i] > D;
        if (!above) {
            L.stage = D;
            L.volume += B;
            continue;
        }
        std::vector<lake_candidate>& list = w.candidates;
        list.clear();
        for (int i = 1; i <= g.n; ++i)
            if (g.current[i] == u && g.initial[i] < 1)
                list.push_back({-g.z[i], i}); // highest ground first
        if (list.empty()) {
            L.stage = D;
            L.volume += B;
            continue;
        }
        sort2(list);
        for (lake_candidate& c : list)
            c.key = -c.key;
        level_groups(list, w);
        double O = 0.0;
        if (!falling_stage(L.stage, C, B, area, w, O)) {
            std::printf("Not enough volume in lake %d to satisfy drainage demand.\n", u);
            std::printf("Program stopped in olake_extent.c\n");
            error_set(err_stop);
            report_error(error_state);
            return false;
        }
        if (O < L.stage_init)
            O = L.stage_init;
        for (const lake_candidate& c : list) {
            if (g.z[c.cell] > O) {
                g.current[c.cell] = 0;
                --L.num_cells;
            }
        }
        L.stage = O;
        L.volume += B;
    }
    return true;
}
