// Tables of the stream mapping-table file and the stream index maps that
// spread their values over the links and nodes of the channel network.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "input/mapping_table.h"
#include "input/stream_mapping.h"
#include "input/word_reader.h"

namespace
{

const char stream_header[] = "TORVA_STREAM_INDEX_MAP_TABLES";

struct stream_keyword {
    const char* word;
    std::size_t compared; // characters compared
    int id;
    int values;     // values per row
    int table_code; // the same table among the grid tables, for row messages
};

// Tested in this order.
const stream_keyword keywords[] = {
    {"QBN_N", 5, st_qbn_n, 4, tc_qbn_n},
    {"QBN_P", 5, st_qbn_p, 3, tc_qbn_p},
    {"QBN_OTH", 6, st_qbn_oth, 3, tc_qbn_oth},
    {"QBN_C", 5, st_qbn_c, 2, tc_qbn_c},
    {"NUM_IDS", 7, st_num_ids, 0, 0},
    {"ST_INDEX_MAP", 9, st_index_map, 0, 0},
    {"DISPERSION", 5, st_dispersion, 1, tc_dispersion},
};
const stream_keyword roughness{"ROUGHNESS", 9, st_roughness, 1, tc_roughness};

const stream_keyword* keyword_of(int id)
{
    if (id == st_roughness)
        return &roughness;
    for (const stream_keyword& k : keywords)
        if (k.id == id)
            return &k;
    return nullptr;
}

// The id of a table line, ROUGHNESS first.
int line_id(const std::string& line)
{
    if (line.compare(0, roughness.compared, roughness.word) == 0)
        return st_roughness;
    return stream_table_id(line);
}

// The text from the line's second word (blanks and tabs separate) on.
std::string map_name_of(const std::string& line)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0;
    while (i < line.size() && blank(line[i]))
        ++i;
    while (i < line.size() && !blank(line[i]))
        ++i;
    while (i < line.size() && blank(line[i]))
        ++i;
    return line.substr(i);
}

void report(int code, const char* what, const std::string& file)
{
    error_set(code, what, file.c_str());
    report_error(error_state);
}

} // namespace

int stream_table_id(const std::string& line)
{
    for (const stream_keyword& k : keywords)
        if (line.compare(0, k.compared, k.word, k.compared) == 0)
            return k.id;
    return 0;
}

std::string stream_table_title(int id)
{
    const stream_keyword* k = keyword_of(id);
    return k ? std::string(k->word) + " (Stream)" : std::string();
}

int find_stream_index_map(file_rec& file, int id, std::string& index_map)
{
    index_map.clear();
    std::string line;
    if (!file.fp || !read_line_rec(line, file) || line.compare(0, std::strlen(stream_header), stream_header) != 0)
        return 0;
    struct entry {
        std::string map_name;
        std::string file_name;
    };
    std::vector<entry> entries;
    bool have = read_line_rec(line, file) != 0;
    while (have && line_id(line) == st_index_map) {
        std::string rest = line, keyword, file_name;
        pop_token(rest, keyword);
        pop_token(rest, file_name);
        entries.push_back({rest, file_name});
        have = read_line_rec(line, file) != 0;
    }
    while (have && line_id(line) != id)
        have = read_line_rec(line, file) != 0;
    if (!have)
        return 0;
    const std::string name = map_name_of(line);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->map_name == name) {
            index_map = it->file_name;
            return 1;
        }
    return 0;
}

int read_stream_num_ids(file_rec& file)
{
    std::string line;
    if (!read_line_rec(line, file) || line_id(line) != st_num_ids)
        return 0;
    std::string word;
    int n = 0;
    pop_token(line, word);
    pop_token(line, word);
    return parse_int_strict(word, n) == num_status::ok ? n : 0;
}

