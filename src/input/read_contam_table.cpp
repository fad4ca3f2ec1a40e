// The CONTAMINANT_TRANSPORT table of the mapping-table file: per constituent
// a names line (description, index-map name, output name), its rain
// concentration and partition coefficient, and a table of eight values per
// ID spread over the cells through the constituent's index map.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/quality_inputs.h"

namespace
{

constexpr int contam_line_size = 400;
constexpr int contam_values = 8;

// The per-constituent values of the keyword lines and their ranges.
struct keyword_value {
    int code;
    const char* keyword;
    const char* what; // in the message of a missing line
    double low;
    double high;
};
const keyword_value precip_conc_line{tc_precip_conc, "PRECIP_CONC", "precip concentration", 0.0, 1e15};
const keyword_value partition_line{tc_partition, "PARTITION", "partition coefficient", 0.0, 1e15};

// Lines of the table file with one line of look-ahead, so a line that is
// not the expected keyword line stays to be read as what it is.
struct line_cursor {
    file_rec& file;
    std::string pending;
    bool has_pending = false;

    bool next(std::string& line)
    {
        if (has_pending) {
            line = pending;
            has_pending = false;
            return true;
        }
        return read_line_rec(line, file, contam_line_size) != 0;
    }
    void put_back(const std::string& line)
    {
        pending = line;
        has_pending = true;
    }
};

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

// The value of the constituent's "KEYWORD value" line, which must come
// next. Returns false after a refusal (reported): a missing line prints
// the table's own message, then the file, the line and what stood there.
bool read_keyword_value(line_cursor& in, const std::string& file, int constituent, const keyword_value& kv,
                        double& out)
{
    out = 0.0;
    std::string line;
    const bool have = in.next(line);
    if (!have || table_code_from_name(line) != kv.code) {
        std::printf("Error in reading the %s of constituent #%d\n", kv.what, constituent);
        if (have)
            std::printf("Error: table CONTAMINANT_TRANSPORT in the mapping table file %s, line %d: constituent #%d "
                        "needs its %s line here; found \"%s\".\n",
                        file.c_str(), in.file.line_no, constituent, kv.keyword, printable(line.substr(0, 60)).c_str());
        else
            std::printf("Error: table CONTAMINANT_TRANSPORT in the mapping table file %s ends before the %s line of "
                        "constituent #%d.\n",
                        file.c_str(), kv.keyword, constituent);
        stop_run();
        return false;
    }
    std::string_view rest(line);
    std::string keyword, word;
    pop_token(rest, keyword);
    double v = 0.0;
    const num_status st = pop_token(rest, word) ? parse_double_strict(word, v) : num_status::empty;
    const char* problem = st != num_status::ok ? num_status_text(st)
                          : (v < kv.low || v > kv.high) ? "lies outside its range"
                                                        : nullptr;
    std::string after;
    double extra = 0.0;
    if (!problem && pop_token(rest, after) && parse_double_strict(after, extra) == num_status::ok) {
        // One value per line; text after it is a remark, a number is not.
        std::printf("Error: table CONTAMINANT_TRANSPORT in the mapping table file %s, line %d: the %s line of "
                    "constituent #%d holds more than one value (\"%s\" follows it).\n",
                    file.c_str(), in.file.line_no, kv.keyword, constituent, after.c_str());
        stop_run();
        return false;
    }
    if (problem) {
        std::printf("Error: table CONTAMINANT_TRANSPORT in the mapping table file %s: the %s of constituent #%d "
                    "\"%s\" %s.\n",
                    file.c_str(), kv.keyword, constituent, word.c_str(), problem);
        stop_run();
        return false;
    }
    out = v;
    return true;
}

// The contaminant count of the line after the table line. 0 after a
// refusal (reported): a missing line or a count below 1 gives the table's
// own message (code 125) and then the file, the line and the cause; a count
// that is no whole number, or more than the rest of the file can hold, is
// refused naming them.
int read_contaminant_count(line_cursor& in, const std::string& file)
{
    // Each contaminant takes its names, PRECIP_CONC and PARTITION lines.
    static const count_field num_contam{"NUM_CONTAM", 1, 10000, 30};
    std::string line;
    const bool have = in.next(line);
    if (!have || table_code_from_name(line) != tc_num_contam) {
        error_set(err_contam_count);
        report_error(error_state);
        std::printf("Error: table CONTAMINANT_TRANSPORT in the mapping table file %s, line %d: the NUM_CONTAM line "
                    "must follow the table line; found %s.\n",
                    file.c_str(), in.file.line_no,
                    have ? ("\"" + printable(line.substr(0, 60)) + "\"").c_str() : "the end of the file");
        return 0;
    }
    long long m = 0;
    if (!parse_table_count(line, file, tc_contaminant_transport, in.file.line_no, m))
        return 0;
    if (m < 1) {
        error_set(err_contam_count);
        report_error(error_state);
        std::printf("Error: table CONTAMINANT_TRANSPORT in the mapping table file %s, line %d: NUM_CONTAM is %lld; "
                    "the table must list one contaminant or more.\n",
                    file.c_str(), in.file.line_no, m);
        return 0;
    }
    return check_count(m, num_contam, file, in.file.line_no, in.file.fp) ? static_cast<int>(m) : 0;
}

// The constituent's names line: three double-quoted fields.
bool names_line_ok(line_cursor& in, const std::string& file, int constituent, std::string& line)
{
    if (!in.next(line)) {
        std::printf("Error: table CONTAMINANT_TRANSPORT in the mapping table file %s ends before constituent #%d "
                    "of its NUM_CONTAM.\n",
                    file.c_str(), constituent);
        stop_run();
        return false;
    }
    if (std::count(line.begin(), line.end(), '"') >= 6)
        return true;
    std::printf("Error: table CONTAMINANT_TRANSPORT in the mapping table file %s, line %d: constituent #%d needs "
                "its names line here, three double-quoted fields (description, index map, output file); found "
                "\"%s\".\n",
                file.c_str(), in.file.line_no, constituent, printable(line.substr(0, 60)).c_str());
    stop_run();
    return false;
}

// The row count of the constituent's NUM_IDS line; 0 (line put back) when
// the next line is not one, -1 after a refused count.
int read_constituent_num_ids(line_cursor& in, const std::string& file, int constituent)
{
    std::string line;
    if (!in.next(line))
        return 0;
    if (table_code_from_name(line) != tc_num_ids) {
        in.put_back(line);
        return 0;
    }
    std::string_view rest(line);
    std::string keyword, word;
    pop_token(rest, keyword);
    int n = 0;
    const num_status st = pop_token(rest, word) ? parse_int_strict(word, n) : num_status::empty;
    if (st != num_status::ok || n < 0 || n > max_table_id) {
        std::printf("Error: table CONTAMINANT_TRANSPORT in the mapping table file %s: the NUM_IDS of constituent "
                    "#%d \"%s\" %s.\n",
                    file.c_str(), constituent, word.c_str(),
                    st != num_status::ok ? num_status_text(st) : "lies outside its range");
        stop_run();
        return -1;
    }
    return n;
}

// Row `row` of the row array takes each cell's value by its ID.
void ids_to_row(row_array<double>& rows, int row, const std::vector<double>& by_id, const imat& id_grid,
                const imat& cell_numbers, int num_cells)
{
    if (row < 1 || row > rows.count)
        return;
    double* dest = rows[row];
    const int largest = static_cast<int>(by_id.size()) - 1;
    for (int r = 1; r <= id_grid.rows() && r < cell_numbers.rows(); ++r)
        for (int c = 1; c <= id_grid.cols() && c < cell_numbers.cols(); ++c) {
            const int id = id_grid[r - 1][c - 1];
            const int cell = cell_numbers[r][c];
            if (id >= 1 && id <= largest && cell >= 1 && cell <= num_cells && cell <= rows.width)
                dest[cell] = by_id[static_cast<std::size_t>(id)];
        }
}

// A row whose ID no cell of the map carries gives nothing: most likely a
// mistyped ID, said once per row.
void warn_unused_rows(const imat& id_grid, const imat& cell_numbers, const std::vector<int>& ids,
                      const std::string& map_name, const std::string& table)
{
    std::vector<int> used;
    for (int r = 1; r <= id_grid.rows() && r < cell_numbers.rows(); ++r)
        for (int c = 1; c <= id_grid.cols() && c < cell_numbers.cols(); ++c)
            if (cell_numbers[r][c] != 0)
                used.push_back(id_grid[r - 1][c - 1]);
    std::sort(used.begin(), used.end());
    for (const int id : ids)
        if (!std::binary_search(used.begin(), used.end(), id))
            std::printf("Warning: no cell of index map %s has the ID %d of %s.\n", map_name.c_str(), id,
                        table.c_str());
}

} // namespace

