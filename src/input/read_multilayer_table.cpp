// The layered soil table of the mapping-table file and its soil-type map.
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "subsurface/soil_tables.h"

int read_multilayer_table(model_state& s, const std::string& table_file)
{
    file_rec table;
    std::string index_map;
    if (file_rec_open(table, table_file, "r"))
        find_mapping_table(table, tc_multi_layer_soil, index_map);
    file_rec map;
    if (!file_rec_open(map, index_map, "r")) {
        error_set(err_mlga_soil_map, nullptr, index_map.c_str());
        return -1;
    }
    read_cell_ints(s, map, index_map, s.soiltype);
    file_rec_close(map);
    if (run_stopped())
        return -1;
    return read_multi_layer_soil_table(table, table_file, s);
}
