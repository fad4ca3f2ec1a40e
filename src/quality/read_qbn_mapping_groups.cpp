#include "quality/qbn_services.h"

#include "core/model_state.h"

// TODO: nutrient mapping groups of the mapping-table file.
void read_qbn_mapping_groups(model_state& /*state*/)
{
}
