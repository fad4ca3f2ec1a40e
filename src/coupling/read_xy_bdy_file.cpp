#include "coupling/coupling_services.h"

#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"

// TODO: overland and groundwater XY boundary file reader.
void read_xy_bdy_file(xy_input& /*in*/, const std::string& /*path*/, const std::string& /*kind*/, const std::string& /*header*/, checked_array<xy_point>& /*points*/, int& /*count*/, int /*by_cell*/)
{
    // An empty reader never passes for one that read its file.
    std::printf("XY overland and groundwater boundary input files are not available yet.\n");
    error_set(err_stop);
}
