// Overland constituent transport between the process sub-steps and the mass
// step: the sub-step lengths, the per-cell accumulators the processes fill
// and the mass step empties, the hand-over rows shared with the soil step,
// the sediment-bound phase split, and the work vectors of the mass step
// (sized once per run by ov_contam_alloc).
#pragma once

#include <vector>

#include "core/arrays.h"
#include "core/containers.h"

// Masses (g) one mass step books, per term; the per-block partial sums of
// the source and hand-over loops, added in block order so totals do not
// depend on the thread count.
struct ov_source_booking {
    double precip = 0.0;
    double exfil = 0.0;
    double uptake = 0.0;
    double decay = 0.0;
    double sed_source = 0.0;
    double infil = 0.0;
    double qbn_in = 0.0;
    double qbn_out = 0.0;
    double qlat = 0.0;
    double out = 0.0;
    double negative = 0.0;
    int nan_cell = 0; // first cell of the block whose mass is not a number
};

struct ov_constituent_state {
    // Length of the last run of each sub-step (s; the two nutrient clocks
    // in days), for the pro-rating of the mass step.
    double precip_con_dt = 0.0;
    double precip_load_dt = 0.0;
    double soil_exch_dt = 0.0;
    double ov_loss_dt = 0.0;
    double qbn_ov_dt = 0.0;
    double qbn_ov2_dt = 0.0;
    double outlet_con_dt = 0.0;
    double ov_chan_exch_dt = 0.0;
    // Which direction the mass step sweeps first: 1 y, 2 x.
    int ov_con_sweep = 1;

    // [constituent][cell] accumulators (g) filled by the process sub-steps
    // and emptied, pro-rated, by the mass step.
    // (The nutrient and decay accumulators and the hand-over rows with the
    // soil step are kept with the soil constituents.)
    row_array<double> precip_cell_mass;
    row_array<double> infil_cell_mass;
    row_array<double> sed_source_cell_mass;
    row_array<double> qlat_cell_mass;

    // Per-constituent step accumulators and totals not kept elsewhere.
    checked_array<double> ov_exfil_dmt;
    checked_array<double> ov_sed_source_dmt;
    checked_array<double> qbn_infil_mass;
    checked_array<double> global_qbn_loss_mass;
    checked_array<double> global_qbn_gain_mass;

    // Sediment-bound constituents (the attached mass and its soil exchange,
    // sed_con_mass and sed_con_work, and the lake rows are kept with the
    // channel constituents): [constituent][cell] the sorbed mass that left
    // through the outlet, the dissolved fraction; [constituent][cell][class]
    // the sorbed fraction per class (slot 0 the sum).
    row_array<double> sed_outlet_cell_mass;
    row_array<double> ov_fraction_dissolved;
    matrix_stack ov_sed_fract_attached;
    // Per cell: layer 1 of the dissolved fraction and mass of the soil for
    // the constituent being worked on.
    dvec soil_frac_work;
    dvec soil_mass_work;

    // Work vectors of the constituent being moved (per cell) and the face
    // fluxes and predicted values of its sweeps.
    dvec con_conc_work;
    dvec con_mass_work;
    dvec con_disp_work;
    dvec con_source_work;
    dvec ov_face_flux;
    dvec ov_mass_pred;
    dvec ov_conc_pred;
    ivec ov_lake_of; // per cell: lake number, 0 outside, -1 excluded
    std::vector<ov_source_booking> ov_block_sums;
};

// Cells per block of the deterministic sums.
constexpr int ov_sum_block = 4096;
