#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"

// The index-map file name of the Brooks-Corey (option 1) or Havercamp
// (option 2) Richards table; empty when the table or file is not found.
void get_richards_index_map(const std::string& mapping_table, int option, std::string& index_map)
{
    index_map.clear();
    if (option != 1 && option != 2)
        return;
    file_rec file;
    if (!file_rec_open(file, mapping_table, "r"))
        return;
    find_mapping_table(file, option == 1 ? tc_richards_brooks : tc_richards_havercamp, index_map);
}
