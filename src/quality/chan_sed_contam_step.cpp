// Exchange of contaminants with the channel wash load, on the clock of the
// dissolved routing (which moves that clock): the attached mass is routed,
// what leaves through the outlet is booked, each node and lake is split
// between water and sediment, and the change of the dissolved share is
// queued as a source for the dissolved routing.
#include <algorithm>
#include <cstdio>

#include "core/model_state.h"
#include "quality/chan_sed_contam.h"
#include "quality/quality_steps.h"

namespace
{

constexpr double negative_limit = -1e-16;

// The outlet's attached mass leaves the network.
void book_outlet(model_state& s, int i)
{
    const int L = s.num_links;
    if (L < 1 || s.nx[L] < 1)
        return;
    const double kg = s.chan_sed_con_out[s.node_dim * L + s.nx[L]] / 1000.0;
    if (i <= s.chan_outlet_mass_event.size())
        s.chan_outlet_mass_event[i] += kg;
    if (i <= s.chan_outlet_mass_total.size())
        s.chan_outlet_mass_total[i] += kg;
    s.GLOBAL_MASS_OUT[i] += kg;
}

// Each routed node keeps its attached share; the dissolved share becomes
// the node's sediment source for the routing.
void queue_node_sources(model_state& s, int i, double dt)
{
    double* total = s.chan_tot_node_mass[i];
    double* fraction = s.chan_node_fraction_dissolved[i];
    double* source = s.chan_node_sed_source_mass[i];
    double* flux = s.attached_chan_flux[i];
    const double* dissolved = s.chan_node_mass[i];
    for (int l = 1; l <= s.num_links; ++l) {
        if (!con_routed_link(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            const int j = s.node_dim * l + n;
            const double share = total[j] * fraction[j];
            source[j] += share - dissolved[j];
            total[j] -= share;
            if (total[j] <= negative_limit)
                std::printf("error");
            flux[j] = s.chan_sed_con_out[j] / dt;
        }
    }
}

void queue_lake_sources(model_state& s, int i)
{
    lake_con_partition(s, i);
    for (int k = 1; k <= s.num_lakes; ++k) {
        const double share = s.lake_tot_mass[i][k] * s.lake_fraction_dissolved[i][k];
        s.lake_sed_contam_source[i][k] += share - s.lake_mass[i][k];
        s.lake_tot_mass[i][k] -= share;
        if (s.lake_tot_mass[i][k] <= negative_limit)
            std::printf("error");
        double& from_channels = s.chan_lake_sed_source[i][k];
        if (i <= s.event_chan_lake_sed_contam_mass.size())
            s.event_chan_lake_sed_contam_mass[i] += from_channels / 1000.0;
        if (i <= s.CHAN_LAKE_SED_CONTAM_MASS.size())
            s.CHAN_LAKE_SED_CONTAM_MASS[i] += from_channels / 1000.0;
        from_channels = 0.0;
        double& from_land = s.ov_lake_sed_source[i][k];
        if (i <= s.event_ov_lake_sed_contam_mass.size())
            s.event_ov_lake_sed_contam_mass[i] += from_land / 1000.0;
        if (i <= s.OV_LAKE_SED_CONTAM_MASS.size())
            s.OV_LAKE_SED_CONTAM_MASS[i] += from_land / 1000.0;
        from_land = 0.0;
    }
}

// The wash-load volume each lake settled since the last attached routing:
// the lake sediment keeps the run's settled volume, which only grows.
void take_settled_volumes(model_state& s)
{
    const dmat& run = s.GLOBAL_SS_vol_lake_settled;
    dmat& step = s.lake_settled_vol_step;
    dmat& seen = s.lake_settled_vol_seen;
    const int lakes = std::min({s.num_lakes, run.rows(), step.rows(), seen.rows()});
    const int F = std::min({s.num_fine_classes, run.cols(), step.cols(), seen.cols()});
    for (int l = 1; l <= lakes; ++l)
        for (int k = 1; k <= F; ++k) {
            step[l][k] = run[l][k] - seen[l][k];
            seen[l][k] = run[l][k];
        }
}

} // namespace

double lake_attached_mass(const model_state& s, int i)
{
    if (!s.sediment_contam || !s.chan_lakes || i < 1 || i > s.lake_tot_mass.count || i > s.lake_mass.count)
        return 0.0;
    const int lakes = std::min({s.num_lakes, s.lake_tot_mass.width, s.lake_mass.width});
    double g = 0.0;
    for (int k = 1; k <= lakes; ++k)
        g += s.lake_tot_mass[i][k] - s.lake_mass[i][k];
    return g;
}

void chan_sed_contam_step(model_state& s)
{
    if (!s.chan_con_trans || !s.sediment_contam || !process_due(s, s.chan_con_next))
        return;
    const double dt = (s.current_time - s.chan_con_last) * 86400.0;
    const int c = std::min({s.num_constituents, s.chan_tot_node_mass.count, s.chan_node_mass.count});
    if (dt <= 0.0 || s.chan_sed_con_out.empty())
        return;
    const bool lakes = s.chan_lakes && s.num_lakes >= 1 && s.lake_tot_mass.count >= c;
    if (lakes)
        take_settled_volumes(s);
    for (int i = 1; i <= c; ++i) {
        chan_sed_con_route(s, dt, i);
        book_outlet(s, i);
        chan_con_partition(s, i);
        queue_node_sources(s, i, dt);
        if (lakes)
            queue_lake_sources(s, i);
    }
}
