#include "quality/qbn_services.h"

#include "core/model_state.h"

// TODO: nutrient soil tables of the mapping-table file.
void read_qbn_soil_groups(model_state& /*state*/)
{
}
