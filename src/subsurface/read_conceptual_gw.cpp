#include "subsurface/soil_tables.h"

#include "core/model_state.h"

// TODO: conceptual groundwater parameter file reader.
void read_conceptual_gw(model_state& /*state*/, file_rec& /*file*/, cgw_model& /*model*/, dvec& /*upslope_area*/)
{
}
