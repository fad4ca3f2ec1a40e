// The search for a table of the mapping-table file and the reading of its
// count lines and data rows.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
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

table_search search_mapping_table(file_rec& file, int code, std::string& index_map, std::string& map_name)
{
    index_map.clear();
    map_name.clear();
    if (!header_ok(file))
        return table_search::no_header;

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
        return table_search::absent;
    if (code == tc_time_series_index || code == tc_contaminant_transport)
        return table_search::found;

    map_name = table_line_map_name(line);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->map_name == map_name) {
            index_map = it->file_name;
            return table_search::found;
        }
    }
    return table_search::map_undeclared;
}

int find_mapping_table(file_rec& file, int code, std::string& index_map)
{
    std::string map_name;
    return search_mapping_table(file, code, index_map, map_name) == table_search::found ? 1 : 0;
}

void report_table_search(table_search result, int code, const std::string& table_file, const std::string& map_name)
{
    if (result == table_search::no_header)
        std::printf("Error: the first line of the mapping table file %s is not its header: it must begin with "
                    "%s.\n",
                    table_file.c_str(), mapping_table_header);
    else if (result == table_search::map_undeclared)
        std::printf("Error: table %s of the mapping table file %s uses the index map \"%s\", which no INDEX_MAP "
                    "line of the block after the header declares.\n",
                    table_name_from_code(code).c_str(), table_file.c_str(), map_name.c_str());
    else
        return;
    error_set(err_stop);
    report_error(error_state);
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

bool parse_table_count(const std::string& line, const std::string& table_file, int code, int line_no,
                       long long& n)
{
    std::string_view rest(line);
    std::string keyword, value;
    pop_token(rest, keyword);
    const num_status st = pop_token(rest, value) ? parse_long_strict(value, n) : num_status::empty;
    if (st == num_status::ok)
        return true;
    std::printf("Error: table %s of the mapping table file %s, line %d: the %s \"%s\" %s.\n",
                table_name_from_code(code).c_str(), table_file.c_str(), line_no, printable(keyword).c_str(),
                printable(value).c_str(), num_status_text(st));
    error_set(err_stop);
    report_error(error_state);
    return false;
}

long long read_table_count(file_rec& file, const std::string& table_file, int code, int keyword_code,
                           const count_field& field)
{
    std::string line;
    if (!read_line_rec(line, file) || table_code_from_name(line) != keyword_code)
        return 0;
    long long n = 0;
    if (!parse_table_count(line, table_file, code, file.line_no, n))
        return -1;
    return check_count(n, field, table_file, file.line_no, file.fp) ? n : -1;
}

void skip_table_headers(file_rec& file)
{
    std::string line;
    while (read_line_rec(line, file))
        if (table_line_code(line) == 0)
            return;
}

namespace
{

// What is wrong with a data row: the 1-based value column (0 for the ID or
// a row that is not there) and why; extra is set when a number follows the
// row's last value.
struct row_fault {
    int column = 0;
    std::string word;
    num_status status = num_status::ok;
    bool extra = false;
};

// The word of the line that starts at or after i (blanks and tabs separate).
std::string word_at(const std::string& line, std::size_t& i)
{
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
        ++i;
    const std::size_t w = i;
    while (i < line.size() && !is_blank_or_tab(line[i]))
        ++i;
    std::string word = line.substr(w, i - w);
    while (!word.empty() && std::isspace(static_cast<unsigned char>(word.back())))
        word.pop_back();
    return word;
}

// One data row: the ID ("%d" over columns 1-6) and k values, the first at
// column 87, then word by word (blanks and tabs separate). Each value must
// be one whole finite number. Text after the values is a remark, but a
// number there is a value the table has no column for. 1 when the row was
// read, 0 with the fault.
int scan_table_row(file_rec& file, int& id, int k, double* values, row_fault& fault)
{
    for (int i = 0; i < k; ++i)
        values[i] = 0.0;
    id = 0;
    fault = row_fault();
    std::string line;
    if (!read_line_rec(line, file)) {
        fault.status = num_status::empty;
        return 0;
    }

    const std::string id_field = line.substr(0, 6);
    const char* p = id_field.c_str();
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    if (end == p) {
        fault.status = num_status::not_number;
        fault.word = id_field;
        return 0;
    }
    id = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);

    constexpr std::size_t value_column = 86;
    std::size_t i = line.size() < value_column ? line.size() : value_column;
    for (int n = 0; n < k; ++n) {
        fault.word = word_at(line, i);
        fault.status = parse_double_strict(fault.word, values[n]);
        if (fault.status != num_status::ok) {
            fault.column = n + 1;
            return 0;
        }
    }
    fault = row_fault();
    const std::string after = word_at(line, i);
    double extra = 0.0;
    if (!after.empty() && parse_double_strict(after, extra) == num_status::ok) {
        fault.column = k + 1;
        fault.word = after;
        fault.extra = true;
        return 0;
    }
    return 1;
}

void print_extra_value(const std::string& table, const std::string& table_file, int line_no, int id, int k,
                       const std::string& word)
{
    std::printf(
        "Error: in table %s of the mapping table file %s, line %d: ID %d has more values than the table's %d "
        "(\"%s\" follows them).\n",
        table.c_str(), table_file.c_str(), line_no, id, k, word.c_str());
}

} // namespace

