// The aquatic-environment file of the nutrient module: a header, the names
// of the overland and stream id maps, the number of ids and one block of 52
// environment values (or DEFAULT) per id; then the overland id grid. A
// failure to open the file leaves its code for the input hub; every other
// error is reported here, followed by a line naming the file, the line and
// the cause where the format's message lacks them. The file is closed on
// every path.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/grid_map.h"
#include "quality/qbn_services.h"

namespace
{

constexpr const char* header = "AQUATIC_ENV_QBN10";
constexpr std::size_t header_length = 17;
constexpr int value_lines = 10;

// Values per value line, and the record slot of value v: base + step x v.
struct value_line {
    int count;
    int base;
    int step;
};
constexpr value_line line_slots[value_lines] = {
    {7, 0, 2},  {7, 1, 2},  {4, 14, 2}, {4, 15, 2}, {4, 22, 2},
    {4, 23, 2}, {7, 30, 2}, {7, 31, 2}, {4, 44, 1}, {4, 48, 1},
};

bool starts_with(const std::string& line, const char* word)
{
    return line.compare(0, std::char_traits<char>::length(word), word) == 0;
}

bool blank(const std::string& line)
{
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

// The second word of a line, quotes removed.
std::string second_word(const std::string& line)
{
    std::string rest = line;
    std::string word;
    pop_token(rest, word);
    word.clear();
    pop_token(rest, word);
    strip_quotes(word);
    return word;
}

// Prints a refusal of the file and stops the run.
void refuse(const std::string& file, int line, const std::string& what)
{
    std::printf("Error: line %d of the aquatic environment file %s: %s.\n", line, file.c_str(), what.c_str());
    error_set(err_stop);
    report_error(error_state);
}

// Reports a code of the file's own messages now, so the line that names
// the place and the cause can follow it.
void report_code(int code, const char* what = nullptr, const char* file = nullptr, int value1 = 0, int value2 = 0)
{
    error_set(code, what, file, value1, value2);
    report_error(error_state);
}

struct env_reader {
    file_rec& file;
    const std::string& name;
    int line_no = 0;

    bool next(std::string& line)
    {
        if (!read_line_rec(line, file))
            return false;
        ++line_no;
        return true;
    }
    void rewind()
    {
        std::rewind(file.fp);
        line_no = 0;
    }
};

bool check_aquatic_env_header(env_reader& in)
{
    std::string line;
    const bool have = in.next(line);
    if (!have || line.size() < header_length || line.compare(0, header_length, header) != 0) {
        report_code(err_aquatic_env_header, header, in.name.c_str());
        // The format's message ends without a line break.
        if (have)
            std::printf("\nError: line 1 of the aquatic environment file %s begins with \"%s\".\n", in.name.c_str(),
                        printable(line.substr(0, header_length + 3), true).c_str());
        else
            std::printf("\nError: the aquatic environment file %s is empty.\n", in.name.c_str());
        return false;
    }
    return true;
}

void read_aquatic_env_maps(env_reader& in, qbn_params& p)
{
    in.rewind();
    std::string line;
    int found = 0;
    while (found < 2 && in.next(line)) {
        if (starts_with(line, "OV_MAP")) {
            p.ov_map = second_word(line);
            ++found;
        } else if (starts_with(line, "ST_MAP")) {
            p.st_map = second_word(line);
            ++found;
        }
    }
}

bool read_aquatic_env_num_ids(env_reader& in, qbn_params& p)
{
    // Every id has its record of 52 values, whether the file gives its block
    // or not: the count is held to a stated limit before it sizes the table.
    static const count_field num_ids{"number of ids NUM_IDS", 1, 100000, 0};
    in.rewind();
    std::string line;
    while (in.next(line)) {
        if (!starts_with(line, "NUM_IDS"))
            continue;
        std::string word = second_word(line);
        long long n = 0;
        const num_status st = parse_long_strict(word, n);
        if (st != num_status::ok) {
            refuse(in.name, in.line_no, "the number of ids \"" + printable(word) + "\" " + num_status_text(st));
            return false;
        }
        if (!check_count(n, num_ids, in.name, in.line_no))
            return false;
        p.num_ids = static_cast<int>(n);
        return true;
    }
    std::printf("Error: the aquatic environment file %s has no NUM_IDS line.\n", in.name.c_str());
    error_set(err_stop);
    report_error(error_state);
    return false;
}

// One value line of a block into its slots: exactly its count of values.
bool read_value_line(env_reader& in, const std::string& line, int k, aquatic_env_rec& rec)
{
    std::string_view rest(line);
    const value_line& slots = line_slots[k];
    for (int v = 0; v < slots.count; ++v) {
        double x = 0.0;
        std::string_view before = rest;
        const num_status st = pop_double_strict(rest, x);
        if (st == num_status::empty) {
            refuse(in.name, in.line_no,
                   "value line " + std::to_string(k + 1) + " of the block holds " + std::to_string(v) + " of its " +
                       std::to_string(slots.count) + " values");
            return false;
        }
        if (st != num_status::ok) {
            std::string word;
            pop_token(before, word);
            refuse(in.name, in.line_no,
                   "value " + std::to_string(v + 1) + " \"" + printable(word) + "\" " + num_status_text(st));
            return false;
        }
        rec.values[slots.base + slots.step * v] = x;
    }
    std::string extra;
    if (pop_token(rest, extra)) {
        refuse(in.name, in.line_no,
               "more than " + std::to_string(slots.count) + " values on value line " + std::to_string(k + 1));
        return false;
    }
    return true;
}

// The id blocks; false when the reading stopped on an error (reported).
// outside is set when that error was an id outside the table.
bool read_aquatic_env_ids(env_reader& in, qbn_params& p, bool& outside)
{
    outside = false;
    std::vector<int> given_at(static_cast<std::size_t>(p.num_ids) + 1, 0); // line of each id's block
    std::string line;
    while (in.next(line)) {
        if (blank(line))
            continue;
        std::string_view rest(line);
        int id = 0;
        const num_status st = pop_int_strict(rest, id);
        if (st != num_status::ok) {
            std::string word;
            std::string_view again(line);
            pop_token(again, word);
            refuse(in.name, in.line_no, "the id \"" + printable(word) + "\" " + num_status_text(st));
            return false;
        }
        // An id outside 1..NUM_IDS has no slot in the table.
        if (id < 1 || id > p.num_ids) {
            report_code(err_aquatic_env_index, nullptr, nullptr, id, p.num_ids);
            std::printf("Error: line %d of the aquatic environment file %s: the id %d lies outside 1 to %d "
                        "(NUM_IDS).\n",
                        in.line_no, in.name.c_str(), id, p.num_ids);
            outside = true;
            return false;
        }
        int& first = given_at[static_cast<std::size_t>(id)];
        if (first != 0) {
            refuse(in.name, in.line_no,
                   "the id " + std::to_string(id) + " has a block already, at line " + std::to_string(first));
            return false;
        }
        first = in.line_no;
        aquatic_env_rec& rec = p.ids[id];
        for (int k = 0; k < value_lines; ++k) {
            if (!in.next(line)) {
                refuse(in.name, in.line_no, "the file ends inside the block of id " + std::to_string(id));
                return false;
            }
            if (k == 0 && starts_with(line, "DEFAULT"))
                break;
            if (!read_value_line(in, line, k, rec))
                return false;
        }
    }
    return true;
}

void read_aquatic_env_ov_index(qbn_params& p, model_state& s, const std::string& env_file)
{
    p.num_cells = s.num_cells;
    file_rec grid;
    if (!file_rec_open(grid, p.ov_map, "r")) {
        report_code(err_ov_aquatic_map_open, nullptr, p.ov_map.c_str()); // the name for where it was looked for
        if (p.ov_map.empty())
            std::printf("Error: the aquatic environment file %s has no OV_MAP line naming it.\n", env_file.c_str());
        else
            std::printf("Error: the overland map %s that the aquatic environment file %s names cannot be opened.\n",
                        p.ov_map.c_str(), env_file.c_str());
        return;
    }
    if (ivector_alloc_zero(p.ov_index, s.num_cells, "aquatic environment ids of the cells"))
        read_cell_ints(s, grid, p.ov_map, p.ov_index);
    file_rec_close(grid);
}

} // namespace

void read_aquatic_env_file(qbn_params& p, model_state& s)
{
    std::printf("Reading the aquatic environment file %s.\n", p.aq_env_file.c_str());
    file_rec file;
    if (!file_rec_open(file, p.aq_env_file, "r")) {
        error_set(err_aquatic_env_open, nullptr, p.aq_env_file.c_str());
        return;
    }
    env_reader in{file, p.aq_env_file};
    if (!check_aquatic_env_header(in)) {
        file_rec_close(file);
        return;
    }
    read_aquatic_env_maps(in, p);
    if (!read_aquatic_env_num_ids(in, p)) {
        file_rec_close(file);
        return;
    }
    checked_array_destroy(p.ids);
    checked_array_set_name(p.ids, "aquatic environment ids");
    if (checked_array_grow(p.ids, p.num_ids) < p.num_ids) {
        file_rec_close(file);
        return;
    }
    std::string line;
    in.next(line); // the line after NUM_IDS is not read
    bool outside = false;
    const bool ids_read = read_aquatic_env_ids(in, p, outside);
    file_rec_close(file);
    // The overland grid is read also after an id outside the table; any
    // other error ends the reading here.
    if (ids_read || outside)
        read_aquatic_env_ov_index(p, s, p.aq_env_file);
}
