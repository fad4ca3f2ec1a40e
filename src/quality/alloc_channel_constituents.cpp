// The channel and lake constituent arrays, their initial values and the
// channel constituent output file. Every [constituent][node] row is one flat
// node vector (node k of link l at link x node_dim + k), allocated once per
// run; the initial lake masses join the run's initial mass.
#include <algorithm>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "quality/chan_route_state.h"
#include "quality/qbn_model.h"
#include "quality/quality_steps.h"

namespace
{

constexpr int contaminant_kind = 1;
constexpr int nutrient_kind = 2;
constexpr int nutrient_soil_kind = 3;
constexpr int nutrient_species = 9;
constexpr int lake_link = 0x20;
constexpr int structure_link = 0x40;
constexpr double seconds_per_day = 86400.0;

// Rows of the dissolved state: concentration, node mass, dispersion.
void add_state_rows(model_state& s, int k1, int k2, int k3, int nodes)
{
    for (row_array<double>* r : {&s.chan_conc, &s.chan_node_mass, &s.chan_node_disp})
        row_array_add_rows(*r, k1, nodes);
    if (k2 > 0) {
        // The nine nutrient rows are the stream part's own concentration,
        // mass and dispersion arrays (adopted; the stream part keeps them).
        qbn_stream* p = s.qbn_object ? &s.qbn_object->stream : nullptr;
        if (p && p->species[0].conc.cap >= nodes && p->dispersion.cap >= nodes) {
            double* conc[nutrient_species + 1] = {};
            double* mass[nutrient_species + 1] = {};
            double* disp[nutrient_species + 1] = {};
            for (int k = 0; k < nutrient_species; ++k) {
                conc[k + 1] = p->species[k].conc.data;
                mass[k + 1] = p->species[k].mass.data;
                disp[k + 1] = p->dispersion.data;
            }
            row_array_adopt_rows(s.chan_conc, nutrient_species, conc, nodes);
            row_array_adopt_rows(s.chan_node_mass, nutrient_species, mass, nodes);
            row_array_adopt_rows(s.chan_node_disp, nutrient_species, disp, nodes);
        } else {
            for (row_array<double>* r : {&s.chan_conc, &s.chan_node_mass, &s.chan_node_disp})
                row_array_add_rows(*r, nutrient_species, nodes);
        }
        for (row_array<double>* r : {&s.chan_conc, &s.chan_node_mass, &s.chan_node_disp})
            row_array_add_rows(*r, k3, nodes);
    }
}

void add_work_rows(model_state& s, int c, int nodes)
{
    row_array<double>* rows[] = {&s.chan_qbn_source,    &s.q_node_mass,    &s.chan_point_mass_flux,
                                 &s.conc_qlat,          &s.chan_qlat_mass, &s.chan_node_decay,
                                 &s.chan_disp,          &s.chan_mass,      &s.chan_gw_mass,
                                 &s.dissolved_chan_flux};
    for (row_array<double>* r : rows)
        row_array_add_rows(*r, c, nodes);
    if (s.stream_loss)
        row_array_add_rows(s.qriv_mass, c, nodes);
    checked_array_grow(s.chan_initial_mass_total, c);
    if (s.chan_lakes) {
        dvector_alloc_zero(s.lake_precip_conc, s.num_lakes, "lake_precip_conc");
        if (s.lake_gw_exchange)
            dvector_alloc_zero(s.lake_gw_cell_vol, s.num_cells, "lake_gw_cell_vol");
        row_array<double>* lake_rows[] = {&s.lake_conc,
                                          &s.lake_mass,
                                          &s.lake_qbn_source,
                                          &s.lake_decay_coef,
                                          &s.lake_chan_inflow_mass,
                                          &s.lake_ov_inflow_mass,
                                          &s.lake_point_mass,
                                          &s.lake_decay_mass,
                                          &s.lake_precip_mass,
                                          &s.lake_gw_mass,
                                          &s.lake_chan_outflow_mass,
                                          &s.lake_chan_exchange_mass};
        for (row_array<double>* r : lake_rows)
            row_array_add_rows(*r, c, s.num_lakes);
        checked_array_grow(s.lake_initial_mass_total, c);
    }
    if (s.sediment_contam) {
        const int classes = s.sed.num_sed;
        checked_array_grow(s.chan_soil_water_partition, c);
        for (row_array<double>* r : {&s.chan_tot_node_mass, &s.chan_node_fraction_dissolved,
                                     &s.chan_node_sed_source_mass, &s.attached_chan_flux})
            row_array_add_rows(*r, c, nodes);
        for (matrix_stack* m :
             {&s.chan_qlat_sed_mass, &s.chan_sed_contam_node_conc, &s.chan_sed_fract_attached})
            matrix_stack_add(*m, c, 0.0, nodes, classes);
        dvector_alloc_zero(s.chan_sed_con_out, nodes, "chan_sed_con_out");
        dvector_alloc_zero(s.chan_sed_con_lat, nodes, "chan_sed_con_lat");
        if (s.chan_lakes) {
            for (row_array<double>* r :
                 {&s.ov_lake_sed_source, &s.chan_lake_sed_source, &s.lake_tot_mass, &s.lake_settled_sed_mass,
                  &s.lake_sed_contam_source, &s.lake_fraction_dissolved})
                row_array_add_rows(*r, c, s.num_lakes);
            for (matrix_stack* m : {&s.lake_sed_contam_conc, &s.lake_sed_fract_attached})
                matrix_stack_add(*m, c, 0.0, s.num_lakes, classes);
            for (dmat* m : {&s.lake_settled_vol_step, &s.lake_settled_vol_seen})
                m->assign(s.num_lakes, classes, 0.0);
            for (dvec* v : {&s.OV_LAKE_SED_CONTAM_MASS, &s.CHAN_LAKE_SED_CONTAM_MASS,
                            &s.LAKE_SED_CONTAM_SOURCE_MASS, &s.LAKE_SETTLED_SED_MASS})
                dvector_alloc_zero(*v, c, "lake attached constituent total");
        }
    }
}

// The per-constituent channel and lake totals of the event summary (kg).
void alloc_event_totals(model_state& s, int c)
{
    dvec* chan[] = {&s.chan_point_mass_event,   &s.chan_initial_dissolved_event, &s.chan_ov_mass_event,
                    &s.chan_gw_mass_event,      &s.chan_decay_mass_event,        &s.chan_final_dissolved,
                    &s.chan_outlet_flux_event,  &s.chan_outlet_mass_event,       &s.chan_to_lake_mass_event,
                    &s.chan_sed_exchange_event, &s.chan_qlat_mass_event,         &s.chan_qbn_gained_event,
                    &s.chan_qbn_lost_event,     &s.chan_total_mass_event,        &s.chan_attached_final,
                    &s.chan_contam_error,       &s.chan_outlet_mass_total,       &s.chan_qlat_mass_total};
    for (dvec* v : chan)
        dvector_alloc_zero(*v, c, "channel constituent total");
    if (!s.chan_lakes)
        return;
    dvec* lake[] = {&s.lake_initial_dissolved_event,
                    &s.lake_final_dissolved_event,
                    &s.lake_ov_mass_event,
                    &s.lake_point_mass_event,
                    &s.lake_precip_mass_event,
                    &s.lake_gw_mass_event,
                    &s.lake_outlet_mass_event,
                    &s.lake_chan_exchange_event,
                    &s.lake_decay_mass_event,
                    &s.event_ov_lake_sed_contam_mass,
                    &s.event_chan_lake_sed_contam_mass,
                    &s.event_lake_sed_contam_source_mass,
                    &s.event_lake_settled_sed_mass,
                    &s.lake_attached_final,
                    &s.lake_contam_error,
                    &s.lake_final_mass_run};
    for (dvec* v : lake)
        dvector_alloc_zero(*v, c, "lake constituent total");
}

bool open_output_file(model_state& s)
{
    if (s.chan_con_output_name.empty() || s.chan_aux_file.fp)
        return true;
    if (file_rec_open(s.chan_aux_file, s.chan_con_output_name, "w"))
        return true;
    std::printf("Can't open %s to write channel contam data \n", s.chan_con_output_name.c_str());
    error_set(err_stop);
    error_state.raised = 1;
    return false;
}

void initial_values(model_state& s, int c)
{
    const double decay = s.chan_decay_coef / seconds_per_day;
    const int links = std::min({s.num_links, s.ltype.size(), s.nx.size()});
    for (int l = 1; l <= links; ++l) {
        const int type = s.ltype[l];
        if (type & structure_link)
            continue;
        if (type & lake_link) {
            const int lake = l <= s.lake2link.size() ? s.lake2link[l] : 0;
            if (!s.chan_lakes || lake < 1 || lake > s.num_lakes || lake > s.lake_volume.size())
                continue;
            for (int m = 1; m <= c; ++m) {
                const double conc = s.init_chan_conc;
                const double mass = conc * s.lake_volume[lake];
                s.lake_conc[m][lake] = conc;
                s.lake_mass[m][lake] = mass;
                if (s.sediment_contam)
                    s.lake_tot_mass[m][lake] = mass;
                s.lake_initial_mass_total[m] += mass / 1000.0;
                s.GLOBAL_MASS_INIT[m] += mass / 1000.0;
                s.lake_decay_coef[m][lake] = decay;
            }
            continue;
        }
        // The node areas of a hotstart are computed from its stages only
        // later: every node starts at the concentration here, and the
        // channel's initial state empties the nodes that turn out dry.
        const int nodes = s.nx[l];
        for (int k = 1; k <= nodes && k < s.node_dim; ++k) {
            const int node = s.node_dim * l + k;
            for (int m = 1; m <= c; ++m) {
                s.chan_node_decay[m][node] = decay;
                s.chan_node_disp[m][node] = s.chan_disp_coef;
                s.chan_conc[m][node] = s.init_chan_conc;
            }
        }
    }
}

} // namespace

