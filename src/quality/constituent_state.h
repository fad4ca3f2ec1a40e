// Constituent transport on the land surface and in the soil: switches,
// constituent clocks, per-cell tables and the per-constituent mass totals.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/arrays.h"
#include "core/containers.h"
#include "core/file_rec.h"

struct constituent_state {
    int ov_con_trans = 0;
    int con_any = 0;
    int chan_con_trans = 0;
    int all_contam_output = 0;

    // Constituent clocks (next and last time; intervals borrowed).
    double contam_dt = 0.0, contam_dt_days = 0.0;
    double contam_next = 0.0, contam_last = 0.0;
    double precip_con_next = 0.0, precip_con_last = 0.0;
    double precip_load_next = 0.0, precip_load_last = 0.0;
    double soil_exch_next = 0.0, soil_exch_last = 0.0;
    double ov_loss_next = 0.0, ov_loss_last = 0.0;
    double outlet_con_next = 0.0, outlet_con_last = 0.0;
    double ov_chan_exch_next = 0.0, ov_chan_exch_last = 0.0;
    double qbn_ov_next = 0.0, qbn_ov_last = 0.0;
    double qbn_ov2_next = 0.0, qbn_ov2_last = 0.0;
    double chan_con_next = 0.0, chan_con_last = 0.0;
    double chan_outlet_next = 0.0, chan_outlet_last = 0.0;
    double chan_kin_next = 0.0, chan_kin_last = 0.0;
    double chan_load_next = 0.0, chan_load_last = 0.0;
    double chan_qbn_next = 0.0, chan_qbn_last = 0.0;
    double soil_layer_next = 0.0, soil_layer_last = 0.0;
    double soil_con_next = 0.0, soil_con_last = 0.0;

    // [constituent][cell] tables.
    row_array<double> ov_conc;
    row_array<double> ov_soil_conc;
    row_array<double> ov_mass;
    row_array<double> ov_decay;
    row_array<double> ov_uptake;

    // Per-constituent mass totals (zero-based, named for their reports).
    checked_array<double> precip_conc;
    checked_array<double> OV_MASS_INIT;
    checked_array<double> OV_MASS_FINAL;
    checked_array<double> OV_MASS_OUT;
    checked_array<double> OV_QLAT_MASS;
    checked_array<double> OV_MASS_DECAY;
    checked_array<double> OV_POINT_MASS;
    checked_array<double> OV_EXFIL_MASS;
    checked_array<double> OV_PRECIP_MASS;
    checked_array<double> OV_INFIL_MASS;
    checked_array<double> OV_MASS_ERROR;
    checked_array<double> OV_LAND_MASS;
    checked_array<double> OV_LAND_MASS_INIT;
    checked_array<double> OV_LAND_MASS_FINAL;
    checked_array<double> OV_UPTAKE_MASS;
    checked_array<double> event_ov_mass_init;
    checked_array<double> event_ov_decay_mass;
    checked_array<double> event_ov_uptake_mass;
    checked_array<double> event_ov_infil_mass;
    checked_array<double> event_ov_exfil_mass;
    checked_array<double> event_ov_qlat_mass;
    checked_array<double> event_ov_mass_out;
    checked_array<double> event_ov_point_mass;
    checked_array<double> event_ov_precip_mass;
    checked_array<double> event_ov_land_mass;
    checked_array<double> event_ov_neg_mass;
    // The same clips over the run (kg): an input of the run's overland and
    // global balances.
    checked_array<double> ov_neg_mass_run;
    checked_array<double> ov_out_dmt;
    checked_array<double> ov_point_dmt;
    checked_array<double> ov_decay_dmt;
    checked_array<double> ov_infil_dmt;
    checked_array<double> ov_qlat_dmt;
    checked_array<double> ov_uptake_dmt;
    checked_array<double> ov_qbn_dmt;
    checked_array<double> ov_qbn_dmt_in;
    checked_array<double> ov_qbn_dmt_out;
    checked_array<double> ov_precip_dmt;
    checked_array<double> ov_exit_mass;
    checked_array<double> GLOBAL_MASS_CON_ERROR;
    checked_array<double> GLOBAL_MASS_DECAY;
    checked_array<double> GLOBAL_MASS_INIT;
    checked_array<double> GLOBAL_MASS_FINAL;
    checked_array<double> GLOBAL_POINT_SOURCE;
    checked_array<double> GLOBAL_MASS_OUT;
    checked_array<double> GLOBAL_GW_MASS;
    checked_array<int> constituent_type;
    checked_array<double> water_soil_partition_coef;

    // Unnamed totals read by the constituent steps.
    checked_array<double> soil_infil_mass;
    checked_array<double> qbn_uptake_mass;

    // Event masses per constituent (kg) of the soil and overland balances,
    // with the soil mass at the close and the soil balance error (percent).
    checked_array<double> event_soil_mass_init;
    checked_array<double> event_soil_infil_mass;
    checked_array<double> event_soil_gw_in_mass;
    checked_array<double> event_soil_gw_out_mass;
    checked_array<double> event_soil_decay_mass;
    checked_array<double> event_soil_to_ov_mass;
    checked_array<double> event_soil_sed_mass;
    checked_array<double> soil_mass_final;
    checked_array<double> soil_mass_error;
    checked_array<double> event_ov_to_soil_mass;
    checked_array<double> event_sed_out_mass;
    checked_array<double> event_ov_sed_source_mass;
    checked_array<double> event_ov_qbn_loss_mass;
    checked_array<double> event_ov_qbn_gain_mass;

