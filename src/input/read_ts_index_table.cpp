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
    const long long n = read_table_count(file, table_file, tc_time_series_index, tc_num_ids, table_num_ids);
    if (n < 0)
        return 0;
    if (n == 0)
        return 1;
    skip_table_headers(file);
    std::string line;
    for (int row = 1; row <= static_cast<int>(n); ++row) {
        int id = 0;
        std::string name;
        if (!read_id_name_row(file, table_file, "TIME_SERIES_INDEX", row, id, name))
            return 0;
        // A second row of an ID would bind it to another series unseen.
        if (ts_index_find(id)) {
            std::printf("Error: row %d of table TIME_SERIES_INDEX in the mapping table file %s gives the ID %d a "
                        "second time.\n",
                        row, table_file.c_str(), id);
            error_set(err_stop);
            report_error(error_state);
            return 0;
        }
        std::printf("Adding table to list: %s... ", name.c_str());
        time_series* series = name.empty() ? nullptr : ts_find(name);
        ts_index_list.push_front({id, series, name});
        std::fputs(series ? "Success!\n" : "Failure, table not found.\n", stdout);
    }
    return 1;
}
