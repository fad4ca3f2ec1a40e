#include <cstdio>
#include <cstdlib>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "input/mapping_table.h"

bool read_id_name_row(file_rec& file, const std::string& table_file, const char* table, int row, int& id,
                      std::string& name)
{
    std::string line;
    const bool have = read_line_rec(line, file) != 0;
    const std::string id_field = have ? line.substr(0, 6) : std::string();
    char* end = nullptr;
    const long value = std::strtol(id_field.c_str(), &end, 10);
    if (!have || end == id_field.c_str() || value < 1 || value > max_table_id) {
        std::printf("Error: row %d of table %s in the mapping table file %s needs an ID from 1 to %d in "
                    "columns 1-6.\n",
                    row, table, table_file.c_str(), max_table_id);
        error_set(err_stop);
        report_error(error_state);
        return false;
    }
    id = static_cast<int>(value);
    std::string rest = line.size() > 6 ? line.substr(6) : std::string();
    name.clear();
    pop_token(rest, name);
    return true;
}
