// Growth of the per-constituent containers by a number of constituents:
// contaminants (kind 1), or the nutrient module's nine species (kind 2)
// and, with soil constituent transport, its four soil species (kind 3).
#include <algorithm>

#include "core/model_state.h"
#include "input/quality_inputs.h"
#include "quality/qbn_services.h"

namespace
{

constexpr int contaminant_kind = 1;
constexpr int nutrient_kind = 2;
constexpr int nutrient_soil_kind = 3;
constexpr int nutrient_species = 9;
constexpr int nutrient_soil_species = 4;

// One value per constituent, on the land surface: masses, step increments,
// run and event totals.
checked_array<double> model_state::*const scalar_totals[] = {
    &model_state::ov_exit_mass,
    &model_state::precip_conc,
    &model_state::water_soil_partition_coef,
    &model_state::OV_MASS_INIT,
    &model_state::OV_MASS_FINAL,
    &model_state::OV_MASS_OUT,
    &model_state::OV_QLAT_MASS,
    &model_state::OV_MASS_DECAY,
    &model_state::OV_POINT_MASS,
    &model_state::OV_EXFIL_MASS,
    &model_state::OV_PRECIP_MASS,
    &model_state::OV_INFIL_MASS,
    &model_state::OV_MASS_ERROR,
    &model_state::OV_LAND_MASS,
    &model_state::OV_LAND_MASS_INIT,
    &model_state::OV_LAND_MASS_FINAL,
    &model_state::OV_UPTAKE_MASS,
    &model_state::ov_qbn_gain_mass,
    &model_state::ov_qbn_loss_mass,
    &model_state::ov_out_dmt,
    &model_state::ov_point_dmt,
    &model_state::ov_decay_dmt,
    &model_state::ov_infil_dmt,
    &model_state::ov_qlat_dmt,
    &model_state::ov_uptake_dmt,
    &model_state::ov_precip_dmt,
    &model_state::ov_qbn_dmt,
    &model_state::ov_qbn_dmt_in,
    &model_state::ov_qbn_dmt_out,
    &model_state::GLOBAL_MASS_CON_ERROR,
    &model_state::GLOBAL_MASS_DECAY,
    &model_state::GLOBAL_MASS_INIT,
    &model_state::GLOBAL_MASS_FINAL,
    &model_state::GLOBAL_POINT_SOURCE,
    &model_state::GLOBAL_MASS_OUT,
    &model_state::GLOBAL_GW_MASS,
    &model_state::global_precip_mass,
    &model_state::event_ov_mass_init,
    &model_state::event_ov_decay_mass,
    &model_state::event_ov_qbn_gain_mass,
    &model_state::event_ov_qbn_loss_mass,
    &model_state::event_ov_uptake_mass,
    &model_state::event_ov_infil_mass,
    &model_state::event_ov_exfil_mass,
    &model_state::event_ov_qlat_mass,
    &model_state::event_ov_mass_out,
    &model_state::event_ov_point_mass,
    &model_state::event_ov_precip_mass,
    &model_state::event_ov_land_mass,
    &model_state::event_ov_neg_mass,
    &model_state::ov_neg_mass_run,
};

// One value per constituent in the soil.
checked_array<double> model_state::*const soil_totals[] = {
    &model_state::soil_infil_mass,        &model_state::qbn_uptake_mass,
    &model_state::soil_gw_in_mass,        &model_state::soil_gw_out_mass,
    &model_state::soil_exfil_mass,        &model_state::soil_decay_mass,
    &model_state::soil_mass_error,        &model_state::soil_mass_final,
    &model_state::event_soil_infil_mass,  &model_state::event_soil_gw_in_mass,
    &model_state::event_soil_gw_out_mass, &model_state::event_soil_exfil_mass,
    &model_state::event_soil_decay_mass,  &model_state::event_soil_mass_init,
    &model_state::event_soil_to_ov_mass,  &model_state::event_ov_to_soil_mass,
    &model_state::soil_decay_step,        &model_state::soil_gw_out_step,
    &model_state::soil_gw_in_step,        &model_state::event_soil_neg_mass,
    &model_state::soil_neg_mass_run,
};

// One value per constituent attached to sediment.
checked_array<double> model_state::*const sediment_totals_[] = {
    &model_state::soil_sed_mass,      &model_state::event_soil_sed_mass,
    &model_state::ov_sed_source_mass, &model_state::ov_sed_attached_mass,
    &model_state::ov_total_mass,      &model_state::event_ov_sed_source_mass,
    &model_state::event_sed_out_mass, &model_state::sed_out_mass,
    &model_state::ov_sed_con_arr,
};

// One row per constituent, one value per cell, besides the three
// concentration and mass rows.
row_array<double> model_state::*const surface_rows[] = {
    &model_state::land_mass,           &model_state::ov_decay,      &model_state::ov_uptake,
    &model_state::soil_con_work,       &model_state::qbn_cell_mass, &model_state::decay_cell_mass,
    &model_state::soil_exch_cell_mass,
};

// One row per constituent, one value per cell, in the soil.
row_array<double> model_state::*const soil_rows[] = {
    &model_state::soil_kd,
    &model_state::soil_con_inflow,
    &model_state::ov_soil_exch_mass,
    &model_state::soil_exfil_cell_mass,
};

void grow_all(model_state& s, checked_array<double> model_state::*const* first,
              checked_array<double> model_state::*const* last, int n)
{
    for (; first != last; ++first)
        checked_array_grow(s.**first, n);
}

// Slots 1..target in every array. The contaminant table reader already
// sized some of them for its constituents, so they only catch up here and
// every constituent keeps the same index in every container.
void fit_all(model_state& s, checked_array<double> model_state::*const* first,
             checked_array<double> model_state::*const* last, int target)
{
    for (; first != last; ++first)
        checked_array_grow(s.**first, std::max(0, target - (s.**first).cap));
}

void fit_rows(row_array<double>& r, int target, int cells)
{
    row_array_add_rows(r, std::max(0, target - r.count), cells);
}

// Rows of the overland concentrations and masses up to the target.
void fit_concentration_rows(model_state& s, int target, int cells)
{
    for (row_array<double>* r : {&s.ov_conc, &s.ov_soil_conc, &s.ov_mass})
        fit_rows(*r, target, cells);
}

// The overland concentration, mass and largest-concentration rows of the
// nine nutrient species are the overland part's own arrays (adopted; the
// species keep them).
void adopt_overland_rows(model_state& s, qbn_overland& o, int cells)
{
    const struct {
        row_array<double>* rows;
        checked_array<double> qbn_constituent::*array;
    } adopted[] = {
        {&s.ov_conc, &qbn_constituent::conc},
        {&s.ov_mass, &qbn_constituent::mass},
        {&s.ov_soil_conc, &qbn_constituent::maxconc},
    };
    for (const auto& a : adopted) {
        double* source[nutrient_species + 1] = {};
        for (int k = 0; k < nutrient_species; ++k)
            source[k + 1] = (o.species[k].*a.array).data;
        row_array_adopt_rows(*a.rows, nutrient_species, source, cells);
    }
}

void adopt_soil_pools(model_state& s, qbn_soil& soil, int cells)
{
    double** source[qbn_soil_pool_count + 1] = {};
    for (int k = 1; k <= qbn_soil_pool_count && k <= soil.pools.cap; ++k)
        source[k] = soil.pools[k] ? soil.pools[k]->row_table : nullptr;
    matrix_stack_adopt(s.soil_mass, qbn_soil_pool_count, source, cells,
                       s.soil_mass.count ? -1 : s.soil_con_layers);
}

} // namespace

