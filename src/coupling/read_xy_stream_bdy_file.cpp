#include "coupling/coupling_services.h"

#include "core/model_state.h"

// TODO: XY stream boundary file reader.
void read_xy_stream_bdy_file(xy_input& /*in*/, const std::string& /*path*/)
{
}
