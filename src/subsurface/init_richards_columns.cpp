#include "subsurface/soil_tables.h"

#include "core/model_state.h"

// TODO: initial state of every Richards soil column.
void init_richards_columns(model_state& /*state*/)
{
}
