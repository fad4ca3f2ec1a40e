// Water-quality members filled at input time: the sediment size classes with
// their settling velocities and the erosion properties of the cells, the
// contaminant table, and the constituent work arrays and totals that grow
// with the number of constituents.
#pragma once

#include <string>
#include <vector>

#include "core/arrays.h"
#include "core/containers.h"

struct sediment_input_state {
    int sed_const_4 = 0;
    double sand_size = 0.0; // mm
    double silt_size = 0.0;
    double clay_size = 0.0;
    double sed_porosity = 0.0;
    // Per size class 1..num_sed.
    dvec spec_grav;
    dvec part_diam;        // mm
    dvec f_bind;
    dvec particle_density; // g/m3
    dvec fall_velocity;    // m/s
    std::vector<std::string> sed_output_names;
    ivec sed_class;        // the fine classes in class order, then the sand classes
    // Per cell.
    dvec qsx;
    dvec qsy;
    dvec splash_K;
    dvec sed_K;
    dvec detach_coef;
    dvec detach_crit;
    dvec detach_exp;
    // [cell][class].
    dmat ov_sed_conc;
    dmat ov_sed_vol_deposited;
    dmat ov_sed_vol_eroded;
    dmat ov_sed_vol_qsx;
    dmat ov_sed_vol_qsy;
    dmat ov_vol_sed_susp;
    // [cell][class][slot]: fraction of the class in the cell's parent soil
    // (slot 1), suspended load (2) and deposits (3); the volumes themselves
    // are the overland sediment table's cell_tally.
    dcube sed_fract;
    // [class].
    dmat tot_sed;         // [class][1..4]
    dmat GLOBAL_MASS_SED; // [class][1..4]
    dmat GLOBAL_VOL_SED;
    // [class][cell] sediment passed to the pipe network and the channels.
    dmat ov_superlink_sed;
    dmat chan_superlink_sed;
};

struct constituent_input_state {
    std::vector<std::string> contam_output_names; // entries 1..num_contam
    int num_qbn_constituents = 0;
    // [constituent][cell] columns 1, 5 and 7 of the contaminant table
    // (every row carries column 7; no step uses it).
    row_array<double> ov_con_table_1;
    row_array<double> soil_group_rows;
    row_array<double> ov_con_table_7;
    // Per-cell work arrays of the constituent steps.
    dvec con_inf_work;
    dvec con_chan_work;
    dvec con_inf_acc;
    dvec contam_map; // CONTAM_MAP load per cell
    // Per-constituent totals not kept elsewhere.
    checked_array<double> ov_qbn_gain_mass;
    checked_array<double> ov_qbn_loss_mass;
    checked_array<double> global_precip_mass;
    checked_array<double> soil_gw_in_mass;
    checked_array<double> soil_gw_out_mass;
    checked_array<double> soil_exfil_mass;
    checked_array<double> soil_decay_mass;
    checked_array<double> event_soil_exfil_mass;
    checked_array<double> ov_sed_source_mass;
    checked_array<double> ov_sed_con_arr;
    // [constituent][class] sediment-attached rows.
    row_array<double> sed_con_rows;
};
