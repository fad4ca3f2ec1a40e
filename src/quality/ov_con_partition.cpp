// The phase partition: one split of a water body's constituent mass between
// the water and the fine sediment classes, and its use on the overland cells.
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
