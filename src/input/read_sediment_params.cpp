// Overland erosion set-up: the erosion method and scheme, water viscosity,
// the sediment outputs, the size classes of the SEDIMENTS table with their
// densities and settling velocities, and the soil erosion properties.
#include <cmath>
#include <cstdio>
#include <memory>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/quality_inputs.h"
#include "input/reader_echo.h"

namespace
{

constexpr double water_density = 998.2; // kg/m3
constexpr double gravity = 9.81;        // m/s2
constexpr double stokes_limit = 1e-4;   // m: Stokes' law up to 0.1 mm

bool table_present(const model_state& s, int flag)
{
    return s.mapping_table_given && s.mapping_table_flags[flag];
}

void stop_with(int code)
{
    error_set(code);
    report_error(error_state);
}

void alloc_class_arrays(model_state& s, int n)
{
    const int cells = s.num_cells;
    const auto cells_by_classes = [&](dmat& m, const char* name) { dmatrix_alloc_zero(cells, n, m, name); };
    sediment_table& t = *s.ov_sed;
    if (s.sed.max_sed_flux)
        cells_by_classes(t.ov_qsmax, "ov_qsmax");
    if (s.sed.vol_sed_susp == 1)
        cells_by_classes(t.ov_qsconc, "ov_qsconc");
    cells_by_classes(t.ov_qsvol, "ov_qsvol");
    for (dvec* v : {&t.ws_slope_x, &t.ws_slope_y, &t.q_out_mag})
        dvector_alloc_zero(*v, cells, "overland sediment work array");
    for (dvec* v : {&s.qsx, &s.qsy, &s.splash_K, &s.sed_K, &s.detach_coef, &s.detach_crit, &s.detach_exp})
        dvector_alloc_zero(*v, cells, "erosion cell array");
    d3tensor_alloc_zero(cells, n, 4, s.sed_fract, "sed_fract");
    dmatrix_alloc_zero(n, 4, s.tot_sed, "tot_sed");
    ivector_alloc_zero(s.sed_class, n, "sed_class");
    dmatrix_alloc_zero(n, 4, s.GLOBAL_MASS_SED, "GLOBAL_MASS_SED");
    dmatrix_alloc_zero(n, 4, s.GLOBAL_VOL_SED, "GLOBAL_VOL_SED");
    ivector_alloc_zero(s.sand, n, "sand");
    cells_by_classes(s.ov_sed_conc, "ov_sed_conc");
    cells_by_classes(s.ov_sed_vol_deposited, "ov_sed_vol_deposited");
    cells_by_classes(s.ov_sed_vol_eroded, "ov_sed_vol_eroded");
    s.ov_sed->num_classes = n;
    s.ov_sed->cell_tally.assign(cells, n, sed_tally());
    s.ov_sed->class_tally.assign(n, sed_tally());
    dvector_alloc_zero(s.particle_density, n, "particle_density");
    dvector_alloc_zero(s.fall_velocity, n, "fall_velocity");
}

} // namespace

double water_viscosity_at(double t)
{
    const double e = 1.6012;
    return std::pow(6005.52, e) * 7.125025025025025e-10 / std::pow(t + 45.28, e) *
           std::pow(t / 6005.52 + 1.0, e);
}

double fall_velocity_of(double spec_grav, double d, double nu)
{
    if (d > stokes_limit) {
        // The exponent is 0.3333333, as the scheme was calibrated with it.
        const double dstar = std::pow((spec_grav - 1.0) * gravity / (nu * nu), 0.3333333) * d;
        return (std::sqrt(0.0139 * dstar * dstar * dstar + 1.0) - 1.0) * 8.0 * nu / d;
    }
    return (spec_grav - 1.0) * gravity * d * d / (18.0 * nu);
}

