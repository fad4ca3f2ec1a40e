// What the event close totals for the sediment and constituent reports:
// the overland sediment of every size class, the sand and wash load left
// in the channels, and the constituent masses left on the land, in the soil
// and in the channels (kg; the per-cell masses are held in grams).
#include <algorithm>

#include "channel/routed_nodes.h"
#include "core/model_state.h"
#include "output/state_access.h"
#include "output/summary_writers.h"

namespace
{

void overland_sediment(model_state& s)
{
    if (!s.sed.soil_erosion || !s.ov_sed || s.ov_sed->class_tally.empty())
        return;
    sediment_table& t = *s.ov_sed;
    const int classes = std::min(s.sed.num_sed, t.class_tally.size());
    for (int c = 0; c <= classes; ++c)
        t.class_tally[c] = sed_tally();
    const int n = std::min(s.num_cells, t.cell_tally.rows());
    const int summed = std::min(classes, t.cell_tally.cols());
    const bool clakes = s.chan_lakes && s.lake_mask.size() >= n;
    for (int m = 1; m <= n; ++m) {
        const bool in_lake = clakes && s.lake_mask[m] > 0;
        for (int c = 1; c <= summed; ++c) {
            // Fine material in a perennial lake belongs to the lake.
            if (in_lake && value_at(s.sand, c) == 0)
                continue;
            const sed_tally& cell = t.cell_tally[m][c];
            sed_tally& total = t.class_tally[c];
            total.eroded += cell.eroded;
            total.suspended += cell.suspended;
            total.deposited += cell.deposited;
            total.outlet += cell.outlet;
        }
    }
}

void channel_sediment(model_state& s)
{
    if (!s.chan_sed_on)
        return;
    s.chan_sand_final = 0.0;
    s.chan_wash_final = 0.0;
    const int links = std::min(s.num_links, s.ltype.size());
    for (int l = 1; l <= links; ++l) {
        if (s.ltype[l] & (32 | 64))
            continue;
        const int nodes = value_at(s.og_nx1, l);
        for (int n = 1; n <= nodes; ++n) {
            for (int c = 1; c <= s.num_sand_classes + 1; ++c)
                s.chan_sand_final += value_at(s.ch_sand_vol, n, l, c);
            s.chan_wash_final += value_at(s.ch_wash_vol, n, l, 0);
        }
    }
}

void overland_constituents(model_state& s)
{
    if (!s.ov_con_trans)
        return;
    const int n = s.num_cells;
    const int nc = s.num_constituents;
    const double area = s.gridsize * s.gridsize;
    const bool clakes = s.chan_lakes && s.lake_mask.size() >= n;
    for (int k = 1; k <= nc; ++k) {
        double ov = 0.0;
        double global = 0.0;
        double land = 0.0;
        const double* mass = row_of(s.ov_mass, k, n);
        const double* conc = row_of(s.ov_conc, k, n);
        const double* land_mass = row_of(s.land_mass, k, n);
        const bool depths = s.ov_depth.size() >= n;
        for (int m = 1; m <= n; ++m) {
            if (clakes) {
                if (s.lake_mask[m] == 0) {
                    if (mass)
                        ov += mass[m] / 1000.0;
                    if (conc && depths)
                        global += s.ov_depth[m] * conc[m] * area / 1000.0;
                }
            } else if (mass) {
                ov += mass[m] / 1000.0;
                global += mass[m] / 1000.0;
            }
            if (land_mass) {
                land += land_mass[m] / 1000.0;
                if (clakes)
                    global += land_mass[m] / 1000.0;
            }
        }
        s.OV_MASS_FINAL[k] = ov;
        s.GLOBAL_MASS_FINAL[k] = global;
        s.OV_LAND_MASS_FINAL[k] = land;
        if (!s.soil_con_trans)
            continue;
        double soil = 0.0;
        for (int m = 1; m <= n; ++m)
            for (int j = 1; j <= s.soil_con_layers; ++j)
                soil += value_at(s.soil_mass, k, m, j) / 1000.0;
        s.soil_mass_final[k] = soil;
    }
}

void channel_constituents(model_state& s)
{
    if (!s.chan_con_trans)
        return;
    const int nc = s.num_constituents;
    for (int k = 1; k <= nc; ++k) {
        if (double* v = slot_at(s.chan_final_dissolved, k))
            *v = 0.0;
        if (s.sediment_contam) {
            if (double* v = slot_at(s.chan_total_mass_event, k))
                *v = 0.0;
            if (double* v = slot_at(s.chan_attached_final, k))
                *v = 0.0;
        }
        // Without overland transport nothing else clears the global total
        // before the channel masses are added to it.
        if (!s.ov_con_trans)
            s.GLOBAL_MASS_FINAL[k] = 0.0;
    }
    for_each_routed_node(s, s.chan_lakes != 0, [&](int l, int n, double v) {
        const int i = s.node_dim * l + n;
        for (int k = 1; k <= nc; ++k) {
            const double* conc = row_of(s.chan_conc, k, i);
            const double dissolved = conc ? v * conc[i] / 1000.0 : 0.0;
            if (double* total = slot_at(s.chan_final_dissolved, k))
                *total += dissolved;
            s.GLOBAL_MASS_FINAL[k] += dissolved;
            if (!s.sediment_contam)
                continue;
            if (const double* node_mass = row_of(s.chan_tot_node_mass, k, i))
                if (double* total = slot_at(s.chan_total_mass_event, k))
                    *total += node_mass[i] / 1000.0;
            double* attached = slot_at(s.chan_attached_final, k);
            if (!attached || !s.ov_sed)
                continue;
            for (int c = 1; c <= s.num_fine_classes; ++c)
                *attached += value_at(s.chan_sed_contam_node_conc, k, i, value_at(s.ov_sed->fine_class, c)) *
                             value_at(s.ch_wash_vol, n, l, c) / 1000.0;
        }
    });
}

void attached_constituents(model_state& s)
{
    if (!s.sediment_contam)
        return;
    const int n = s.num_cells;
    for (int k = 1; k <= s.num_constituents; ++k) {
        double attached = 0.0;
        double total = 0.0;
        const double* mass = row_of(s.sed_con_mass, k, n);
        const double* laid = row_of(s.sed_con_chan_deposit, k, n);
        for (int m = 1; m <= n; ++m) {
            if (mass)
                total += mass[m] / 1000.0;
            // Held by channel cells' deposits until the channels take them.
            if (laid) {
                total += laid[m] / 1000.0;
                attached += laid[m] / 1000.0;
            }
            for (int c = 1; c <= s.sed.num_sed; ++c)
                attached += value_at(s.sed_con_class, k, m, c) * value_at(s.ov_sed_vol_susp, m, c) / 1000.0;
        }
        s.ov_sed_attached_mass[k] = attached;
        s.ov_total_mass[k] = total;
    }
}

} // namespace

void event_quality_totals(model_state& s)
{
    overland_sediment(s);
    channel_sediment(s);
    overland_constituents(s);
    channel_constituents(s);
    attached_constituents(s);
}
