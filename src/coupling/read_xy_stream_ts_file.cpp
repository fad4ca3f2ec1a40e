#include "coupling/coupling_services.h"

#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"

// TODO: XY stream boundary time-series file reader.
void read_xy_stream_ts_file(xy_input& /*in*/, const std::string& /*path*/)
{
    // An empty reader never passes for one that read its file.
    std::printf("XY stream boundary time-series files are not available yet.\n");
    error_set(err_stop);
}
