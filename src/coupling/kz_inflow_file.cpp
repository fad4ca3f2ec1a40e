#include "coupling/coupling_state.h"

file_rec kz_inflow_file;
