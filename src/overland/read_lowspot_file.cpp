#include "core/model_state.h"
#include "overland/lake_files.h"

// TODO: low-spot file reader.
void read_lowspot_file(file_rec& /*file*/, const std::string& /*name*/, int& /*count*/, std::vector<lowspot_rec>& /*spots*/)
{
}
