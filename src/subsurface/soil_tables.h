// Soil tables, the Richards columns, the lumped models and the wells bound from the well index map.
#pragma once

#include <string>

#include "core/arrays.h"
#include "core/file_rec.h"
#include "subsurface/lumped_models.h"
#include "subsurface/soil_state.h"

struct model_state;

double richards_solve(model_state& state, double dt_seconds);
void wells_from_index_map(const imat& well_ids, const imat& cell_numbers, int rows, int cols);
int read_richards_soil_table(model_state& state, file_rec& table, int retention_option, int from_mapping_table);
int read_multi_layer_soil_table(file_rec& table, const ivec& soil_type, soil_type_table& types);
// The standalone layered soil table; false when the run stops (message
// printed naming the file, soil id, layer and field).
bool read_soil_layer_table(file_rec& table, const std::string& name, soil_type_table& types);
void init_richards_columns(model_state& state);
void read_sacramento_input(model_state& state, file_rec& file, sac_model& model);
void read_conceptual_gw(model_state& state, file_rec& file, cgw_model& model, dvec& upslope_area);
