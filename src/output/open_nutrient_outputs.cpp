// The nutrient module's map and link/node outputs, opened once at start-up:
// the overland total nitrogen and total phosphorus series, the channel
// nitrogen, Kjeldahl nitrogen and phosphorus totals and, per water
// constituent with its overland or stream output on, a mass and a
// concentration series.
#include "output/output_steps.h"

#include "core/error_state.h"
#include "core/model_state.h"
#include "output/linknode_series.h"
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
    return !run_stopped();
}

// Link/node kinds of the channel outputs: the totals, and the mass and
// concentration of water constituent k at mass_kind + k and conc_kind + k.
constexpr int total_n_kind = 28;
constexpr int kjeldahl_n_kind = 29;
constexpr int total_p_kind = 30;
constexpr int mass_kind = 8;
constexpr int conc_kind = 17;

lake_values_view lake_row(const model_state& s, const checked_array<double>& values)
{
    const qbn_lake& l = s.qbn_object->lake;
    return s.chan_lakes && l.num_lakes > 0 ? lake_values_view(values.data, l.num_lakes) : lake_values_view();
}

// The channel series are written at the map output times: their headers
// give the map interval and the number of map times of the run.
linknode_header_times map_times(const model_state& s)
{
    linknode_header_times t = linknode_run_times(s);
    t.time_step = static_cast<int>(s.map_freq_steps * s.timestep / 60.0);
    t.num_steps = t.time_step > 0 ? s.tot_time / t.time_step : 0;
    return t;
}

// A channel total bound to its [node][link] table, in grams x 1000; false
// once the run stops. A file that cannot be opened is reported by its
// object ("output total channel nitrogen" and the like).
bool open_total(model_state& s, linknode_series& w, int kind, const row_array<double>& table,
                const checked_array<double>& lakes, const std::string& name, const char* what)
{
    const qbn_stream& p = s.qbn_object->stream;
    linknode_series_init_table(w, kind, table, s.nx1, s.og_nx1, s.ltype, s.lake2link, lake_row(s, lakes),
                               p.num_links, p.node_dim);
    return linknode_series_open(w, name, "", "", 1000.0, map_times(s), what) && !run_stopped();
}

bool open_species(model_state& s, linknode_series& w, int kind, const checked_array<double>& nodes,
                  const checked_array<double>& lakes, const std::string& name, const char* ext, double scale)
{
    const qbn_stream& p = s.qbn_object->stream;
    linknode_series_init_flat(w, kind, nodes.data, s.nx1, s.og_nx1, s.ltype, s.lake2link, lake_row(s, lakes),
                              p.num_links, p.node_dim);
    return linknode_series_open(w, name, ext, "", scale, map_times(s)) && !run_stopped();
}

// The channel outputs: nothing without the module's stream part.
void open_channel_outputs(model_state& s)
{
    qbn_model& m = *s.qbn_object;
    const qbn_stream& p = m.stream;
    const qbn_lake& l = m.lake;
    if (!s.chan_explicit || p.num_links <= 0)
        return;
    const project_cards& c = s.cards;
    if (c.total_chan_n_given && !open_total(s, m.linknodes.total_n, total_n_kind, p.total_n, l.total_n,
                                            c.total_chan_n, "output total channel nitrogen"))
        return;
    if (c.total_chan_kn_given && !open_total(s, m.linknodes.kjeldahl_n, kjeldahl_n_kind, p.kjeldahl_n,
                                             l.kjeldahl_n, c.total_chan_kn, "output total channel Kjeldahl nitrogen"))
        return;
    if (c.total_chan_p_given && !open_total(s, m.linknodes.total_p, total_p_kind, p.total_p, l.total_p,
                                            c.total_chan_p, "output total channel phosphorus"))
        return;
    linknode_series_row_array_add_rows(m.linknodes.rows, qbn_constituent_count);
    if (run_stopped() || m.linknodes.rows.count < qbn_constituent_count)
        return;
    for (int k = 0; k < qbn_constituent_count; ++k) {
        if (m.out_st[k].flag != 1)
            continue;
        const qbn_constituent& node = p.species[k];
        const qbn_constituent& lake = l.species[k];
        if (!open_species(s, m.linknodes.rows[k + 1][1], mass_kind + k, node.mass, lake.mass,
                          m.out_st[k].name, ".mass", 1000.0) ||
            !open_species(s, m.linknodes.rows[k + 1][2], conc_kind + k, node.conc, lake.conc,
                          m.out_st[k].name, ".conc", 1.0))
            return;
    }
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
    if (run_stopped() || m.maps.rows.count < qbn_constituent_count)
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
    open_channel_outputs(s);
}
