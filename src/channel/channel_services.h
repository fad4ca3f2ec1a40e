// Channel services used by event initialisation and the pipe-network loader.
#pragma once

#include "core/arrays.h"
#include "core/file_rec.h"

struct model_state;

void ex_section(model_state& state, int mode);
int read_superlink_file(model_state& state, file_rec& pipe_file, file_rec& grid_pipe_file, int c_option);
