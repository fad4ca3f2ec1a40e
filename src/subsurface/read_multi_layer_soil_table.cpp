#include "subsurface/soil_tables.h"

#include "core/model_state.h"

// TODO: multi-layer soil table reader.
int read_multi_layer_soil_table(file_rec& /*table*/, const ivec& /*soil_type*/, soil_type_table& /*types*/)
{
    return 0;
}
