// Lateral sediment of the overland-channel exchange: what the overland
// sediment step left suspended or settled in a channel cell goes with the
// cell's share of each grid-stream entry into the entry's channel node.
// The shares are of the volumes the cell held before its first entry, so
// that shares summing to 1 empty the cell. With SEDIMENT_CONTAM the
// constituent mass attached to that sediment goes with it into the node's
// lateral attached inflow.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "quality/chan_sediment.h"
#include "quality/sed_contam.h"

namespace
{

// Number of constituents whose attached mass moves with the lateral
// sediment (0 without SEDIMENT_CONTAM or before its rows exist).
int attached_count(const model_state& s)
{
    if (!s.sediment_contam)
        return 0;
    const int n = std::min({s.num_constituents, s.sed_con_mass.count, s.sed_con_class.count,
                            s.sed_con_chan_deposit.count, s.sed_con_work.count, s.chan_qlat_sed_mass.count,
                            s.chan_qlat_mass_event.size(), s.chan_qlat_mass_total.size()});
    if (s.sed_con_mass.width < s.num_cells || s.sed_con_chan_deposit.width < s.num_cells ||
        s.sed_con_work.width < s.num_cells || s.sed_con_class.rows < s.num_cells ||
        s.sed_con_class.cols < s.sed.num_sed || s.chan_qlat_sed_mass.cols < s.sed.num_sed)
        return 0;
    return std::max(n, 0);
}

// The part of the soil's sorbed mass of constituent i in cell `cell` that
// older deposits of fine volume v take along: the mixing layer's sorbed
// concentration times v, never more than the sorbed mass the soil will have.
double from_soil(const model_state& s, int i, int cell, double v)
{
    if (v <= 1e-16 || i > s.soil_mass.count || i > s.soil_sed_con.count || cell > s.soil_mass.rows ||
        cell > s.soil_sed_con.rows || s.soil_mass.cols < 1 || s.soil_sed_con.cols < 1)
        return 0.0;
    const double mass = s.soil_mass.table[i][cell][1];
    const double dissolved = s.soil_sed_con.table[i][cell][1];
    const double Cs = soil_sorbed_conc(s, cell, mass, dissolved);
    if (std::isnan(Cs))
        return 0.0;
    const double sorbed = std::max(mass * (1.0 - dissolved) + s.sed_con_work[i][cell], 0.0);
    return std::min(Cs * v, sorbed);
}

// The attached mass that goes with the fraction f of the sediment of cell
// `cell` into flat node j, for every constituent: the suspended fine
// sediment carries its class concentration (never more than the share f of
// what the cell holds); the deposits laid down since the last channel step
// the share f of the mass laid down with them, and older deposits, which
// lie in the soil, the soil's sorbed concentration; spread over the fine
// classes by the deposited volume moved. Runs before the volumes are taken
// from the cell.
void attached_to_node(model_state& s, const sed_tally* vol, int cell, int j, double f, int constituents)
{
    const int n = s.sed.num_sed;
    if (j > s.chan_qlat_sed_mass.rows)
        return;
    double deposited = 0.0;
    int first_fine = 0;
    for (int k = 1; k <= n; ++k) {
        if (s.sand[k])
            continue;
        deposited += f * vol[k].deposited;
        if (!first_fine)
            first_fine = k;
    }
    if (!first_fine)
        return;
    double* laid_vol =
        s.sed_con_chan_deposit_vol.size() >= cell ? &s.sed_con_chan_deposit_vol[cell] : nullptr;
    const double fresh = laid_vol ? std::min(f * *laid_vol, deposited) : 0.0;
    const double older = deposited - fresh;
    if (laid_vol)
        *laid_vol -= f * *laid_vol;
    for (int i = 1; i <= constituents; ++i) {
        const double* conc = s.sed_con_class.table[i][cell];
        double suspended = 0.0;
        for (int k = 1; k <= n; ++k)
            if (!s.sand[k])
                suspended += f * vol[k].suspended * conc[k];
        // Never more than the entry's share of what the cell holds.
        double& held = s.sed_con_mass[i][cell];
        const double share = f * std::max(held, 0.0);
        const double scale = suspended > share ? share / suspended : 1.0;
        double& laid = s.sed_con_chan_deposit[i][cell];
        const double soil = from_soil(s, i, cell, older);
        const double with_deposits = f * laid + soil;
        double* into = s.chan_qlat_sed_mass.table[i][j];
        for (int k = 1; k <= n; ++k) {
            if (s.sand[k])
                continue;
            double x = f * vol[k].suspended * conc[k] * scale;
            if (deposited > 1e-16)
                x += with_deposits * f * vol[k].deposited / deposited;
            else if (k == first_fine)
                x += with_deposits;
            into[k] += x;
            into[0] += x;
        }
        const double moved = suspended * scale + with_deposits;
        held -= suspended * scale;
        laid -= f * laid;
        s.sed_con_work[i][cell] -= soil;
        s.chan_qlat_mass_event[i] += moved / 1000.0;
        s.chan_qlat_mass_total[i] += moved / 1000.0;
    }
}

// The mass laid down with a channel cell's deposits that stayed on the land
// joins the soil with them, and those deposits count as the soil's.
void settle_chan_deposits(model_state& s)
{
    if (s.sed_con_chan_deposit_vol.size() >= s.num_cells)
        for (int m = 1; m <= s.gst_ncells; ++m)
            for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
                const int c = s.gst_gnum[m][e];
                if (c >= 1 && c <= s.num_cells)
                    s.sed_con_chan_deposit_vol[c] = 0.0;
            }
    const int n = std::min({s.num_constituents, s.sed_con_chan_deposit.count, s.sed_con_work.count});
    if (s.sed_con_chan_deposit.width < s.num_cells || s.sed_con_work.width < s.num_cells)
        return;
    for (int i = 1; i <= n; ++i) {
        double* laid = s.sed_con_chan_deposit[i];
        double* work = s.sed_con_work[i];
        for (int m = 1; m <= s.gst_ncells; ++m)
            for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
                const int c = s.gst_gnum[m][e];
                if (c >= 1 && c <= s.num_cells && laid[c] != 0.0) {
                    work[c] += laid[c];
                    laid[c] = 0.0;
                }
            }
    }
}

