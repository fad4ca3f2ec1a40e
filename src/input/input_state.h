// Input members of the model state: working copies of file names, the
// presence flags of the mapping-table tables, display cards and the
// hotstart file records.
#pragma once

#include <string>

#include "core/file_rec.h"

constexpr int mapping_table_flag_count = 33;

struct input_names_state {
    std::string mapping_table_name;
    std::string precip_file_name;
    std::string hmet_file_name;
    int mapping_table_flags[mapping_table_flag_count] = {};
    int x_freq = 0;
    int xwin_width = 0;
    int xwin_height = 0;
    file_rec ov_boundary_file;
    file_rec flood_dataset_file;
};

struct hotstart_files {
    file_rec ov_hotstart_in_file;
    file_rec ov_hotstart_out_file;
    file_rec sm_hotstart_in_file;
    file_rec sm_hotstart_out_file;
    file_rec sourcefile_file;
    int ov_point_rows = 0;
};
