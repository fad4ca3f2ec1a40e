// Seepage between the channels and the aquifer beneath them, per channel
// node, and through the beds of channel lakes, per lake cell. A reach loses
// through its bed by the water depth when the water table lies below the
// bed, and exchanges by the difference between the water table and the
// water surface otherwise.
#include <cmath>
#include <cstdio>
#include <limits>

#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

bool has(int bits, int flag)
{
    return (bits & flag) != 0;
}

// The aquifer bottom under a cell. A static water table without a simulated
// aquifer or soil columns has no bottom map: the aquifer is then never
// taken to have run dry.
double aquifer_bottom(const model_state& s, int cell)
{
    return cell <= s.bottom_elev.size() ? s.bottom_elev[cell] : -std::numeric_limits<double>::infinity();
}

void lake_beds(model_state& s)
{
    const double dx = s.gridsize;
    for (int i = 1; i <= s.num_cells; ++i) {
        const int n = s.lake_mask.size() >= i ? s.lake_mask[i] : 0;
        // Outside the lakes, and under a lake without a bed (no MLAKE),
        // nothing passes.
        if (n <= 0 || n > s.lake_bed_thick.size() || !(s.lake_bed_thick[n] > 0.0)) {
            s.lake_gw_rate[i] = 0.0;
            continue;
        }
        const double k = s.dist_ksat[i];
        const double b = s.lake_bed_thick[n] / 100.0;
        const double level = s.lake_elev[n];
        const double ground = s.ground_elev[i];
        const double losing = -(level - ground) * k / b * dx;
        if (!s.water_table) {
            if (level - ground > 1e-16)
                s.lake_gw_rate[i] = losing;
        } else if (!s.gw_simulation || s.gwbound[i] == 7) {
            const double head = s.elevgw[i];
            const double bottom = aquifer_bottom(s, i);
            if (head <= ground || head - bottom <= 0.01) {
                if (bottom < level && level - ground > 1e-16)
                    s.lake_gw_rate[i] = losing;
            } else {
                s.lake_gw_rate[i] = (head - level) * k / b * dx;
            }
        } else {
            s.lake_gw_rate[i] = 0.0;
        }
    }
}

// The entry's link takes part in the exchange.
bool takes_part(const model_state& s, int link, int node)
{
    const int t = s.ltype[link];
    if (has(t, 32) || has(t, 64) || (has(t, 128) && (has(t, 4) || has(t, 8) || has(t, 16))))
        return false;
    return !s.chan_lakes || node <= s.nx[link];
}

// Top width of break-point table t at depth y; false when t is not a
// table (reported).
bool table_width(const model_state& s, int t, double y, double& p)
{
    if (t > s.num_bp_tables || t < 1) {
        std::fprintf(stderr, "Error in section: Request for table beyond max. table number.\n");
        error_set(err_stop);
        report_error(error_state);
        return false;
    }
    const double sp = s.ht_spc[t];
    const int n = s.numhts[t];
    if (y < sp) {
        p = s.xtw[1][t] * std::pow(y / sp, 5.0 / 3.0);
    } else if (y <= n * sp) {
        const int j = static_cast<int>(std::floor(y / sp));
        const int j1 = j + 1 > n ? n : j + 1;
        p = s.xtw[j][t] + (s.xtw[j1][t] - s.xtw[j][t]) * (y - j * sp) / sp;
    } else {
        p = s.xtw[n][t] + (s.xtw[n][t] - s.xtw[n - 1][t]) * (y - n * sp) / sp;
    }
    return true;
}

} // namespace

