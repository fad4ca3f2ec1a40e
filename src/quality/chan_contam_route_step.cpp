// The dissolved channel constituents' routing step: for every constituent
// the loads become node and lake source rates, the routing scheme moves the
// mass through the links and lakes, and every term is booked into the
// channel, lake and global balances. Constituents are routed independently,
// each by one thread in that thread's work record, so results do not depend
// on the thread count.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <omp.h>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "quality/chan_route_sources.h"
#include "quality/chan_route_state.h"
#include "quality/quality_steps.h"

namespace
{

constexpr double seconds_per_day = 86400.0;
constexpr double kg = 1000.0;

// A step accumulator (g) into its run, event and global totals (kg).
void book(dvec& dmt, int i, dvec* run, dvec* event, double* global)
{
    const double v = dmt[i] / kg;
    if (run)
        (*run)[i] += v;
    if (event && i <= event->size())
        (*event)[i] += v;
    if (global)
        *global += v;
    dmt[i] = 0.0;
}

struct route_fault {
    int collapsed = 0; // constituent whose sub-step collapsed
    int nan_node = 0, nan_node_c = 0, nan_lake = 0, nan_lake_c = 0;
};

// Routes constituent i in work record w; returns what went wrong.
route_fault route_one(model_state& s, chan_wq_work& w, int i, double dt)
{
    route_fault fault;
    const chan_wq_net& net = s.wq_net;
    const int nd = net.node_dim;
    const int L = s.num_links;
    const int outlet = L >= 1 ? nd * L + s.nx[L] : -1;
    double* conc = s.chan_conc[i];
    double* mass = s.chan_node_mass[i];
    const double* disp = s.chan_node_disp[i];
    // Summed here and booked once: neighbouring constituents' accumulators
    // share cache lines across threads.
    chan_source_terms taken;
    for (int l = L; l >= 1; --l) {
        if (net.kind[l] != wq_routed)
            continue;
        for (int n = net.nodes[l]; n >= 1; --n) {
            const int j = nd * l + n;
            w.C[j] = conc[j];
            w.M[j] = mass[j];
            w.K[j] = disp[j];
            w.S[j] = chan_con_sources(s, i, j, dt, j == outlet, taken);
        }
    }
    s.chan_point_dmt[i] += taken.point;
    s.chan_outlet_dmt[i] += taken.outlet;
    s.chan_ov_dmt[i] += taken.ov;
    s.chan_gw_dmt[i] += taken.gw;
    s.chan_decay_dmt[i] += taken.decay;
    s.chan_qbn_gain_dmt[i] += taken.qbn_gain;
    s.chan_qbn_loss_dmt[i] += taken.qbn_loss;
    s.chan_sed_exchange_dmt[i] += taken.sed;
    for (int k = 1; k <= net.lakes; ++k) {
        w.lake_C[k] = s.lake_conc[i][k];
        w.lake_M[k] = s.lake_mass[i][k];
        w.lake_S[k] = lake_con_sources(s, i, k, dt);
    }
    if (chan_wq_route(net, s, w, dt) < 0) {
        fault.collapsed = i;
        return fault;
    }
    // Back into the state. A node without water keeps no mass, and no mass
    // stays negative; what that takes away is booked.
    double removed = w.removed;
    double* flux = s.dissolved_chan_flux[i];
    for (int l = 1; l <= L; ++l) {
        if (net.kind[l] != wq_routed)
            continue;
        for (int n = 1; n <= net.nodes[l]; ++n) {
            const int j = nd * l + n;
            double m = w.M[j], c = w.C[j];
            if ((s.area[n][l] <= 0.0 && m > 0.0) || m < 0.0) {
                removed += m;
                m = c = 0.0;
            }
            if (std::isnan(m) && !fault.nan_node) {
                fault.nan_node = j;
                fault.nan_node_c = i;
            }
            mass[j] = m;
            conc[j] = c;
            flux[j] = w.Fa[j] / dt;
            if (s.sediment_contam) {
                double& total = s.chan_tot_node_mass[i][j];
                total += m;
                if (total < 0.0)
                    total = 0.0;
            }
        }
    }
    double lake_removed = 0.0;
    for (int k = 1; k <= net.lakes; ++k) {
        double m = w.lake_M[k], c = w.lake_C[k];
        if (m < 0.0) {
            lake_removed += m;
            m = c = 0.0;
        }
        if (std::isnan(m) && !fault.nan_lake) {
            fault.nan_lake = k;
            fault.nan_lake_c = i;
        }
        s.lake_mass[i][k] = m;
        s.lake_conc[i][k] = c;
        // The lake's total of both phases takes the routed dissolved mass back.
        if (s.sediment_contam && i <= s.lake_tot_mass.count && k <= s.lake_tot_mass.width)
            s.lake_tot_mass[i][k] = std::max(s.lake_tot_mass[i][k] + m, 0.0);
        s.lake_chan_inflow_mass[i][k] += w.lake_in[k];
        s.lake_chan_outflow_mass[i][k] += w.lake_out[k];
    }
    s.chan_to_lake_dmt[i] += w.to_lake;
    s.lake_outlet_dmt[i] += w.lake_outlet;
    s.chan_clip_mass_total[i] += removed / kg;
    s.chan_clip_mass_event[i] += removed / kg;
    if (net.lakes > 0) {
        s.lake_clip_mass_total[i] += lake_removed / kg;
        s.lake_clip_mass_event[i] += lake_removed / kg;
    }
    if (outlet >= 0)
        flux[outlet] = s.chan_outlet_dmt[i] / dt;

    book(s.chan_outlet_dmt, i, &s.chan_outlet_flux_total, &s.chan_outlet_flux_event, &s.GLOBAL_MASS_OUT[i]);
    book(s.chan_point_dmt, i, &s.chan_point_mass_total, &s.chan_point_mass_event, &s.GLOBAL_POINT_SOURCE[i]);
    book(s.chan_decay_dmt, i, &s.chan_decay_mass_total, &s.chan_decay_mass_event, &s.GLOBAL_MASS_DECAY[i]);
    book(s.chan_ov_dmt, i, &s.chan_ov_mass_total, &s.chan_ov_mass_event, nullptr);
    book(s.chan_gw_dmt, i, &s.chan_gw_mass_total, &s.chan_gw_mass_event, &s.GLOBAL_GW_MASS[i]);
    book(s.chan_sed_exchange_dmt, i, &s.chan_sed_exchange_total, &s.chan_sed_exchange_event, nullptr);
    book(s.chan_qbn_gain_dmt, i, &s.chan_qbn_gained_total, &s.chan_qbn_gained_event,
         &s.global_qbn_gain_mass[i]);
    book(s.chan_qbn_loss_dmt, i, &s.chan_qbn_lost_total, &s.chan_qbn_lost_event, &s.global_qbn_loss_mass[i]);
    if (!s.chan_lakes)
        return fault;
    book(s.chan_to_lake_dmt, i, &s.chan_to_lake_mass_total, &s.chan_to_lake_mass_event, nullptr);
    book(s.lake_outlet_dmt, i, &s.lake_outlet_mass_total, &s.lake_outlet_mass_event, nullptr);
    book(s.lake_point_dmt, i, &s.lake_point_mass_total, &s.lake_point_mass_event, &s.GLOBAL_POINT_SOURCE[i]);
    book(s.lake_decay_dmt, i, &s.lake_decay_mass_total, &s.lake_decay_mass_event, &s.GLOBAL_MASS_DECAY[i]);
    book(s.lake_gw_dmt, i, &s.lake_gw_mass_total, &s.lake_gw_mass_event, &s.GLOBAL_GW_MASS[i]);
    book(s.lake_precip_dmt, i, &s.lake_precip_mass_total, &s.lake_precip_mass_event,
         &s.global_precip_mass[i]);
    book(s.lake_chan_exchange_dmt, i, &s.lake_chan_exchange_total, &s.lake_chan_exchange_event, nullptr);
    book(s.lake_ov_dmt, i, &s.lake_ov_mass_total, &s.lake_ov_mass_event, nullptr);
    const double q = s.lake_qbn_dmt[i] / kg;
    if (q > 0.0) {
        s.lake_qbn_gained_total[i] += q;
        s.global_qbn_gain_mass[i] += q;
    } else {
        s.lake_qbn_lost_total[i] -= q;
        s.global_qbn_loss_mass[i] -= q;
    }
    s.lake_qbn_dmt[i] = 0.0;
    if (s.sediment_contam)
        book(s.lake_sed_contam_dmt, i, &s.LAKE_SED_CONTAM_SOURCE_MASS, &s.event_lake_sed_contam_source_mass,
             nullptr);
    return fault;
}

} // namespace

