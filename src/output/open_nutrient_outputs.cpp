// The nutrient module's map outputs, opened once at start-up: the overland
// total nitrogen and total phosphorus series and, per water constituent
// with its overland output on, a mass and a concentration series.
#include "output/output_steps.h"

#include "core/error_state.h"
#include "core/model_state.h"
#include "output/map_series.h"
#include "quality/qbn_model.h"

namespace
{

// Object ids and names of the per-constituent series, in the module's
// constituent order (NO2 .. DO).
struct species_map_ids {
    int mass_id;
    const char* mass_name;
    int conc_id;
    const char* conc_name;
};
const species_map_ids species_maps[qbn_constituent_count] = {
    {1025, "OV_no2_mass", 1026, "OV_no2_conc"}, {1028, "OV_no3_mass", 1029, "OV_no3_conc"},
    {1031, "OV_nh4_mass", 1032, "OV_nh4_conc"}, {1034, "OV_on_mass", 1035, "OV_on_conc"},
    {1037, "OV_op_mass", 1038, "OV_op_conc"},   {1040, "OV_dp_mass", 1041, "OV_dp_conc"},
    {1046, "OV_alg_mass", 1047, "OV_alg_conc"}, {1049, "OV_cbod_mass", 1050, "OV_cbod_conc"},
    {1052, "OV_do_mass", 1053, "OV_do_conc"},
};

void bind(map_series& w, const model_state& s, const double* values, double scale)
{
    map_series_bind(w, s, values, scale, 4);
}

// False once an open failed (its code is pending for the run driver).
bool opened()
{
    return !error_state.raised && !error_state.code;
}

} // namespace

void open_nutrient_outputs(model_state& s)
{
    if (!s.qbn_object)
        return;
    qbn_model& m = *s.qbn_object;
    qbn_overland& o = m.overland;
    const int format = map_format_code(s);
    if (s.cards.total_ov_n_given) {
        bind(m.maps.total_n, s, o.total_n.data, 1000.0);
        map_series_open(m.maps.total_n, format, s.cards.total_ov_n, "", ".asc", 1055, "Total_ov_N", s);
        if (!opened())
            return;
    }
    if (s.cards.total_ov_p_given) {
        bind(m.maps.total_p, s, o.total_p.data, 1000.0);
        map_series_open(m.maps.total_p, format, s.cards.total_ov_p, "", ".asc", 1056, "Total_ov_P", s);
        if (!opened())
            return;
    }
    map_series_row_array_add_rows(m.maps.rows, qbn_constituent_count);
    if (error_state.raised || m.maps.rows.count < qbn_constituent_count)
        return;
    for (int k = 0; k < qbn_constituent_count; ++k) {
        if (m.out_ov[k].flag != 1)
            continue;
        const species_map_ids& id = species_maps[k];
        map_series& mass = m.maps.rows[k + 1][1];
        map_series& conc = m.maps.rows[k + 1][2];
        bind(mass, s, o.species[k].mass.data, 1000.0);
        map_series_open(mass, format, m.out_ov[k].name, ".mass", ".asc", id.mass_id, id.mass_name, s);
        if (!opened())
            return;
        bind(conc, s, o.species[k].conc.data, 1.0);
        map_series_open(conc, format, m.out_ov[k].name, ".conc", ".asc", id.conc_id, id.conc_name, s);
        if (!opened())
            return;
    }
}
