#include "subsurface/soil_tables.h"

#include "core/model_state.h"

// TODO: Sacramento parameter file reader.
void read_sacramento_input(model_state& /*state*/, file_rec& /*file*/, sac_model& /*model*/)
{
}
