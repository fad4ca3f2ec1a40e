#include "output/output_steps.h"

#include "core/model_state.h"

// TODO: headers of the link/node output files.
void write_linknode_headers(model_state& /*state*/)
{
}