void chan_contam_route_step(model_state& s)
{
    if (!s.chan_con_trans || !process_due(s, s.chan_con_next))
        return;
    const double now = s.current_time;
    const double dt = (now - s.chan_con_last) * seconds_per_day;
    s.chan_con_last = now;
    s.chan_con_next = s.chan_next;
    // At the run's first time no time has passed: the water the channel
    // moved stays in qp_vol for the next step.
    if (dt <= 1e-9)
        return;
    {
        if (!chan_wq_sized(s) && !chan_wq_setup(s, static_cast<int>(s.wq_work.size()))) {
            error_set(err_stop);
            return;
        }
        chan_wq_net_fill(s, s.wq_net);
        // The accumulators are sized with the channel constituents.
        const int nc = std::min(
            {s.num_constituents, s.constituent_type.cap, s.chan_outlet_dmt.size(), s.chan_conc.count});
        // No more threads than constituents: a thread without one would
        // still have to reach the closing barrier, which on a busy machine
        // costs more than the routing of a small network.
        const int threads = std::max(1, std::min(static_cast<int>(s.wq_work.size()), nc));
        route_fault found;
#pragma omp parallel num_threads(threads) if (static_cast<long>(nc) * s.link_node_cells >= parallel_min_cells)
        {
            chan_wq_work& w = s.wq_work[static_cast<std::size_t>(omp_get_thread_num())];
            route_fault mine;
#pragma omp for schedule(static)
            for (int i = 1; i <= nc; ++i) {
                if (s.constituent_type[i] == 3)
                    continue;
                const route_fault f = route_one(s, w, i, dt);
                if (f.collapsed && !mine.collapsed)
                    mine.collapsed = f.collapsed;
                if (f.nan_node && !mine.nan_node) {
                    mine.nan_node = f.nan_node;
                    mine.nan_node_c = f.nan_node_c;
                }
                if (f.nan_lake && !mine.nan_lake) {
                    mine.nan_lake = f.nan_lake;
                    mine.nan_lake_c = f.nan_lake_c;
                }
            }
#pragma omp critical(chan_route_fault)
            {
                // The lowest constituent of each kind of fault is reported.
                auto lower = [](int a, int b) { return a && (!b || a < b); };
                if (lower(mine.collapsed, found.collapsed))
                    found.collapsed = mine.collapsed;
                if (lower(mine.nan_node_c, found.nan_node_c)) {
                    found.nan_node = mine.nan_node;
                    found.nan_node_c = mine.nan_node_c;
                }
                if (lower(mine.nan_lake_c, found.nan_lake_c)) {
                    found.nan_lake = mine.nan_lake;
                    found.nan_lake_c = mine.nan_lake_c;
                }
            }
        }
        if (found.collapsed) {
            std::printf("The channel water quality routing time step is getting really small\n");
            std::printf("less than 1/1000 of a second\n");
            std::printf("Program stopped.\n");
            error_set(err_stop);
            return;
        }
        if (found.nan_node_c || found.nan_lake_c) {
            if (found.nan_node_c)
                std::printf("Total node mass, contam %d chaddr %d NAN \n", found.nan_node_c, found.nan_node);
            if (found.nan_lake_c)
                std::printf("Total lake mass, contam %d lake %d NAN \n", found.nan_lake_c, found.nan_lake);
            error_set(err_stop);
            return;
        }
    }
    for (int l = 1; l <= s.num_links; ++l)
        for (int n = 1; n <= s.nx[l]; ++n)
            s.qp_vol[n][l] = 0.0;
    if (s.stream_loss)
        for (int m = 1; m <= s.gst_ncells; ++m)
            for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e)
                s.gst_qriv_vol[m][e] = 0.0;
}