void alloc_channel_constituents(model_state& s)
{
    if (!s.chan_con_trans)
        return;
    // Only constituents with a kind have channel rows.
    const int c = std::min(s.num_constituents, s.constituent_type.cap);
    int k1 = 0, k2 = 0, k3 = 0;
    for (int i = 1; i <= c; ++i) {
        const int kind = s.constituent_type[i];
        k1 += kind == contaminant_kind;
        k2 += kind == nutrient_kind;
        k3 += kind == nutrient_soil_kind;
    }
    const int nodes = s.link_node_cells;
    add_state_rows(s, k1, k2, k3, nodes);
    add_work_rows(s, c, nodes);
    alloc_event_totals(s, c);
    if (run_stopped())
        return;
    if (!chan_route_alloc(s, c)) {
        error_set(err_stop);
        return;
    }
    if (!open_output_file(s))
        return;
    initial_values(s, c);
    if (s.sediment_contam) {
        for (int m = 1; m <= c; ++m) {
            s.chan_soil_water_partition[m] = 0.5;
            double* row = row_array_get(s.sed_con_rows, m);
            for (int j = 1; row && j <= s.sed_con_rows.width; ++j)
                row[j] = 0.33;
            // Until a node or lake first meets wash load its mass is all
            // dissolved.
            for (int j = 0; j <= nodes; ++j)
                s.chan_node_fraction_dissolved[m][j] = 1.0;
            for (int k = 0; s.chan_lakes && k <= s.num_lakes; ++k)
                s.lake_fraction_dissolved[m][k] = 1.0;
        }
    }
}
