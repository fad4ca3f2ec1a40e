#include "output/output_steps.h"

#include "core/model_state.h"

// TODO: end-of-run reports, mass balances, hotstart and final maps.
void write_final_summary(model_state& /*state*/)
{
}
