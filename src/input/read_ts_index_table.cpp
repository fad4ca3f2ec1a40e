// The TIME_SERIES_INDEX table: numeric IDs bound to named time series.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "input/mapping_table.h"
#include "input/time_series.h"

int ts_index_read = 0;

int read_ts_index_table(const std::string& table_file)
{
    ts_index_read = 1;
    file_rec file;
    if (!file_rec_open(file, table_file, "r")) {
        error_set(err_mapping_table_open, nullptr, table_file.c_str());
        report_error(error_state);
        return 0;
    }
    std::string unused;
    if (!find_mapping_table(file, tc_time_series_index, unused))
        return 1;
    const int n = read_num_ids(file);
    if (n <= 0)
        return 1;
    skip_table_headers(file);
    std::string line;
    for (int row = 1; row <= n; ++row) {
        const bool have = read_line_rec(line, file) != 0;
        const std::string id_field = have ? line.substr(0, 6) : std::string();
        char* end = nullptr;
        const long id = std::strtol(id_field.c_str(), &end, 10);
        if (!have || end == id_field.c_str() || id < 1 || id > max_table_id) {
            std::printf(
                "Error: row %d of table TIME_SERIES_INDEX in the mapping table file %s needs an ID from 1 "
                "to %d in columns 1-6.\n",
                row, table_file.c_str(), max_table_id);
            error_set(err_stop);
            report_error(error_state);
            return 0;
        }
        std::string rest = line.size() > 6 ? line.substr(6) : std::string();
        std::string name;
        pop_token(rest, name);
        std::printf("Adding table to list: %s... ", name.c_str());
        time_series* series = name.empty() ? nullptr : ts_find(name);
        ts_index_list.push_front({static_cast<int>(id), series});
        std::fputs(series ? "Success!\n" : "Failure, table not found.\n", stdout);
    }
    return 1;
}
