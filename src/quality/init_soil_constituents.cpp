// The initial constituent state of the land surface and the soil: the
// contaminant rates turned from per day to per second, the dissolved mass on
// the surface, the mass in the top soil constituent layer, the layer
// geometry and the run's initial mass totals (kg). Runs once per run on the
// freshly read values, so every run of a batch starts from the same state.
#include "quality/quality_steps.h"

#include <algorithm>

#include "core/model_state.h"
#include "core/parallel.h"
#include "quality/ov_contam.h"
#include "quality/soil_contam.h"

namespace
{

constexpr int contaminant_kind = 1;
constexpr double seconds_per_day = 86400.0;
constexpr double zero_eps = 1e-16;
// Soil particle density (kg/m3) as specific gravity x water density.
constexpr double soil_specific_gravity = 2.65;
constexpr double water_density = 1000.0;

// Thickness and bottom (m) of the soil constituent layers of the
// redistribution and plain Green-Ampt schemes and of the one layer over the
// Richards columns; the layered scheme sets them per cell in the soil step.
void layer_geometry(model_state& s)
{
    checked_array<double>& depth = s.soil_con_layer_depth;
    checked_array<double>& bottom = s.soil_con_layer_bottom;
    const int slots =
        s.inf_redist ? 3 : (s.green_ampt ? 1 : (s.inf_layered_soil ? 3 : (soil_over_richards(s) ? 1 : 0)));
    if (depth.cap < slots)
        checked_array_grow(depth, slots - depth.cap);
    if (bottom.cap < slots)
        checked_array_grow(bottom, slots - bottom.cap);
    if (s.inf_redist) {
        depth[1] = s.mixing_layer_depth / 100.0;
        if (s.soil_con_layers == 2) {
            depth[2] = (s.soil_moist_depth - s.mixing_layer_depth) / 100.0;
        } else if (s.soil_con_layers == 3) {
            depth[2] = (s.top_layer_depth - s.mixing_layer_depth) / 100.0;
            depth[3] = (s.soil_moist_depth - s.top_layer_depth) / 100.0;
        }
        double b = 0.0;
        for (int k = 1; k <= s.soil_con_layers && k <= 3; ++k) {
            b += depth[k];
            bottom[k] = b;
        }
    } else if (s.green_ampt || soil_over_richards(s)) {
        depth[1] = bottom[1] = s.mixing_layer_depth / 100.0;
    }
}

// Mass (g) of the top soil constituent layer of cell j at concentration c
// (mg/kg).
double top_layer_mass(const model_state& s, int j, double c, double area)
{
    const double density = soil_specific_gravity * water_density;
    if (s.inf_layered_soil && !s.inf_redist && !s.green_ampt) {
        const int t = s.soiltype.size() >= j ? s.soiltype[j] : -1;
        if (t < 0 || t >= soil_type_count)
            return 0.0;
        const soil_layer_rec& soil = s.soil_layers[static_cast<std::size_t>(t)];
        const double first = soil.depth[0]; // cm
        const double d = s.mixing_layer_depth > zero_eps && s.mixing_layer_depth < first
                             ? s.mixing_layer_depth / 100.0
                             : first / 100.0;
        return (1.0 - soil.porosity[0]) * d * c * area * density / 1000.0;
    }
    const double thickness = s.soil_con_layer_depth.cap >= 1 ? s.soil_con_layer_depth[1] : 0.0;
    const double porosity = soil_over_richards(s) ? soil_cell_geometry(s, j).porosity[1]
                                                  : (s.dist_porosity.size() >= j ? s.dist_porosity[j] : 0.0);
    return c * thickness * area * density * (1.0 - porosity) / 1000.0;
}

} // namespace

void init_soil_constituents(model_state& s)
{
    if (!s.ov_con_trans)
        return;
    if (!ov_contam_alloc(s))
        return;
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    const bool lakes = s.chan_lakes && s.lake_mask.size() >= n;
    const bool depths = s.ov_depth.size() >= n;
    layer_geometry(s);

    // Only constituents with a kind have surface and soil rows.
    const int typed = std::min(s.num_constituents, s.constituent_type.cap);
    for (int i = 1; i <= typed; ++i) {
        const int kind = s.constituent_type[i];
        double* conc = row_array_get(s.ov_conc, i);
        double* mass = row_array_get(s.ov_mass, i);
        double* land = row_array_get(s.land_mass, i);
        double* decay = row_array_get(s.ov_decay, i);
        double* uptake = row_array_get(s.ov_uptake, i);
        double* soil_decay = s.soil_con_trans ? row_array_get(s.soil_decay, i) : nullptr;
        // With sorbed constituents a cell's total starts as its dissolved mass.
        double* sed_total =
            s.sediment_contam && s.sed_con_mass.width >= n ? row_array_get(s.sed_con_mass, i) : nullptr;
        const bool soil =
            s.soil_con_trans && kind == contaminant_kind && i <= s.soil_mass.count && i <= s.soil_conc.count;
        s.OV_MASS_INIT[i] = 0.0;
        s.OV_LAND_MASS_INIT[i] = 0.0;
        if (!conc || !mass || !land || s.ov_conc.width < n || s.ov_mass.width < n || s.land_mass.width < n)
            continue;
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
        for (int j = 1; j <= n; ++j) {
            if (kind == contaminant_kind && decay && uptake) {
                decay[j] /= seconds_per_day;
                uptake[j] /= seconds_per_day;
                if (soil_decay)
                    soil_decay[j] = decay[j];
            }
            land[j] *= 1000.0;
            const double depth = depths ? s.ov_depth[j] : 0.0;
            if (depth > zero_eps) {
                mass[j] = depth * conc[j] * area;
            } else {
                mass[j] = 0.0;
                conc[j] = 0.0;
            }
            if (lakes && s.lake_mask[j] != 0) {
                mass[j] = 0.0;
                conc[j] = 0.0;
            }
            if (soil) {
                double** sm = s.soil_mass.table[i];
                double** sc = s.soil_conc.table[i];
                for (int k = 1; k <= s.soil_mass.cols; ++k)
                    sm[j][k] = 0.0;
                for (int k = 1; k <= s.soil_conc.cols; ++k)
                    sc[j][k] = 0.0;
                sc[j][1] = land[j] / 1000.0;
                const double m = top_layer_mass(s, j, sc[j][1], area);
                sm[j][1] = m;
                land[j] = m;
            }
            if (sed_total)
                sed_total[j] = mass[j];
        }
        // The totals are summed in cell order, so they do not depend on the
        // thread count.
        double ov_init = 0.0, land_init = 0.0, global = 0.0;
        for (int j = 1; j <= n; ++j) {
            ov_init += mass[j] / 1000.0;
            land_init += land[j] / 1000.0;
            global += (mass[j] + land[j]) / 1000.0;
        }
        s.OV_MASS_INIT[i] = ov_init;
        s.OV_LAND_MASS_INIT[i] = land_init;
        s.GLOBAL_MASS_INIT[i] += global;
    }
}
