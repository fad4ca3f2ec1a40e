#include "subsurface/soil_tables.h"

#include "core/model_state.h"

// TODO: Richards soil-column solution over a time step.
double richards_solve(model_state& /*state*/, double /*dt_seconds*/)
{
    return 0.0;
}
