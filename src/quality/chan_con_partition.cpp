// Linear equilibrium split of a constituent's total mass between the water
// and the wash load, at the channel nodes and in the channel lakes: with
// a = Kd / 1e6 and the sediment concentrations C_k (mg/L) of the fine
// classes, class k holds a C_k / (1 + sum a C) of the total and the water
// the rest.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/model_state.h"
#include "quality/chan_sed_contam.h"

namespace
{

constexpr double tiny = 1e-16;

void check(double v)
{
    if (std::isnan(v))
        std::printf("bad number");
}

} // namespace

void chan_con_partition(model_state& s, int i)
{
    const int F = std::min(s.num_fine_classes, s.sed_class.size());
    matrix_stack& attached = s.chan_sed_fract_attached;
    matrix_stack& per_volume = s.chan_sed_contam_node_conc;
    if (F < 1 || i > attached.count || i > per_volume.count || i > s.chan_tot_node_mass.count ||
        s.chan_sed_conc.empty() || s.ch_wash_vol.empty())
        return;
    const double a = s.chan_soil_water_partition[i] / 1e6;
    double* total = s.chan_tot_node_mass[i];
    double* dissolved = s.chan_node_fraction_dissolved[i];
    for (int l = 1; l <= s.num_links; ++l) {
        if (!con_routed_link(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            const double V = s.area[n][l] * s.link_dx[l];
            if (V <= tiny)
                continue;
            const int j = s.node_dim * l + n;
            double sum = 0.0;
            for (int k = 1; k <= F; ++k) {
                const int c = s.sed_class[k];
                const double conc = s.particle_density[c] * s.ch_wash_vol[n][l][k] / V;
                s.chan_sed_conc[j][c] = conc;
                sum += a * conc;
            }
            double f_sum = 0.0, c_sum = 0.0;
            for (int k = 1; k <= F; ++k) {
                const int c = s.sed_class[k];
                const double f = a * s.chan_sed_conc[j][c] / (sum + 1.0);
                const double wash = s.ch_wash_vol[n][l][k];
                const double cs = wash > tiny ? f * total[j] / wash : 0.0;
                check(cs);
                attached.table[i][j][c] = f;
                per_volume.table[i][j][c] = cs;
                f_sum += f;
                c_sum += cs;
            }
            attached.table[i][j][0] = f_sum;
            per_volume.table[i][j][0] = c_sum;
            dissolved[j] = 1.0 - f_sum;
        }
    }
}

void lake_con_partition(model_state& s, int i)
{
    const int F = std::min(s.num_fine_classes, s.sed_class.size());
    matrix_stack& attached = s.lake_sed_fract_attached;
    matrix_stack& per_volume = s.lake_sed_contam_conc;
    if (F < 1 || i > attached.count || i > per_volume.count || i > s.lake_tot_mass.count ||
        s.SS_conc_lake.rows() < s.num_lakes || s.SS_vol_lake.rows() < s.num_lakes)
        return;
    const double a = s.water_soil_partition_coef[i] / 1e6;
    for (int lake = 1; lake <= s.num_lakes; ++lake) {
        double sum = 0.0;
        for (int k = 1; k <= F; ++k)
            sum += a * s.SS_conc_lake[lake][k];
        const double total = s.lake_tot_mass[i][lake];
        double f_sum = 0.0, c_sum = 0.0;
        for (int k = 1; k <= F; ++k) {
            const int c = s.sed_class[k];
            const double f = a * s.SS_conc_lake[lake][k] / (sum + 1.0);
            // Per m3 of the class's suspended sediment in the lake.
            const double wash = s.SS_vol_lake[lake][k];
            const double cs = wash > tiny ? f * total / wash : 0.0;
            check(cs);
            attached.table[i][lake][k] = f;
            per_volume.table[i][lake][c] = cs;
            f_sum += f;
            c_sum += cs;
        }
        attached.table[i][lake][0] = f_sum;
        per_volume.table[i][lake][0] = c_sum;
        s.lake_fraction_dissolved[i][lake] = 1.0 - f_sum;
    }
}
