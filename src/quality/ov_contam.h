// Kernels of the overland constituent steps: the net source of a cell in a
// mass step, the advection-dispersion sweeps, the process sub-steps and
// their allocation. The mass step and the process step call them on the
// model state; tests and the benchmark call them on views of plain arrays.
#pragma once

#include "quality/ov_constituent_state.h"

struct model_state;

// Values below this count as zero in the constituent code.
constexpr double ov_zero = 1e-16;

// Sizes every accumulator, hand-over row and work vector of the overland
// constituent steps for the run's constituents and cells (once per run;
// arrays already sized are kept). False after an allocation failure
// (reported, the run stops).
bool ov_contam_alloc(model_state& state);

// One constituent's source terms in a mass step: the pro-rating lengths
// (s), the switches, and the constituent's accumulator rows.
struct ov_source_terms {
    double dt = 0.0; // mass step, s
    double precip_interval = 0.0;
    double exfil_interval = 0.0;
    double soil_exch_interval = 0.0;
    double decay_interval = 0.0;
    double sed_interval = 0.0;
    double infil_interval = 0.0;
    double qbn_interval = 0.0;
    double qbn_soil_interval = 0.0;
    double qlat_interval = 0.0;
    double outlet_interval = 0.0;
    int outlet_cell = 0;
    bool rain = true;
    bool exfil = false;      // water table on (yes_exfil per cell)
    bool exchange = false;   // kind 1 with the contaminant table
    bool decay = false;      // kind 1 with the contaminant table
    bool sed_source = false; // sediment-bound constituents
    bool qbn = false;        // kind 2 with the nutrient module
    bool qbn_soil = false;   // kind 2 with the nutrient module and soil transport
    bool to_soil = false;    // soil transport on: exchange and infiltration handed over
    bool lateral = false;    // channel routing on
    const int* yes_exfil = nullptr;
    double* precip = nullptr;
    double* exfil_mass = nullptr; // soil_con_work
    double* soil_exch = nullptr;
    double* decay_mass = nullptr;
    double* sed = nullptr;
    double* infil = nullptr;
    double* qbn_mass = nullptr;
    double* qlat = nullptr;
    double* exit_mass = nullptr;     // ov_exit_mass of the constituent
    double* soil_exch_out = nullptr; // ov_soil_exch_mass
    double* soil_inflow = nullptr;   // soil_con_inflow
    double* land = nullptr;          // land_mass
};

// Net source rate (g/s) of cell j holding `mass` g: walks the terms in
// order with a running mass that never goes below zero (a term that would
// is cut to what the cell holds and its accumulator cleared), takes each
// applied part out of its accumulator and adds it to the booking.
double ov_con_sources(const ov_source_terms& t, int j, double mass, ov_source_booking& book);

// The grid, water and lake arrays one advection step reads, and the work
// it writes. Neighbour tables hold 0 where there is none; lake_of is null
// without channel lakes.
struct ov_advect_view {
    int n = 0;
    double dx = 0.0;
    const int* rightcon = nullptr;
    const int* belowcon = nullptr;
    const int* leftcon = nullptr;
    const int* abovecon = nullptr;
    const double* depth = nullptr;
    const double* qx = nullptr; // m3/s through the right face, positive to the right
    const double* qy = nullptr; // m3/s through the lower face, positive downwards
    const int* lake_of = nullptr;
    const double* lake_conc = nullptr; // by lake
    double* lake_inflow = nullptr;     // by lake, g
    double* mass = nullptr;
    double* conc = nullptr;
    const double* disp = nullptr;   // dispersion coefficient, m2/s
    const double* source = nullptr; // g/s
    double* face = nullptr;         // scratch: flux through each cell's upstream face, g/s
    double* mass_pred = nullptr;
    double* conc_pred = nullptr;
    ov_source_booking* blocks = nullptr; // (n + ov_sum_block - 1) / ov_sum_block entries
};

// Moves mass and concentration by the two directional predictor-corrector
// sweeps, y first when sweep is 1, x first otherwise, each applying half of
// the source. Returns the negative mass (g, positive) set to zero.
double ov_con_advect(double dt, const ov_advect_view& v, int sweep);

// Lake cell by the full test: channel-lake cell not newly flooded, or a
// cell excluded from the lake routing.
bool ov_lake_cell(const model_state& s, int j);

// The process kernels of one constituent i over all cells, dt the length of
// their sub-step (s). Rain adds its mass to the water at once and books it
// in precip_cell_mass; the others fill their accumulators for the mass step.
void ov_con_rain_input(model_state& state, int i, double dt);
void ov_con_infil_loss(model_state& state, int i);
void ov_con_soil_exchange(model_state& state, int i, double dt);
void ov_con_decay(model_state& state, int i, double dt);
void ov_con_to_channel(model_state& state, int i);
