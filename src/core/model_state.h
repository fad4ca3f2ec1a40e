// The record of one run. Each region is a plain struct declared by the
// subsystem that owns it; the record joins them in a fixed order, so field
// names stay flat (state.ov_depth, state.current_time) and each field exists
// once. Members are destroyed in reverse order of this list.
#pragma once

#include "channel/channel_state.h"
#include "core/clock_state.h"
#include "core/grid_state.h"
#include "core/run_control_state.h"
#include "coupling/coupling_state.h"
#include "hydromet/hmet_reader_state.h"
#include "hydromet/rainfall_state.h"
#include "hydromet/snow_state.h"
#include "input/input_state.h"
#include "input/project_cards.h"
#include "input/run_files.h"
#include "output/output_state.h"
#include "output/water_balance_state.h"
#include "overland/overland_routing_state.h"
#include "overland/surface_state.h"
#include "quality/constituent_state.h"
#include "quality/constituent_input_state.h"
#include "quality/contaminant_settings.h"
#include "quality/ov_constituent_state.h"
#include "quality/quality_run_state.h"
#include "quality/chan_route_state.h"
#include "quality/sediment_block.h"
#include "subsurface/groundwater_state.h"
#include "subsurface/infiltration_state.h"
#include "subsurface/soil_state.h"
#include "subsurface/subsurface_input_state.h"

struct model_state
    : run_file_records       // the run's dedicated file records
    , run_control_state      // run controls, event water balance, switches
    , chan_output_files      // channel link/node output files
    , clock_state            // calendar and process clocks
    , surface_state          // per-cell surface arrays
    , overland_routing_state // overland routing work arrays and totals
    , soil_surface_state     // per-cell infiltration and soil water
    , infiltration_state     // Green-Ampt suction term, infiltration hand-offs
    , constituent_state      // constituent transport
    , contaminant_settings   // contaminant switches and coefficients
    , sed_constituent_state  // sediment-attached constituents
    , pipe_network_state     // pipe network
    , channel_state          // channel network
    , rainfall_state         // rainfall
    , sediment_region        // sediment block
    , sediment_totals        // sediment totals
    , sediment_input_state   // size classes and erosion properties
    , constituent_input_state // contaminant table and constituent work arrays
    , ov_constituent_state   // overland constituent accumulators and work vectors
    , snow_state             // snow and orographic data
    , hmet_reader_state      // weather-file day tables and hourly grids
    , overland_lake_state    // overland lakes
    , map_output_flags       // map and series output flags
    , card_records           // cards, run parameters, precipitation settings
    , input_names_state      // working names and table flags
    , subsurface_state       // groundwater and lumped models
    , richards_node_state    // Richards node matrices
    , groundwater_input_state // aquifer parameters, wells, lumped-model records
    , groundwater_state      // saturated groundwater solver
    , exchange_names         // co-run exchange
    , soil_type_table        // the 10,000 soil types
    , grid_state             // grid, cell numbers, run bookkeeping
    , channel_grid_links     // cell-to-channel connectivity
    , quality_run_state      // nutrient object, soil work record
    , chan_route_state       // dissolved channel routing
    , hotstart_files         // hotstart file records
    , output_run_state       // output writers and analyzers
    , water_balance_state    // event and run water balances
    , coupling_state         // KZ coupling and XY totals
{
    model_state();
    ~model_state();
    model_state(const model_state&) = delete;
    model_state& operator=(const model_state&) = delete;
};

// Gives a freshly built record its non-zero defaults and its array names.
// Allocates nothing and cannot fail.
model_state& model_state_construct(model_state& state);

// Releases what the record owns outside its members (the result arrays of
// the caller's sink, the overland sediment record, the KZ coupling, the
// program-wide series, well and replacement lists, the nutrient object).
// The members themselves are released when the record is deleted.
void model_state_destroy(model_state& state);
