#include "coupling/coupling_steps.h"

#include "core/model_state.h"

// TODO: exchange grids of the host environment.
void read_exchange_maps(model_state& /*state*/)
{
}