bool refuse_extra_value(std::string_view rest, int code, const std::string& table_file, int line_no, int id,
                        int k)
{
    std::string word;
    double extra = 0.0;
    if (!pop_token(rest, word) || parse_double_strict(word, extra) != num_status::ok)
        return true;
    print_extra_value(table_name_from_code(code), table_file, line_no, id, k, word);
    error_set(err_stop);
    report_error(error_state);
    return false;
}

int read_table_row(file_rec& file, int& id, int k, double* values)
{
    row_fault fault;
    return scan_table_row(file, id, k, values, fault);
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
        row_fault fault;
        if (!scan_table_row(file, id, k, row_values.data(), fault)) {
            if (fault.extra)
                print_extra_value(table, table_file, file.line_no, id, k, fault.word);
            else if (fault.column > 0 && fault.word.empty())
                std::printf("Error: in table %s of the mapping table file %s, column %d of ID %d is missing.\n",
                            table.c_str(), table_file.c_str(), fault.column, id);
            else if (fault.column > 0)
                std::printf("Error: in table %s of the mapping table file %s, column %d of ID %d (\"%s\") %s.\n",
                            table.c_str(), table_file.c_str(), fault.column, id, fault.word.c_str(),
                            num_status_text(fault.status));
            else
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
        for (int c = 1; c <= k; ++c) {
            const char* wanted = table_value_refusal(code, c, row_values[static_cast<std::size_t>(c - 1)]);
            if (!wanted)
                continue;
            std::printf("Error: in table %s of the mapping table file %s, column %d of ID %d is %.6g; it must be "
                        "%s.\n",
                        table.c_str(), table_file.c_str(), c, id, row_values[static_cast<std::size_t>(c - 1)],
                        wanted);
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
    // A table gives each ID once: a second row would silently win.
    std::vector<std::pair<int, int>> by_id; // ID, row
    by_id.reserve(ids.size());
    for (std::size_t r = 0; r < ids.size(); ++r)
        by_id.emplace_back(ids[r], static_cast<int>(r) + 1);
    std::sort(by_id.begin(), by_id.end());
    for (std::size_t r = 1; r < by_id.size(); ++r) {
        if (by_id[r].first != by_id[r - 1].first)
            continue;
        std::printf("Error: table %s of the mapping table file %s gives ID %d twice, in rows %d and %d.\n",
                    table.c_str(), table_file.c_str(), by_id[r].first, by_id[r - 1].second, by_id[r].second);
        error_set(err_stop);
        report_error(error_state);
        return -1;
    }
    return largest;
}

bool read_precip_conc_line(file_rec& file, const std::string& table_file, int code, int p, dvec& target)
{
    std::string line;
    if (!read_line_rec(line, file))
        return true;
    if (table_line_code(line) != tc_precip_conc)
        return true; // that line was the column header
    std::string_view rest(line);
    std::string keyword;
    pop_token(rest, keyword);
    std::vector<double> values(static_cast<std::size_t>(p > 0 ? p : 0), 0.0); // missing values read 0
    for (int i = 1; i <= p + 1; ++i) {
        const std::string_view before = rest;
        double v = 0.0;
        const num_status st = pop_double_strict(rest, v);
        if (st == num_status::empty || (i > p && st != num_status::ok))
            break; // text after the values is a remark
        std::string word(before.substr(0, before.size() - rest.size()));
        const std::size_t b = word.find_first_not_of(" \t,");
        word = b == std::string::npos ? std::string() : word.substr(b);
        while (!word.empty() && (word.back() == ' ' || word.back() == '\t' || word.back() == ','))
            word.pop_back();
        // A concentration in rain is never negative.
        const char* problem = st != num_status::ok ? num_status_text(st)
                              : i > p              ? "is one value too many"
                              : v < 0.0            ? "is below 0"
                                                   : nullptr;
        if (!problem) {
            values[static_cast<std::size_t>(i - 1)] = v;
            continue;
        }
        std::printf("Error: in table %s of the mapping table file %s, line %d: PRECIP_CONC value %d (\"%s\") %s; "
                    "the table takes %d.\n",
                    table_name_from_code(code).c_str(), table_file.c_str(), file.line_no, i, word.c_str(), problem,
                    p);
        error_set(err_stop);
        report_error(error_state);
        return false;
    }
    for (int i = 1; i <= p; ++i)
        if (i <= target.size())
            target[i] = values[static_cast<std::size_t>(i - 1)];
    read_line_rec(line, file); // the column header
    return true;
}