    // Channel and lake masses per constituent (kg) of the event, at the
    // close, and their balance errors (percent).
    dvec chan_point_mass_event;
    dvec chan_initial_dissolved_event;
    dvec chan_ov_mass_event;
    dvec chan_gw_mass_event;
    dvec chan_decay_mass_event;
    dvec chan_final_dissolved;
    dvec chan_outlet_flux_event;
    dvec chan_outlet_mass_event;
    dvec chan_to_lake_mass_event;
    dvec chan_sed_exchange_event;
    dvec chan_qlat_mass_event;
    dvec chan_qbn_gained_event;
    dvec chan_qbn_lost_event;
    dvec chan_total_mass_event;
    dvec chan_attached_final;
    dvec chan_contam_error;
    dvec lake_initial_dissolved_event;
    dvec lake_final_dissolved_event;
    dvec lake_ov_mass_event;
    dvec lake_point_mass_event;
    dvec lake_precip_mass_event;
    dvec lake_gw_mass_event;
    dvec lake_outlet_mass_event;
    dvec lake_chan_exchange_event;
    dvec lake_decay_mass_event;
    dvec event_ov_lake_sed_contam_mass;
    dvec event_chan_lake_sed_contam_mass;
    dvec event_lake_sed_contam_source_mass;
    dvec lake_contam_error;

    // Name of each constituent of the contaminant table (entries 1..n).
    std::vector<std::string> constituent_names;
    // [constituent][cell] mass not dissolved on the land surface, g.
    row_array<double> land_mass;
    // [constituent][link x node_dim + node] channel concentration (g/m3)
    // and total node mass (g); [constituent][lake] lake mass (g) and
    // concentration (mg/L).
    row_array<double> chan_conc;
    row_array<double> chan_tot_node_mass;
    row_array<double> lake_mass;
    row_array<double> lake_conc;
    // [constituent][link x node_dim + node][class] attached concentration.
    matrix_stack chan_sed_contam_node_conc;

    // Channel constituents, [constituent][link x node_dim + node]: the
    // node mass (g) and dispersion coefficient beside chan_conc, and the
    // work rows of the channel transport steps (all zero at the start).
    row_array<double> chan_node_mass;
    row_array<double> chan_node_disp;
    row_array<double> chan_qbn_source;
    row_array<double> q_node_mass;
    row_array<double> chan_point_mass_flux;
    row_array<double> conc_qlat;
    row_array<double> chan_qlat_mass;
    row_array<double> chan_node_decay; // decay rate, per second
    row_array<double> chan_disp;
    row_array<double> chan_mass;
    row_array<double> chan_gw_mass;
    row_array<double> dissolved_chan_flux;
    row_array<double> qriv_mass; // STREAM_LOSS
    // Channel lakes, [constituent][lake]: decay rate (per second) and the
    // masses the lake steps exchange (g); the run's initial lake mass (kg).
    row_array<double> lake_qbn_source;
    row_array<double> lake_decay_coef;
    row_array<double> lake_chan_inflow_mass;
    row_array<double> lake_ov_inflow_mass;
    row_array<double> lake_point_mass;
    row_array<double> lake_decay_mass;
    row_array<double> lake_precip_mass;
    row_array<double> lake_gw_mass;
    row_array<double> lake_chan_outflow_mass;
    row_array<double> lake_chan_exchange_mass;
    checked_array<double> lake_initial_mass_total;
    // The run's initial dissolved mass in the channel nodes (kg).
    checked_array<double> chan_initial_mass_total;
    // Per lake: the rain volume (m3) that fell on it since the last channel
    // constituent step; per cell: the lake-bed exchange volume (m3,
    // positive into the lake) since the last groundwater load.
    dvec lake_precip_conc;
    dvec lake_gw_cell_vol;
    // SEDIMENT_CONTAM: per constituent the water-soil partition in the
    // channels; per [constituent][node] the phase split and exchanges; per
    // [constituent][node][class] the attached masses and fractions.
    checked_array<double> chan_soil_water_partition;
    row_array<double> chan_node_fraction_dissolved;
    row_array<double> chan_node_sed_source_mass;
    row_array<double> attached_chan_flux;
    matrix_stack chan_qlat_sed_mass;
    matrix_stack chan_sed_fract_attached;
    // SEDIMENT_CONTAM with channel lakes: per [constituent][lake] the
    // attached mass carried in from the land and from the channels (g,
    // signed), the total of both phases, the settled attached mass, the
    // queued change of the dissolved mass and the dissolved fraction; per
    // [constituent][lake][class] the attached mass per m3 of wash load and
    // the attached fractions; per constituent the event and run totals (kg).
    row_array<double> ov_lake_sed_source;
    row_array<double> chan_lake_sed_source;
    row_array<double> lake_tot_mass;
    row_array<double> lake_settled_sed_mass;
    row_array<double> lake_sed_contam_source;
    row_array<double> lake_fraction_dissolved;
    matrix_stack lake_sed_contam_conc;
    matrix_stack lake_sed_fract_attached;
    dvec event_lake_settled_sed_mass;
    // Per [lake][fine position]: the wash-load volume settled in each lake
    // since the last attached routing (m3), and the run's settled volume
    // already taken into account.
    dmat lake_settled_vol_step;
    dmat lake_settled_vol_seen;
    // Per constituent: the attached mass still suspended in the lakes at
    // the event's end (kg).
    dvec lake_attached_final;
    // Work of the attached routing, per flat node: the attached mass that
    // left each node and its lateral attached inflow in the step (g).
    dvec chan_sed_con_out;
    dvec chan_sed_con_lat;
    // Run total of the mass that left through the outlet node attached to
    // the wash load (kg per constituent).
    dvec chan_outlet_mass_total;
    // Run total of the attached mass the land handed to the channel nodes
    // with its sediment (kg per constituent).
    dvec chan_qlat_mass_total;
    // Length of the last groundwater-load sub-step (s).
    double chan_load_dt = 0.0;
    dvec OV_LAKE_SED_CONTAM_MASS;
    dvec CHAN_LAKE_SED_CONTAM_MASS;
    dvec LAKE_SED_CONTAM_SOURCE_MASS;
    dvec LAKE_SETTLED_SED_MASS;

