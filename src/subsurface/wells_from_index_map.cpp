#include "subsurface/soil_tables.h"

#include "core/model_state.h"

// TODO: binding of the well table to the cells of its index map.
void wells_from_index_map(const imat& /*well_ids*/, const imat& /*cell_numbers*/, int /*rows*/, int /*cols*/)
{
}
