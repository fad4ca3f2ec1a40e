// Linear equilibrium split of a constituent's total mass between the water
// and the wash load, at the channel nodes and in the channel lakes, by the
// split the overland cells use (split_phases over the fine classes).
#include <algorithm>
#include <cstdio>

#include "core/model_state.h"
#include "quality/chan_sed_contam.h"
#include "quality/sed_contam.h"

namespace
{

constexpr double tiny = 1e-16;
// Fine classes a split can hold; the sediment table gives far fewer.
constexpr int max_fine = 63;

// Per fine position 1..F: concentration (mg/L), wash-load volume (m3), the
// split's fractions and attached concentrations; no fine class is sand.
struct fine_split {
    double conc[max_fine + 1];
    double vol[max_fine + 1];
    double fract[max_fine + 1];
    double per_volume[max_fine + 1];
    int sand[max_fine + 1] = {};
};

} // namespace

void chan_con_partition(model_state& s, int i)
{
    const int F = std::min(s.num_fine_classes, s.sed_class.size());
    matrix_stack& attached = s.chan_sed_fract_attached;
    matrix_stack& per_volume = s.chan_sed_contam_node_conc;
    if (F < 1 || F > max_fine || i > attached.count || i > per_volume.count || i > s.chan_tot_node_mass.count ||
        s.chan_sed_conc.empty() || s.ch_wash_vol.empty())
        return;
    const double kd = s.chan_soil_water_partition[i];
    double* total = s.chan_tot_node_mass[i];
    double* dissolved = s.chan_node_fraction_dissolved[i];
    fine_split w;
    for (int l = 1; l <= s.num_links; ++l) {
        if (!con_routed_link(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            const double V = s.area[n][l] * s.link_dx[l];
            if (V <= tiny)
                continue;
            const int j = s.node_dim * l + n;
            for (int k = 1; k <= F; ++k) {
                const int c = s.sed_class[k];
                w.vol[k] = s.ch_wash_vol[n][l][k];
                w.conc[k] = s.particle_density[c] * w.vol[k] / V;
                s.chan_sed_conc[j][c] = w.conc[k];
            }
            bool bad = false;
            dissolved[j] = split_phases(kd, F, w.conc, w.sand, total[j], w.vol, w.fract, w.per_volume, bad);
            if (bad)
                std::printf("bad number: constituent %d link %d node %d\n", i, l, n);
            for (int k = 1; k <= F; ++k) {
                const int c = s.sed_class[k];
                attached.table[i][j][c] = w.fract[k];
                per_volume.table[i][j][c] = w.per_volume[k];
            }
            attached.table[i][j][0] = w.fract[0];
            per_volume.table[i][j][0] = w.per_volume[0];
        }
    }
}

void lake_con_partition(model_state& s, int i)
{
    const int F = std::min(s.num_fine_classes, s.sed_class.size());
    matrix_stack& attached = s.lake_sed_fract_attached;
    matrix_stack& per_volume = s.lake_sed_contam_conc;
    if (F < 1 || F > max_fine || i > attached.count || i > per_volume.count || i > s.lake_tot_mass.count ||
        s.SS_conc_lake.rows() < s.num_lakes || s.SS_vol_lake.rows() < s.num_lakes)
        return;
    const double kd = s.water_soil_partition_coef[i];
    fine_split w;
    for (int lake = 1; lake <= s.num_lakes; ++lake) {
        for (int k = 1; k <= F; ++k) {
            w.conc[k] = s.SS_conc_lake[lake][k];
            // Per m3 of the class's suspended sediment in the lake.
            w.vol[k] = s.SS_vol_lake[lake][k];
        }
        bool bad = false;
        s.lake_fraction_dissolved[i][lake] =
            split_phases(kd, F, w.conc, w.sand, s.lake_tot_mass[i][lake], w.vol, w.fract, w.per_volume, bad);
        if (bad)
            std::printf("bad number: constituent %d lake %d\n", i, lake);
        // Fractions by fine position, attached concentrations by class.
        for (int k = 1; k <= F; ++k) {
            attached.table[i][lake][k] = w.fract[k];
            per_volume.table[i][lake][s.sed_class[k]] = w.per_volume[k];
        }
        attached.table[i][lake][0] = w.fract[0];
        per_volume.table[i][lake][0] = w.per_volume[0];
    }
}