    int num_constituents = 0;
    int num_contam = 0; // -1 until the contaminant table is read
    int soil_con_trans = 0;
    int soil_con_layers = 0;
    double mixing_layer_depth = 0.0;

    // [constituent][cell] decay rate of the soil, per second.
    row_array<double> soil_decay;
    // Thickness and bottom depth of each soil constituent layer (m, slots
    // 1..3); the layered scheme sets them per cell.
    checked_array<double> soil_con_layer_depth;
    checked_array<double> soil_con_layer_bottom;

    // [constituent][cell][layer] stacks.
    matrix_stack soil_mass;
    matrix_stack soil_conc;
    matrix_stack soil_sed_con;

    // Soil constituent transport, [constituent][cell]: the soil-water
    // partition coefficient (L/kg) and the masses (g) other steps hand to
    // the soil step or take from it, each cleared once booked: mass carried
    // down by infiltration, mass moved from the soil to the surface water by
    // the surface exchange (negative the other way), mass rising out of the
    // column top with exfiltration, the surface-side receiver of that mass,
    // and the sediment-side mass handed to the top layer (SEDIMENT_CONTAM).
    row_array<double> soil_kd;
    row_array<double> soil_con_inflow;
    row_array<double> ov_soil_exch_mass;
    row_array<double> soil_exfil_cell_mass;
    row_array<double> soil_con_work;
    // (The sediment-side mass, sed_con_work, is with the attached phase.)
    // Nutrient module hand-overs to the overland mass step, [constituent]
    // [cell] (g): soil-to-water transfer, net reaction change, reaction loss.
    row_array<double> soil_exch_cell_mass;
    row_array<double> qbn_cell_mass;
    row_array<double> decay_cell_mass;
    // Per cell since the last soil constituent step: exfiltrated volume (m3,
    // negative for leakage down) and the water passed across the bottom of
    // the top soil layer and of the column (cm).
    dvec soil_con_exfil;
    dvec soil_flux_top;
    dvec soil_flux_bottom;
    // Per constituent, g of the current soil step: decay, leaching out of
    // the column bottom and mass rising into it from the water table.
    checked_array<double> soil_decay_step;
    checked_array<double> soil_gw_out_step;
    checked_array<double> soil_gw_in_step;
    // Per constituent, kg of the event: negative soil layer masses set to
    // zero (mass the clip added, an input of the soil balance).
    checked_array<double> event_soil_neg_mass;
    checked_array<double> soil_neg_mass_run; // the same over the run

    int sed_contam_on = 0;
};

// Sediment-attached constituents.
struct sed_constituent_state {
    row_array<double> ov_sed_con;
    matrix_stack sed_con_class;
    matrix_stack sed_con_class_out;
    checked_array<double> ov_sed_attached_mass;
    checked_array<double> ov_total_mass;
    checked_array<double> soil_sed_mass;
    checked_array<double> sed_out_mass;
    row_array<double> sed_con_mass; // [constituent][cell] attached mass, g
    // [constituent][cell] attached mass handed back to (positive) or taken
    // from (negative) the soil, g; slot 0 the sum over the cells.
    row_array<double> sed_con_work;
    // [constituent][cell] attached mass laid down with the deposits of a
    // channel cell, g: the channel step hands it to the nodes with that
    // sediment, and what stays on the land then joins sed_con_work.
    row_array<double> sed_con_chan_deposit;
    // Per cell: the fine volume of those deposits (m3).
    dvec sed_con_chan_deposit_vol;
};

// Gives the named totals and stacks their names.
void constituent_state_name_arrays(constituent_state& c);