// The attached mass that the wash-load volume v of class cls takes from
// flat node j onto cell `cell` when water leaves the node over the bank: at
// the node's attached concentration, never more than the node holds with
// what is already queued for it. Booked as negative lateral inflow.
void attached_off_node(model_state& s, int cell, int j, int cls, double v, int constituents)
{
    matrix_stack& lateral = s.chan_qlat_sed_mass;
    const matrix_stack& conc = s.chan_sed_contam_node_conc;
    if (j > conc.rows || cls > conc.cols)
        return;
    for (int m = 1; m <= constituents && m <= conc.count && m <= s.chan_tot_node_mass.count; ++m) {
        double* queued = lateral.table[m][j];
        const double holds = std::max(s.chan_tot_node_mass[m][j] + queued[0], 0.0);
        const double x = std::min(std::max(conc.table[m][j][cls], 0.0) * v, holds);
        queued[cls] -= x;
        queued[0] -= x;
        s.sed_con_mass[m][cell] += x;
        s.chan_qlat_mass_event[m] -= x / 1000.0;
        s.chan_qlat_mass_total[m] -= x / 1000.0;
    }
}

void overbank_wash(model_state& s, sediment_table& t, int cell, int k, int l, double share, double dt,
                   int attached, bool working_volumes)
{
    const int j = s.node_dim * l + k;
    for (int p = 1; p <= s.num_fine_classes; ++p) {
        const int i = s.sed_class[p];
        double& lateral = s.qlat_sed[k][l][i];
        const double held = std::max(s.ch_wash_vol[k][l][p] + lateral, 0.0);
        const double O = std::max(share * s.link_dx[l] * s.qlat[k][l] * s.SS_node_conc_vol[j][p] * dt, -held);
        lateral += O;
        if (!s.qlat_tot_sed.empty())
            s.qlat_tot_sed[k][l][i] += O;
        for (dvec* a : {&s.chan_sed_in_total, &s.chan_sed_in_event}) {
            (*a)[i] += O;
            (*a)[0] += O;
        }
        t.cell_tally[cell][i].suspended -= O;
        if (attached)
            attached_off_node(s, cell, j, i, -O, attached);
        if (working_volumes) {
            s.ov_sed_vol_susp[cell][i] -= O;
            s.ov_sed_vol_susp[cell][0] -= O;
        }
    }
}

} // namespace

