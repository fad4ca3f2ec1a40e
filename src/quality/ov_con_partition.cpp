// The phase partition family: one split of a water body's constituent mass
// between the water and the fine sediment classes, applied to the overland
// cells, the channel nodes and the channel lakes.
#include <cmath>

#include "core/model_state.h"
#include "quality/ov_contam.h"
#include "quality/sed_contam.h"

namespace
{

double kd_of(const checked_array<double>& kd, int i)
{
    return i >= 0 && i <= kd.cap ? kd.data[i] : 0.0;
}

bool lake_cell(const model_state& s, int j)
{
    return s.chan_lakes && s.lake_mask.size() >= j && s.lake_mask[j] >= 1;
}

} // namespace

double split_phases(double kd, int classes, const double* sed_conc, const int* sand, double total,
                    const double* per_volume, double* fract, double* class_conc, bool& bad)
{
    const double a = kd / 1e6;
    double S = 0.0;
    for (int k = 1; k <= classes; ++k)
        if (!sand[k])
            S += a * sed_conc[k];
    fract[0] = 0.0;
    class_conc[0] = 0.0;
    for (int k = 1; k <= classes; ++k) {
        const double f = sand[k] ? 0.0 : a * sed_conc[k] / (S + 1.0);
        fract[k] = f;
        fract[0] += f;
        const double c = per_volume[k] > ov_zero ? f * total / per_volume[k] : 0.0;
        if (std::isnan(c))
            bad = true;
        class_conc[k] = c;
        class_conc[0] += c;
    }
    return 1.0 - fract[0];
}

int ov_con_partition(model_state& s, int i, bool working_volumes)
{
    const int n = s.num_cells;
    const int classes = s.sed.num_sed;
    const dmat& volume = working_volumes ? s.ov_vol_sed_susp : s.ov_sed_vol_susp;
    if (classes < 1 || volume.rows() < n || s.ov_sed_conc.rows() < n || i > s.sed_con_mass.count ||
        i > s.sed_con_class.count || i > s.ov_sed_fract_attached.count || i > s.ov_fraction_dissolved.count ||
        s.sand.size() < classes || s.particle_density.size() < classes)
        return 0;
    const double area = s.gridsize * s.gridsize;
    const double kd = kd_of(s.water_soil_partition_coef, i);
    const double* total = s.sed_con_mass[i];
    double** fract = s.ov_sed_fract_attached.table[i];
    double** class_conc = s.sed_con_class.table[i];
    double* dissolved = s.ov_fraction_dissolved[i];
    int first_bad = 0;
    for (int j = 1; j <= n; ++j) {
        if (lake_cell(s, j))
            continue;
        double* sc = s.ov_sed_conc[j];
        sc[0] = 0.0;
        if (!(s.ov_depth[j] > ov_zero))
            continue;
        const double V = s.ov_depth[j] * area;
        for (int k = 1; k <= classes; ++k) {
            sc[k] = s.particle_density[k] * volume[j][k] / V;
            if (!s.sand[k])
                sc[0] += sc[k];
        }
        bool bad = false;
        dissolved[j] =
            split_phases(kd, classes, sc, s.sand.data(), total[j], volume[j], fract[j], class_conc[j], bad);
        if (bad && !first_bad)
            first_bad = j;
    }
    return first_bad;
}

