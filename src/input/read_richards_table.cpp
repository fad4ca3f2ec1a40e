// The Richards soil table of the mapping-table file and its soil-type map.
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "subsurface/soil_tables.h"

int read_richards_table(model_state& s, const std::string& table_file, int option)
{
    if (option != 1 && option != 2)
        return 0;
    file_rec table;
    std::string index_map;
    if (file_rec_open(table, table_file, "r"))
        find_mapping_table(table, option == 1 ? tc_richards_brooks : tc_richards_havercamp, index_map);
    file_rec map;
    if (!file_rec_open(map, index_map, "r")) {
        error_set(err_richards_soil_map, nullptr, index_map.c_str());
        return -1;
    }
    read_cell_ints(s, map, index_map, s.soiltype);
    file_rec_close(map);
    if (run_stopped())
        return -1;
    return read_richards_soil_table(s, table, option, 1);
}
