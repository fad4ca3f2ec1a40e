#include "quality/qbn_services.h"

#include "core/model_state.h"

// TODO: aquatic-environment file reader.
void read_aquatic_env_file(qbn_params& /*params*/, model_state& /*state*/)
{
}