void read_sediment_params(model_state& s)
{
    if (!s.sed.soil_erosion)
        return;
    const project_cards& c = s.cards;
    const int given = c.soil_erosion;
    if (!((given >= 1 && given <= 6) || (given >= 11 && given <= 16))) {
        std::printf("Error: SOIL_EROSION %d is not an erosion method: give 1 to 6, or 11 to 16 to carry the "
                    "sediment as overland constituents.\n",
                    given);
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    s.ov_sed = std::make_unique<sediment_table>();
    sediment_table_construct(*s.ov_sed);
    s.sed_const_4 = 4;
    const int method = c.soil_erosion;
    s.sed.erosion_method = method > 9 ? method - 10 : method;
    s.ov_sed_scheme = method > 9 ? 2 : 1;
    s.sed.vol_sed_susp = c.vol_sed_susp_given;
    s.sed.max_sed_flux = c.max_sed_flux_given;
    s.sed.net_sed_volume = c.net_sed_volume_given;
    const std::string* names[9] = {&c.vol_sed_susp,    &c.max_sed_flux,   &c.net_sed_volume,
                                   &c.outlet_sed_flux, &c.outlet_sed_tss, &c.in_sed_loc,
                                   &c.out_sed_loc,     &c.out_tss_loc,    &c.silt_map};
    for (int i = 0; i < 9; ++i)
        s.sed.sed_names[i] = *names[i];
    s.sand_size = c.sand_size;
    s.silt_size = c.silt_size;
    s.clay_size = c.clay_size;
    s.sed_porosity = c.sed_porosity;
    s.sed.water_temp = c.water_temp < 0.0 ? 0.0 : c.water_temp;
    s.sed.water_viscosity = water_viscosity_at(s.sed.water_temp);

    open_sediment_outputs(s);
    if (run_stopped())
        return;

    reader_echo(s, echo_rule::with_trials, "Reading sediments table from mapping table file\n");
    if (!table_present(s, mt_sediments)) {
        stop_with(err_no_sediments_table);
        return;
    }
    int n = 0;
    if (!read_sediments_table(s.mapping_table_name, n, s.spec_grav, s.part_diam, s.sed_output_names,
                              s.f_bind))
        return;
    s.sed.num_sed = n;
    if (s.ov_sed_scheme == 2) {
        s.ov_con_trans = 1;
        s.num_constituents += n;
    }
    alloc_class_arrays(s, n);
    if (run_stopped())
        return;

    reader_echo(s, echo_rule::with_trials, "Reading soil erosion properties table from mapping table file\n");
    if (!table_present(s, mt_soil_erosion_props)) {
        stop_with(err_erosion_table);
        return;
    }
    if (!read_erosion_table(s, n))
        return;
    s.channel_cells.reset();
    for (int j = 1; j <= n; ++j)
        s.tot_sed[j][0] = 0.0;

    const double nu = s.sed.water_viscosity;
    for (int j = 1; j <= n; ++j) {
        s.particle_density[j] = s.spec_grav[j] * water_density * 1000.0;
        s.fall_velocity[j] = fall_velocity_of(s.spec_grav[j], s.part_diam[j] / 1000.0, nu);
    }
    // Fine classes first, then sand, each in class order.
    s.num_fine_classes = s.num_sand_classes = 0;
    for (int j = 1; j <= n; ++j) {
        s.sand[j] = s.part_diam[j] >= s.sand_size ? 1 : 0;
        if (!s.sand[j])
            s.sed_class[++s.num_fine_classes] = j;
    }
    for (int j = 1; j <= n; ++j)
        if (s.sand[j])
            s.sed_class[s.num_fine_classes + ++s.num_sand_classes] = j;

    if (s.storm_sewer) {
        dmatrix_alloc_zero(n, s.num_cells, s.ov_superlink_sed, "ov_superlink_sed");
        if (s.chan_explicit)
            dmatrix_alloc_zero(n, s.num_cells, s.chan_superlink_sed, "chan_superlink_sed");
    }
}
