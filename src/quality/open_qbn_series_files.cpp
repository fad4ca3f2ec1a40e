#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: nutrient output files.
void open_qbn_series_files(model_state& /*state*/)
{
}
