// The search for a table of the mapping-table file and the reading of its
// count lines and data rows.
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "input/mapping_table.h"

namespace
{

const char mapping_table_header[] = "TORVA_INDEX_MAP_TABLES";

bool begins_with(const std::string& line, const char* word)
{
    return line.compare(0, std::char_traits<char>::length(word), word) == 0;
}

bool is_blank_or_tab(char c)
{
    return c == ' ' || c == '\t';
}

// The text from the line's second word (blanks and tabs separate) to its end.
std::string table_line_map_name(const std::string& line)
{
    std::size_t i = 0;
    while (i < line.size() && is_blank_or_tab(line[i]))
        ++i;
    while (i < line.size() && !is_blank_or_tab(line[i]))
        ++i;
    while (i < line.size() && is_blank_or_tab(line[i]))
        ++i;
    return line.substr(i);
}

// Reads the header line; true when it is the mapping-table header.
bool header_ok(file_rec& file)
{
    std::string line;
    return file.fp && read_line_rec(line, file) && begins_with(line, mapping_table_header);
}

// Reads lines until one has the wanted code; false at the end of the file.
bool find_line_with_code(file_rec& file, int code)
{
    std::string line;
    while (read_line_rec(line, file))
        if (table_line_code(line) == code)
            return true;
    return false;
}

// The count of a "KEYWORD n" line read as "%s %d"; 0 when it is not there.
int count_after_first_word(const std::string& line)
{
    std::size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
        ++i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
        ++i;
    const char* p = line.c_str() + i;
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    if (end == p)
        return 0;
    return static_cast<int>(v);
}

int read_count_line(file_rec& file, int code)
{
    std::string line;
    if (!read_line_rec(line, file))
        return 0;
    if (table_code_from_name(line) != code)
        return 0;
    return count_after_first_word(line);
}

} // namespace

int find_mapping_table(file_rec& file, int code, std::string& index_map)
{
    index_map.clear();
    if (!header_ok(file))
        return 0;

    struct index_map_entry {
        std::string map_name;
        std::string file_name;
    };
    std::vector<index_map_entry> entries;
    std::string line;
    bool have = read_line_rec(line, file) != 0;
    while (have && table_line_code(line) == tc_index_map) {
        std::string rest = line;
        std::string keyword, file_name;
        pop_token(rest, keyword);
        pop_token(rest, file_name);
        entries.push_back({rest, file_name});
        have = read_line_rec(line, file) != 0;
    }
    while (have && table_line_code(line) != code)
        have = read_line_rec(line, file) != 0;
    if (!have)
        return 0;
    if (code == tc_time_series_index || code == tc_contaminant_transport)
        return 1;

    const std::string map_name = table_line_map_name(line);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->map_name == map_name) {
            index_map = it->file_name;
            return 1;
        }
    }
    return 0;
}

int find_sediments_table(file_rec& file)
{
    return header_ok(file) && find_line_with_code(file, tc_sediments) ? 1 : 0;
}

int find_ratingcurves_table(file_rec& file)
{
    return header_ok(file) && find_line_with_code(file, tc_ratingcurves) ? 1 : 0;
}

int read_num_ids(file_rec& file)
{
    return read_count_line(file, tc_num_ids);
}

int read_num_sed(file_rec& file)
{
    return read_count_line(file, tc_num_sed);
}

int read_num_contam(file_rec& file)
{
    return read_count_line(file, tc_num_contam);
}

void skip_table_headers(file_rec& file)
{
    std::string line;
    while (read_line_rec(line, file))
        if (table_line_code(line) == 0)
            return;
}

int read_table_row(file_rec& file, int& id, int k, double* values)
{
    for (int i = 0; i < k; ++i)
        values[i] = 0.0;
    id = 0;
    std::string line;
    if (!read_line_rec(line, file))
        return 0;

    // The ID: "%d" over the first six characters.
    const std::string id_field = line.substr(0, 6);
    const char* p = id_field.c_str();
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    if (end == p)
        return 0;
    id = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);

    // The values: the first at column 87, then word by word.
    constexpr std::size_t value_column = 86;
    std::size_t i = line.size() < value_column ? line.size() : value_column;
    for (int n = 0; n < k; ++n) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i >= line.size())
            return 0;
        const char* w = line.c_str() + i;
        char* w_end = nullptr;
        const double x = std::strtod(w, &w_end);
        if (w_end == w)
            return 0;
        values[n] = x;
        while (i < line.size() && !is_blank_or_tab(line[i]))
            ++i;
    }
    return 1;
}

int read_table_rows(file_rec& file, const std::string& table_file, int code, int n, int k,
                    std::vector<int>& ids, std::vector<double>& values)
{
    ids.clear();
    values.clear();
    const std::string table = table_name_from_code(code);
    const std::size_t width = static_cast<std::size_t>(k > 0 ? k : 0);
    std::vector<double> row_values(width + 1, 0.0);
    int largest = 0;
    for (int row = 1; row <= n; ++row) {
        int id = 0;
        if (!read_table_row(file, id, k, row_values.data())) {
            std::printf(
                "Error: row %d of table %s in the mapping table file %s cannot be read: it needs an ID "
                "in columns 1-6 and %d values from column 87.\n",
                row, table.c_str(), table_file.c_str(), k);
            error_set(err_stop);
            report_error(error_state);
            return -1;
        }
        if (id < 1 || id > max_table_id) {
            std::printf("Error: row %d of table %s in the mapping table file %s has the ID %d; table IDs run "
                        "from 1 to %d.\n",
                        row, table.c_str(), table_file.c_str(), id, max_table_id);
            error_set(err_stop);
            report_error(error_state);
            return -1;
        }
        ids.push_back(id);
        values.insert(values.end(), row_values.begin(),
                      row_values.begin() + static_cast<std::ptrdiff_t>(width));
        if (id > largest)
            largest = id;
    }
    return largest;
}

void read_precip_conc_line(file_rec& file, int p, dvec& target)
{
    std::string line;
    if (!read_line_rec(line, file))
        return;
    if (table_line_code(line) != tc_precip_conc)
        return; // that line was the column header
    std::string keyword;
    pop_token(line, keyword);
    for (int i = 1; i <= p; ++i) {
        double v = 0.0;
        pop_double(line, v);
        if (i <= target.size())
            target[i] = v;
    }
    read_line_rec(line, file); // the column header
}
