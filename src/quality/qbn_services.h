// Set-up calls of the nutrient module used by the input hub and the channel set-up.
#pragma once

#include <string>

#include "quality/qbn_model.h"

struct model_state;

void read_aquatic_env_file(qbn_params& params, model_state& state);
void qbn_overland_alloc(model_state& state, qbn_overland& overland);
void qbn_overland_set_params(model_state& state, qbn_overland& overland);
void assign_grid_constituents(qbn_model& model, model_state& state);
void read_qbn_soil_groups(model_state& state);
void read_qbn_mapping_groups(model_state& state);
void assign_stream_constituents(qbn_model& model, model_state& state);
void qbn_soil_alloc(model_state& state, qbn_soil& soil);

void qbn_stream_alloc(model_state& state, qbn_stream& stream);
void qbn_stream_set_params(model_state& state, qbn_stream& stream);
void qbn_lake_alloc(model_state& state, qbn_lake& lake);
void qbn_lake_set_params(model_state& state, qbn_lake& lake);
// The channel set-up of the nutrient module: the stream and lake parts,
// the channel constituent rows, the stream id map and the stream initial
// values.
void qbn_channel_setup(model_state& state);

// The twelve Km/Koc values of the project cards, zeros when none was given.
qbn_sorption_params qbn_sorption_block(const model_state& state);

// Title of nutrient constituent `index` (counted from the first nutrient
// constituent): a soil-pool title with soil 1, a water-column title with
// soil 0. An index outside the list leaves the title unchanged.
void qbn_constituent_title(std::string& title, int index, int soil);

// Position of the overland water-column counterpart of each soil pool
// (positions counted from the first nutrient constituent), -1 for none.
constexpr int qbn_remap_count = 14;
extern const int class_remap_table[qbn_remap_count];

// The two tables between nutrient positions and soil pools: table 0 gives
// the water-column position of a soil pool (class_remap_table), table 1 the
// soil pool offset that takes what a water-column position (counted from
// the first nutrient constituent) infiltrates. -1 for none.
int qbn_con_remap(int table, int position);

// The same in constituent numbers: the constituent related to constituent c
// through table 0 or 1, with the nutrients numbered from `first`; c itself
// outside the thirteen nutrient slots, -1 when the slot has none.
int qbn_con_remap(int first, int c, int table);
