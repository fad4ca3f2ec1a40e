#include "coupling/coupling_services.h"

#include "core/model_state.h"

// TODO: XY stream boundary time-series file reader.
void read_xy_stream_ts_file(xy_input& /*in*/, const std::string& /*path*/)
{
}
