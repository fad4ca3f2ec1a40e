#include "input/mapping_table_checks.h"

// TODO: search of the Richards table and its index-map name.
void get_richards_index_map(const std::string& /*mapping_table*/, int /*option*/, std::string& index_map)
{
    index_map.clear();
}