int stream_gw_exchange(model_state& s)
{
    if (s.lake_gw_exchange == 1)
        lake_beds(s);
    if (!s.stream_loss)
        return 0;
    const bool table = s.water_table != 0;
    const bool heads_by_type = table && s.gw_simulation;
    const double* head = s.elevgw.data();

    // Regime of the reach: losing, or gaining where a head stands above
    // a water surface.
    bool marked = false;
    for (int gc = 1; gc <= s.gst_ncells; ++gc) {
        bool gaining = false;
        for (int e = 1; e <= s.gst_ncellsingrid[gc]; ++e) {
            const int link = s.gst_link[gc][e], node = s.gst_node[gc][e], cell = s.gst_gnum[gc][e];
            if (!takes_part(s, link, node))
                continue;
            const double bed = s.bel[node][link], d = s.chan_depth[node][link];
            if (!table) {
                if (d > 1e-16) {
                    marked = gaining = true;
                    break;
                }
                continue;
            }
            if (heads_by_type && s.gwbound[cell] != 4)
                continue;
            const double h = head[cell], w = bed + d, z = aquifer_bottom(s, cell);
            if (h <= bed) {
                marked = marked || d > 1e-6;
            } else if (h <= w || h - z <= 0.01) {
                marked = true;
            } else {
                marked = gaining = true;
                break;
            }
        }
        if (gaining)
            break;
    }
    for (int l = 1; l <= s.num_links; ++l)
        for (int k = 1; k <= s.og_nx1[l]; ++k)
            s.qriv[k][l] = 0.0;
    for (int gc = 1; gc <= s.gst_ncells; ++gc)
        for (int e = 1; e <= s.gst_ncellsingrid[gc]; ++e)
            s.gst_qriv[gc][e] = 0.0;
    if (!marked)
        return 0;

    int result = 0;
    for (int gc = 1; gc <= s.gst_ncells; ++gc)
        for (int e = 1; e <= s.gst_ncellsingrid[gc]; ++e) {
            const int link = s.gst_link[gc][e], node = s.gst_node[gc][e], cell = s.gst_gnum[gc][e];
            if (!takes_part(s, link, node))
                continue;
            const double bed = s.bel[node][link], d = s.chan_depth[node][link];
            const double h = head[cell], w = bed + d;
            double y = d;
            if (!table && d <= 1e-6)
                y = 0.0;
            if (table && h <= bed && d <= 1e-6)
                y = 0.0;
            if (table && w < h)
                y = h - bed;
            const int t = s.ltype[link];
            double p = 0.0;
            if (has(t, 4)) {
                p = s.bottom[node][link] + 2.0 * s.sslope[node][link] * y;
            } else if (has(t, 16)) {
                p = s.bottom[node][link] + 2.0 * s.sslope[node][link] * y;
                const double full = s.bankfull_dep[node][link];
                if (y > full)
                    p += 2.0 * s.sslope2[node][link] * (y - full);
            } else if (has(t, 8)) {
                if (!table_width(s, s.table_num[node][link], y, p))
                    return 0;
            }
            const double k = s.Krb[node][link] / 3600.0, m = s.Mrb[node][link];
            double q = 0.0;
            if (!table) {
                q = d <= 1e-16 ? 0.0 : -(d * k / m) * p;
            } else if (!heads_by_type || s.gwbound[cell] == 4) {
                if (h <= bed)
                    q = d <= 1e-6 ? 0.0 : -(d * k / m) * p;
                else if (h <= w || h - aquifer_bottom(s, cell) >= 0.01)
                    q = h < s.ground_elev[cell] || h >= w ? (k / m) * (h - w) * p : 0.0;
            }
            s.gst_qriv[gc][e] = q;
            double& node_q = s.qriv[node][link];
            node_q += s.gst_pct[gc][e] * q;
            if (std::isnan(node_q)) {
                node_q = 0.0;
                std::printf("qriv in node %ld link %ld is not a number\n", static_cast<long>(node),
                            static_cast<long>(link));
                std::printf("qriv set to zero in this node \n");
                std::printf("check your input \n");
            }
            if (node_q > 0.0)
                result = 1;
            else if (result != 1 && node_q < 0.0 && d > 0.0)
                result = 2;
        }
    return result;
}
