#include "core/model_state.h"
#include "overland/lake_files.h"

// TODO: lake file reader.
void read_lake_file(file_rec& /*file*/, int /*kind*/, int /*expected*/, std::vector<ov_lake>& /*lakes*/)
{
}
