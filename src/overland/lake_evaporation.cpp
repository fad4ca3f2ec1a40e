#include "core/model_state.h"
#include "overland/lake_files.h"

// TODO: hourly evaporation from the channel lakes and their extent.
void lake_evaporation(model_state& /*state*/, double /*wind*/, double /*air_temp*/, double /*rel_hum*/)
{
}
