#include "coupling/coupling_services.h"

#include "core/model_state.h"

// TODO: inverse-distance weights of the interpolated groundwater boundary cells.
void gw_interp_weights(xy_input& /*in*/, ivec& /*gwbound*/, int /*num_cells*/, const checked_array<double>& /*cell_x*/,
                       const checked_array<double>& /*cell_y*/)
{
}