int chan_con_partition(model_state& s, int i)
{
    const int fine = s.num_fine_classes;
    const int classes = s.sed.num_sed;
    if (fine < 1 || s.ch_wash_vol.empty() || s.chan_sed_conc.empty() || i > s.chan_tot_node_mass.count ||
        i > s.chan_sed_fract_attached.count || i > s.chan_sed_contam_node_conc.count ||
        i > s.chan_node_fraction_dissolved.count || s.sed_class.size() < fine ||
        s.chan_sed_fract_attached.cols < classes || s.chan_sed_contam_node_conc.cols < classes)
        return 0;
    const double kd = kd_of(s.chan_soil_water_partition, i);
    const double* total = s.chan_tot_node_mass[i];
    double** fract = s.chan_sed_fract_attached.table[i];
    double** class_conc = s.chan_sed_contam_node_conc.table[i];
    double* dissolved = s.chan_node_fraction_dissolved[i];
    // Per fine position: concentration (mg/L), kind and wash-load volume.
    double conc[64], vol[64], f_out[64], c_out[64];
    int sand[64] = {};
    if (fine >= 64)
        return 0;
    int first_bad = 0;
    for (int l = 1; l <= s.num_links; ++l) {
        const int t = s.ltype[l];
        if ((t & 64) || (t & 32) || ((t & 128) && (t & (4 | 8 | 16))))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            const double V = s.area[n][l] * s.link_dx[l];
            if (!(V > ov_zero))
                continue;
            const int j = s.node_dim * l + n;
            if (j > s.chan_sed_conc.rows() || j > s.chan_tot_node_mass.width)
                continue;
            double* sc = s.chan_sed_conc[j];
            sc[0] = 0.0;
            for (int k = 1; k <= fine; ++k) {
                const int c = s.sed_class[k];
                vol[k] = s.ch_wash_vol[n][l][k];
                conc[k] = s.particle_density[c] * vol[k] / V;
                sc[c] = conc[k];
                sc[0] += conc[k];
            }
            bool bad = false;
            dissolved[j] = split_phases(kd, fine, conc, sand, total[j], vol, f_out, c_out, bad);
            // Stored by class.
            for (int k = 0; k <= classes; ++k)
                fract[j][k] = class_conc[j][k] = 0.0;
            fract[j][0] = f_out[0];
            class_conc[j][0] = c_out[0];
            for (int k = 1; k <= fine; ++k) {
                fract[j][s.sed_class[k]] = f_out[k];
                class_conc[j][s.sed_class[k]] = c_out[k];
            }
            if (bad && !first_bad)
                first_bad = j;
        }
    }
    return first_bad;
}

int lake_con_partition(model_state& s, int i)
{
    const int fine = s.num_fine_classes;
    if (fine < 1 || fine >= 64 || s.SS_conc_lake.rows() < s.num_lakes ||
        s.SS_conc_vol_lake.rows() < s.num_lakes || i > s.lake_tot_mass.count ||
        i > s.lake_sed_fract_attached.count || i > s.lake_sed_contam_conc.count ||
        i > s.lake_fraction_dissolved.count || s.sed_class.size() < fine ||
        s.lake_sed_fract_attached.rows < s.num_lakes || s.lake_sed_contam_conc.rows < s.num_lakes ||
        s.lake_sed_contam_conc.cols < s.sed.num_sed || s.lake_tot_mass.width < s.num_lakes)
        return 0;
    const double kd = kd_of(s.water_soil_partition_coef, i);
    double conc[64], vol[64], f_out[64], c_out[64];
    int sand[64] = {};
    int first_bad = 0;
    for (int lake = 1; lake <= s.num_lakes; ++lake) {
        for (int k = 1; k <= fine; ++k) {
            const int c = s.sed_class[k];
            conc[k] = s.SS_conc_lake[lake][c];
            vol[k] = s.SS_conc_vol_lake[lake][c];
        }
        bool bad = false;
        s.lake_fraction_dissolved[i][lake] =
            split_phases(kd, fine, conc, sand, s.lake_tot_mass[i][lake], vol, f_out, c_out, bad);
        // Fractions by fine position, concentrations by class.
        double* fract = s.lake_sed_fract_attached.table[i][lake];
        double* class_conc = s.lake_sed_contam_conc.table[i][lake];
        for (int k = 0; k <= fine; ++k)
            fract[k] = f_out[k];
        class_conc[0] = c_out[0];
        for (int k = 1; k <= fine; ++k)
            class_conc[s.sed_class[k]] = c_out[k];
        if (bad && !first_bad)
            first_bad = lake;
    }
    return first_bad;
}
