// The nutrient module during the run: the soil-to-water transfer of the
// overland part and the derived outputs of the overland, stream and lake
// parts.
#pragma once

#include "core/arrays.h"
#include "quality/qbn_model.h"

struct model_state;

// NH3 (g) in equilibrium with an NH4 mass (g) in a water volume (m3), with
// the part's Ka and hydrogen-ion activity; 0 below 1e-4 m3 of water or
// below the part's smallest NH4 molar amount.
double qbn_nh3_mass(double nh4_mass, double volume, double ka, double h_ion, double smallest_molar);

// Amount (g) the module's reactions ask of soil pool `pool` (offset from the
// first nutrient constituent) at a cell in the current transfer: 0 until
// reactions exist.
double qbn_soil_request(const qbn_soil& soil, int pool, int cell);

// Per-step transfer: for every cell and soil-to-water pair the smaller of
// the request and the pool's layer-1 amount joins soil_exch_cell_mass (the
// water constituent) and ov_soil_exch_mass (the pool). The clock value,
// elapsed days and rain are the module's reaction inputs.
void qbn_overland_step(qbn_overland& overland, double clock, double elapsed_days, const dvec& rain);

void qbn_overland_nh3(qbn_overland& o);
checked_array<double>& qbn_overland_total_n(qbn_overland& o);
checked_array<double>& qbn_overland_total_p(qbn_overland& o);
void qbn_stream_nh3(qbn_stream& p);
row_array<double>& qbn_stream_total_n(qbn_stream& p);
row_array<double>& qbn_stream_tkn(qbn_stream& p);
row_array<double>& qbn_stream_total_p(qbn_stream& p);
void qbn_lake_nh3(qbn_lake& p);
checked_array<double>& qbn_lake_total_n(qbn_lake& p);
checked_array<double>& qbn_lake_tkn(qbn_lake& p);
checked_array<double>& qbn_lake_total_p(qbn_lake& p);

// The writers the map output step hands to the derived outputs, each called
// right after the values it writes are refreshed (null: nothing written).
struct qbn_output_writers {
    void (*total_ov_n)(model_state&) = nullptr;
    void (*total_ov_p)(model_state&) = nullptr;
    void (*total_chan_n)(model_state&) = nullptr;
    void (*total_chan_kn)(model_state&) = nullptr;
    void (*total_chan_p)(model_state&) = nullptr;
    void (*species_maps)(model_state&, int species) = nullptr;
    void (*species_linknodes)(model_state&, int species) = nullptr;
};

// One map output time of the nutrient module: lake totals, the overland
// nitrogen and phosphorus totals, the stream NH3 and totals, then the
// per-species outputs that are on, each written as soon as it is fresh.
void qbn_derived_outputs(model_state& s, const qbn_output_writers& writers);