int read_contam_table(model_state& s)
{
    const std::string& table_file = s.mapping_table_name;
    file_rec table;
    if (!file_rec_open(table, table_file, "r")) {
        error_set(err_mapping_table_open, nullptr, table_file.c_str());
        report_error(error_state);
        return 0;
    }
    line_cursor in{table, std::string(), false};
    std::string line;
    if (!in.next(line) || line.compare(0, 22, "TORVA_INDEX_MAP_TABLES") != 0)
        return 0;

    struct entry {
        std::string map_name;
        std::string file_name;
    };
    std::vector<entry> entries;
    bool have = in.next(line);
    while (have && table_line_code(line) == tc_index_map) {
        std::string rest = line, keyword, file_name;
        pop_token(rest, keyword);
        pop_token(rest, file_name);
        entries.push_back({rest, file_name});
        have = in.next(line);
    }
    while (have && table_line_code(line) != tc_contaminant_transport)
        have = in.next(line);
    std::printf("\nReading contaminant table...  ");
    bool failed = !have;
    const int m = have ? read_contaminant_count(in, table_file) : 0;
    if (have) {
        if (m <= 0)
            return 0;
        s.num_contam = m;
        std::printf("%d contaminants found\n", m);
    }

    const int cells = s.num_cells;
    if (!failed) {
        s.constituent_names.assign(static_cast<std::size_t>(m) + 1, std::string());
        s.contam_output_names.assign(static_cast<std::size_t>(m) + 1, std::string());
        const int first_slot = s.precip_conc.cap + 1;
        checked_array_grow(s.precip_conc, m);
        checked_array_grow(s.water_soil_partition_coef, m);
        row_array<double>* row_arrays[contam_values] = {&s.ov_con_table_1, &s.ov_decay, &s.ov_uptake,
                                                        &s.land_mass,      &s.soil_group_rows, &s.ov_conc,
                                                        &s.ov_con_table_7, &s.ov_soil_conc};
        const int first_row = s.ov_conc.count + 1;
        for (row_array<double>* r : row_arrays)
            row_array_add_rows(*r, m, cells);

        int largest = 0;
        std::vector<int> ids;
        std::vector<double> values;
        std::vector<double> by_id;
        for (int i = 1; i <= m; ++i) {
            if (!names_line_ok(in, table_file, i, line))
                return 0;
            std::string description, map_name, output;
            pop_quoted_field(line, description);
            strip_quotes_all(description);
            pop_quoted_field(line, map_name);
            pop_quoted_field(line, output);
            strip_quotes_all(output);
            s.constituent_names[static_cast<std::size_t>(i)] = description;
            s.contam_output_names[static_cast<std::size_t>(i)] = output;

            double v = 0.0;
            if (!read_keyword_value(in, table_file, i, precip_conc_line, v))
                return 0;
            s.precip_conc[first_slot + i - 1] = v;
            if (!read_keyword_value(in, table_file, i, partition_line, v))
                return 0;
            s.water_soil_partition_coef[first_slot + i - 1] = v;

            std::printf("  Checking %s", description.c_str());
            for (int d = static_cast<int>(description.size()); d < 35; ++d)
                std::fputc('.', stdout);

            std::string index_map;
            bool matched = false;
            for (auto it = entries.rbegin(); it != entries.rend() && !matched; ++it)
                if (it->map_name == map_name) {
                    index_map = it->file_name;
                    matched = true;
                }
            if (!matched) {
                std::printf("unable to match index map\n");
                std::printf("Error: constituent #%d of table CONTAMINANT_TRANSPORT in the mapping table file %s "
                            "names the index map %s, which no INDEX_MAP line declares.\n",
                            i, table_file.c_str(), map_name.c_str());
                failed = true;
            }
            const int k = read_constituent_num_ids(in, table_file, i);
            if (k < 0)
                return 0;
            if (k == 0)
                continue;
            skip_table_headers(table);
            const int t = read_table_rows(table, table_file, tc_contaminant_transport, k, contam_values, ids, values);
            if (t < 0)
                return 0;
            // The rows are consumed even for an unmatched map, so the next
            // constituent starts on its own names line.
            if (!matched)
                continue;
            largest = std::max(largest, t);

            file_rec map;
            if (!file_rec_open(map, index_map, "r")) {
                std::printf("unable to open index map file.\n");
                error_set(err_index_map_open, nullptr, index_map.c_str());
                report_error(error_state);
                return 0;
            }
            imat id_grid;
            read_index_map(map, index_map, s.grid_north, s.grid_south, s.grid_east, s.grid_west, s.grid_rows,
                           s.grid_cols, s.mask, id_grid, largest, s.rows, s.cols, &s.summary_file, s.calib_mode,
                           false);
            file_rec_close(map);
            if (run_stopped())
                return 0;
            // Every cell takes its values from a row of this constituent's
            // own table, not from an ID only an earlier table lists.
            const std::string table_text = "constituent #" + std::to_string(i) +
                                           " of table CONTAMINANT_TRANSPORT in the mapping table file " + table_file;
            if (!cell_ids_have_rows(id_grid, s.mask, ids, index_map, table_text))
                return 0;
            warn_unused_rows(id_grid, s.mask, ids, index_map, table_text);
            for (int col = 1; col <= contam_values; ++col) {
                scatter_table_column(values, k, contam_values, col, ids, largest, by_id);
                ids_to_row(*row_arrays[col - 1], first_row + i - 1, by_id, id_grid, s.mask, cells);
            }
            std::printf("found and read index map\n");
        }
    }
    if (failed) {
        error_set(err_contam_tables);
        report_error(error_state);
        return 0;
    }
    return 1;
}
