// Set-up calls of the nutrient module used by the input hub and the channel set-up.
#pragma once

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
