// Bed change of erodible break-point sections: the sand volume a node gained
// or lost since its reference volume becomes a new section profile whose
// area change times the node spacing equals the volume, and a new bed
// elevation that never goes below the run's floor.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "channel/channel_input.h"
#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

constexpr int max_wet_segments = 49;
constexpr int max_iterations = 500;
constexpr double volume_tolerance = 1e-5;

void stop_update()
{
    error_set(err_stop);
    report_error(error_state);
}

bool erodible_breakpoint(const model_state& s, int l)
{
    return (s.ltype[l] & 8) && (s.ltype[l] & 2);
}

struct segment {
    int first;
    int last;
};

// Updates node i of link l; false when the run must stop.
bool update_node(model_state& s, int l, int i, std::vector<double>& x, std::vector<double>& y,
                 std::vector<double>& y0)
{
    const int e = s.bplink[l];
    const int t = s.table_num[i][l];
    if (e < 1 || t < 1)
        return true;
    const int m = s.numpairs[t];
    const double d = s.ht_spc[t];
    const double dx = s.link_dx[l];
    double V = (s.ch_sand_vol0[e][i] - s.ch_sand_vol[i][l][0]) / (1.0 - s.sed_porosity);
    if (std::fabs(V) <= 1e-16 || (V > 1e-16 && !(s.new_bel[i][l] > s.min_bel[i][l])))
        return true;

    for (int k = 1; k <= m; ++k) {
        x[k] = s.xbp_lnn[e][i][k];
        y0[k] = y[k] = s.ybp_lnn[e][i][k];
    }
    const double D = s.max_yp[e][i] - s.bel[i][l];
    if (D < 0.0) {
        std::printf("In ex_section - 3\n");
        std::printf("program stopped for negative depth, node %d, link %d\n", i, l);
        return false;
    }
    double ymin = y0[1];
    for (int k = 2; k <= m; ++k)
        ymin = std::min(ymin, y0[k]);
    const int n = std::min(static_cast<int>(D / d) + 1, s.numhts[t]);
    double dz = V / (s.xp[n][t] * dx);
    bool capped = false;
    if (std::fabs(dz) > D) {
        capped = true;
        std::printf("In xsec_update - 3\n");
        std::printf(
            "It is impossible that change of stream bed elevation is greater than maximum channel depth\n");
        std::printf("Setting the change in stream bed elevation equal to the depth of the channel\n");
        dz = dz < -1e-16 ? -D : D;
        V = s.xp[n][t] * dx * dz;
    }

    // Wet segments of the section at the level n d above its lowest point.
    const double w = n * d + ymin;
    std::vector<segment> wet;
    bool open = false;
    int opened_at = 0;
    for (int k = 1; k <= m; ++k) {
        if (!open && y0[k] <= w) {
            if (static_cast<int>(wet.size()) == max_wet_segments) {
                std::printf("There is a serious problem with a channel cross-section in\n");
                std::printf("link %d.  The cross-section interpolation routine has found\n", l);
                std::printf("that this cross-section is very jagged, with over 50 'islands'\n");
                std::printf("for certain depths.  Calculating cross-section properties in\n");
                std::printf("this case is very dubious.  Check your cross section, smooth\n");
                std::printf("it if necessary and try again.\n");
                return false;
            }
            wet.push_back({std::max(1, k - 1), m});
            open = true;
            opened_at = k;
        } else if (open && k != opened_at && y0[k] >= w) {
            wet.back().last = k;
            open = false;
        }
    }

    // Move the wet points by dz, less near the top of the section, until
    // the area change times the spacing matches the volume. Each pass
    // corrects dz by the missing volume over the wetted perimeter.
    const bool erosion = V >= 0.0;
    for (int iteration = 1;; ++iteration) {
        double A = 0.0, P = 0.0;
        for (const segment& sg : wet) {
            for (int k = sg.first + 1; k <= sg.last; ++k) {
                const double f = std::min(1.0, (y0[k] - ymin) / D);
                y[k] = y0[k] - (1.0 - (erosion ? f : std::sqrt(std::max(f, 0.0)))) * dz;
            }
            for (int k = sg.first + 1; k <= sg.last; ++k) {
                A += ((y0[k] - y[k]) + (y0[k - 1] - y[k - 1])) * (x[k] - x[k - 1]) / 2.0 * dx;
                P += std::hypot(x[k] - x[k - 1], y[k] - y[k - 1]);
            }
        }
        // A change cut to the full depth moves the points once, by that depth.
        if (capped || std::fabs((A - V) / V) <= volume_tolerance)
            break;
        if (iteration >= max_iterations || !(P > 0.0)) {
            std::printf("In xsec_update- \n");
            std::printf("program stopped for difficulty in convergence, node %d, link %d\n", i, l);
            return false;
        }
        dz += (V - A) / (P * dx);
    }

    double lowest = y[1];
    for (int k = 2; k <= m; ++k)
        lowest = std::min(lowest, y[k]);
    s.new_bel[i][l] = std::max(s.new_bel[i][l] + lowest - ymin, s.min_bel[i][l]);

    if (s.sed.adjust_channel_bed) {
        for (int k = 1; k <= m; ++k) {
            s.xbp_lnn[e][i][k] = x[k];
            s.ybp_lnn[e][i][k] = y[k];
        }
        s.bel[i][l] = s.new_bel[i][l];
        build_node_xsec_table(s, l, i, s.inv_mannings_n[l]);
        if (run_stopped())
            return false;
    }
    return true;
}

} // namespace

bool has_erodible_breakpoint_link(const model_state& s)
{
    for (int l = 1; l <= s.num_links && l <= s.ltype.size(); ++l)
        if (erodible_breakpoint(s, l))
            return true;
    return false;
}

void xsec_update(model_state& s)
{
    // The floor of the bed is fixed at the run's first update; the bed
    // after erosion and deposition starts from the bed as read.
    if (s.min_bel.empty()) {
        s.min_bel.assign(s.bel.rows(), s.bel.cols(), 0.0);
        for (int l = 0; l <= s.bel.cols(); ++l)
            for (int n = 0; n <= s.bel.rows(); ++n)
                s.min_bel[n][l] =
                    s.bel[n][l] - (n <= s.max_eros.rows() && l <= s.max_eros.cols() && !s.max_eros.empty()
                                       ? s.max_eros[n][l]
                                       : 0.0);
    }
    if (s.new_bel.empty()) {
        s.new_bel.assign(s.bel.rows(), s.bel.cols(), 0.0);
        for (int l = 0; l <= s.bel.cols(); ++l)
            for (int n = 0; n <= s.bel.rows(); ++n)
                s.new_bel[n][l] = s.bel[n][l];
    }
    int most_pairs = 0;
    for (int t = 1; t <= s.numpairs.size(); ++t)
        most_pairs = std::max(most_pairs, s.numpairs[t]);
    std::vector<double> x(most_pairs + 1), y(most_pairs + 1), y0(most_pairs + 1);
    for (int l = 1; l <= s.num_links; ++l) {
        if (!erodible_breakpoint(s, l))
            continue;
        for (int i = 1; i <= s.nx[l]; ++i) {
            if (!update_node(s, l, i, x, y, y0)) {
                stop_update();
                return;
            }
        }
    }
}