int read_stream_map_file(const std::string& name, int links, int max_nodes, const ivec& nodes_per_link,
                         imat& id_grid, double* values, int kind)
{
    file_rec file;
    if (!file_rec_open(file, name, "r"))
        return -1;
    std::string line;
    if (!read_line_rec(line, file, 1024) || line.compare(0, 10, "STREAM_MAP") != 0)
        return -2;
    word_reader in(file.fp, 2);
    std::string label, word;
    int count = 0;
    if (!in.next(label) || !in.next(word) || parse_int_strict(word, count) != num_status::ok || count != links)
        return -3;
    for (int i = 1; i <= links; ++i) {
        num_status st = num_status::empty;
        int id = 0;
        double v = 0.0;
        if (in.next(word))
            st = kind == stream_map_ids ? parse_int_strict(word, id) : parse_double_strict(word, v);
        if (st != num_status::ok) {
            std::printf("Error: stream index map %s, line %d: the value of link %d \"%s\" %s.\n", name.c_str(),
                        in.line(), i, word.c_str(), num_status_text(st));
            return -4;
        }
        const int nodes = std::min(i <= nodes_per_link.size() ? nodes_per_link[i] : 0, max_nodes);
        for (int j = 1; j <= nodes; ++j) {
            if (kind == stream_map_ids)
                id_grid[j][i] = id;
            else
                values[static_cast<std::size_t>(i) * static_cast<std::size_t>(max_nodes + 1) + j] = v;
        }
    }
    // One value per link: a value beyond the last link belongs to no link.
    if (in.next(word)) {
        std::printf("Error: stream index map %s, line %d: \"%s\" follows the value of link %d, the last link.\n",
                    name.c_str(), in.line(), printable(word).c_str(), links);
        return -4;
    }
    return 0;
}

void assign_stream_table_values(double* dest, const std::vector<double>& by_id, const imat& id_grid, int links,
                                const ivec& nodes_per_link, int stride)
{
    for (int i = 1; i <= links; ++i) {
        const int nodes = std::min(nodes_per_link[i], id_grid.rows());
        for (int j = 1; j <= nodes; ++j) {
            const int id = id_grid[j][i];
            if (id != 0 && id >= 1 && id < static_cast<int>(by_id.size()))
                dest[static_cast<std::size_t>(i) * static_cast<std::size_t>(stride) + j] = by_id[static_cast<std::size_t>(id)];
        }
    }
}

int read_stream_mapping_table(const std::string& table_file, int id, const stream_destinations& dest, int links,
                              int max_nodes, const ivec& nodes_per_link)
{
    const stream_keyword* key = keyword_of(id);
    file_rec table;
    if (!file_rec_open(table, table_file, "r")) {
        report(err_mapping_table_open, nullptr, table_file);
        return 0;
    }
    std::string index_map;
    int n = 0;
    if (key && key->values > 0 && find_stream_index_map(table, id, index_map))
        n = read_stream_num_ids(table);
    if (n <= 0) {
        report(err_table_empty, stream_table_title(id).c_str(), "");
        return 0;
    }
    skip_table_headers(table);
    std::vector<int> ids;
    std::vector<double> values;
    const int k = key->values;
    const int largest = read_table_rows(table, table_file, key->table_code, n, k, ids, values);
    if (largest < 0)
        return 0;

    imat grid;
    grid.assign(max_nodes + 1, links + 1, 0);
    const int got = read_stream_map_file(index_map, links, max_nodes, nodes_per_link, grid, nullptr, stream_map_ids);
    if (got < 0) {
        const int codes[] = {err_stream_map_open, err_stream_map_header, err_stream_map_size, err_stream_map_read};
        report(codes[-got - 1], nullptr, index_map);
        return 0;
    }
    // Every link takes an ID of the table: 1 up to the table's largest ID.
    for (int i = 1; i <= links; ++i) {
        const int link_id = grid[1][i];
        if (nodes_per_link[i] >= 1 && (link_id < 1 || link_id > largest)) {
            std::printf("Error: stream index map %s gives link %d the ID %d; the IDs of table %s run from 1 to %d.\n",
                        index_map.c_str(), i, link_id, key->word, largest);
            report(err_stream_map_read, nullptr, index_map);
            return 0;
        }
    }
    std::vector<double> by_id;
    for (int c = 1; c <= k && c <= static_cast<int>(dest.size()); ++c) {
        if (!dest[static_cast<std::size_t>(c - 1)])
            continue;
        scatter_table_column(values, n, k, c, ids, largest, by_id);
        assign_stream_table_values(dest[static_cast<std::size_t>(c - 1)], by_id, grid, links, nodes_per_link,
                                   max_nodes + 1);
    }
    return 1;
}