void grow_constituent_arrays(model_state& s, int n, int cells, int nutrient)
{
    n = std::max(n, 0);
    const int extra = s.soil_con_trans && s.nutrients ? nutrient_soil_species : 0;
    if (nutrient)
        n = nutrient_species + extra;
    const int width = s.soil_con_layers + 1;

    if (!s.ov_point_q) {
        for (dvec* v : {&s.ov_point_q, &s.con_inf_work, &s.con_chan_work, &s.con_inf_acc})
            dvector_alloc_zero(*v, cells, "constituent work array");
        if (s.contam_map_given)
            dvector_alloc_zero(s.contam_map, cells, "contam_map");
        if (s.soil_con_trans)
            for (dvec* v : {&s.soil_con_exfil, &s.soil_flux_top, &s.soil_flux_bottom})
                dvector_alloc_zero(*v, cells, "soil constituent water array");
    }
    const int first_new = s.constituent_type.cap + 1;
    const int target = first_new - 1 + n;
    fit_all(s, std::begin(scalar_totals), std::end(scalar_totals), target);

    checked_int_array_grow_fill(s.constituent_type, n, nutrient ? nutrient_kind : contaminant_kind);
    s.num_constituents += n;
    if (nutrient) {
        s.num_qbn_constituents = n;
        s.first_qbn_constituent = first_new;
        for (int i = first_new + nutrient_species; i < first_new + n; ++i)
            s.constituent_type[i] = nutrient_soil_kind;
        fit_concentration_rows(s, first_new - 1, cells);
        if (s.qbn_object)
            adopt_overland_rows(s, s.qbn_object->overland, cells);
        fit_concentration_rows(s, target, cells);
        // The groundwater tables of the nutrient module fill these rows.
        fit_rows(s.soil_group_rows, target, cells);
    } else {
        s.num_contam = n;
        fit_concentration_rows(s, target, cells);
    }
    for (row_array<double> model_state::*r : surface_rows)
        fit_rows(s.*r, target, cells);

    if (s.soil_con_trans) {
        if (nutrient && s.qbn_object)
            qbn_soil_alloc(s, s.qbn_object->soil);
        grow_all(s, std::begin(soil_totals), std::end(soil_totals), n);
        row_array_add_rows(s.soil_decay, n, cells);
        for (row_array<double> model_state::*r : soil_rows)
            fit_rows(s.*r, target, cells);
        if (nutrient && s.qbn_object && n == qbn_soil_pool_count) {
            // The soil masses of the nutrient constituents are the soil
            // pools' own amounts (adopted; the pools keep them).
            adopt_soil_pools(s, s.qbn_object->soil, cells);
            for (matrix_stack* m : {&s.soil_conc, &s.soil_sed_con})
                matrix_stack_add(*m, n, 0.0, cells, width);
        } else {
            for (matrix_stack* m : {&s.soil_mass, &s.soil_conc, &s.soil_sed_con})
                matrix_stack_add(*m, n, 0.0, cells, width);
        }
    }
    if (s.sediment_contam) {
        const int classes = s.sed.num_sed;
        grow_all(s, std::begin(sediment_totals_), std::end(sediment_totals_), n);
        for (row_array<double>* r :
             {&s.ov_sed_con, &s.sed_con_mass, &s.sed_con_work, &s.sed_con_chan_deposit})
            row_array_add_rows(*r, n, cells);
        row_array_add_rows(s.sed_con_rows, n, classes);
        for (matrix_stack* m : {&s.sed_con_class, &s.sed_con_class_out})
            matrix_stack_add(*m, n, 0.0, cells, classes);
    }
}
