#include "channel/channel_services.h"

#include "core/model_state.h"

// TODO: pipe-network file and grid-pipe file reader.
int read_superlink_file(model_state& /*state*/, file_rec& /*pipe_file*/, file_rec& /*grid_pipe_file*/, int /*c_option*/)
{
    return 0;
}