void chan_lateral_sediment(model_state& s, double dt)
{
    if (!s.chan_sed_on || !s.ov_sed || s.qlat_sed.empty())
        return;
    sediment_table& t = *s.ov_sed;
    const int n = s.sed.num_sed;
    const bool have_tot = !s.qlat_tot_sed.empty();
    const int attached = attached_count(s);
    const bool working_volumes =
        attached > 0 && s.ov_sed_vol_susp.rows() >= s.num_cells && s.ov_sed_vol_susp.cols() >= n;
    for (int m = 1; m <= s.gst_ncells; ++m) {
        // Each entry takes its share of the volumes the cell held before its
        // first entry: of what is left, the entry's share of what is left.
        double left = 1.0;
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
            const int l = s.gst_link[m][e], k = s.gst_node[m][e], c = s.gst_gnum[m][e];
            const double share = s.gst_pct[m][e];
            const double f = left > 1e-12 ? std::min(1.0, share / left) : 0.0;
            left -= share;
            if (!routed_link(s, l) || k < 1 || k > s.nx[l])
                continue;
            const int type = s.ltype[l];
            const bool shaped = (type & (4 | 8 | 16)) != 0;
            const bool overbank = s.overbank_flow || (shaped && (type & 256));
            const bool backwater = s.overland_backwater || (shaped && (type & 512));
            if ((overbank || backwater) && s.qlat[k][l] < 1e-16) {
                // Water leaving the channel over the bank carries the
                // node's wash load onto the cell, never more than the node
                // holds with what it was given this step.
                if (overbank && s.qlat[k][l] < -1e-16 && !s.SS_node_conc_vol.empty())
                    overbank_wash(s, t, c, k, l, share, dt, attached, working_volumes);
                continue;
            }
            if (s.ov_depth[c] < 1e-16)
                continue;
            if (attached)
                attached_to_node(s, t.cell_tally[c], c, s.node_dim * l + k, f, attached);
            for (int i = 1; i <= n; ++i) {
                sed_tally& v = t.cell_tally[c][i];
                const double b = f * v.suspended;
                const double d = f * v.deposited;
                const double a = b + d;
                s.chan_sed_in_total[i] += a;
                s.chan_sed_in_event[i] += a;
                if (!s.sand[i]) {
                    s.chan_sed_in_total[0] += a;
                    s.chan_sed_in_event[0] += a;
                }
                double& lateral = s.qlat_sed[k][l][i];
                lateral += a;
                if (have_tot)
                    s.qlat_tot_sed[k][l][i] += a;
                if (std::isnan(lateral)) {
                    std::printf("qlat_sed is not a number, exiting.\n");
                    std::fflush(stdout);
                    error_set(err_stop);
                    report_error(error_state);
                    return;
                }
                v.suspended -= b;
                v.deposited -= d;
                // The attached phase's own copy of the suspended volume.
                if (working_volumes) {
                    double* susp = s.ov_sed_vol_susp[c];
                    susp[i] = std::max(susp[i] - b, 0.0);
                    if (!s.sand[i])
                        susp[0] = std::max(susp[0] - b, 0.0);
                }
            }
        }
    }
    if (s.sediment_contam)
        settle_chan_deposits(s);
}
