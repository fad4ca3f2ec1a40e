#include "subsurface/soil_tables.h"

#include "core/model_state.h"

// TODO: layered soil table reader.
void read_soil_layer_table(file_rec& /*table*/, soil_type_table& /*types*/)
{
}
