// Set-up of the KZ segment coupling: the segment map, the table of channel
// nodes by segment, and the segment flux file with its header.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"
#include "input/grid_map.h"
#include "input/word_reader.h"

namespace
{

// A file the KZ cards name and that cannot be read stops the run; without
// its card the map or table counts as empty.
bool kz_file_open(file_rec& rec, const std::string& name, const char* what)
{
    if (name.empty())
        return false;
    if (file_rec_open(rec, name, "r"))
        return true;
    std::printf("Error: the KZ %s %s cannot be opened.\n", what, name.c_str());
    error_set(err_stop);
    report_error(error_state);
    return false;
}

// Reads the segment map; false when it counts as empty.
bool read_segment_map(model_state& s, kz_data& kz)
{
    file_rec map;
    const int n = s.num_cells;
    if (n < 1 || !kz_file_open(map, s.cards.kz_segment_map, "segment map (KZ_SEGMENT_MAP)"))
        return false;
    if (!ivector_alloc_zero(kz.seg_map, n, "kz_data->seg_map")) {
        error_set(err_stop);
        return false;
    }
    read_cell_ints(s, map, s.cards.kz_segment_map, kz.seg_map);
    if (run_stopped())
        return false;
    int largest = 0;
    for (int i = 1; i <= n; ++i)
        largest = std::max(largest, kz.seg_map[i]);
    if (largest <= 0) {
        error_set(err_kz_no_segments);
        report_error(error_state);
        return false;
    }
    kz.nseg = largest;
    if (!ivector_alloc_zero(kz.active_array, largest, "kz_data->active_array")) {
        error_set(err_stop);
        return false;
    }
    for (int i = 1; i <= n; ++i)
        if (kz.seg_map[i] > 0)
            kz.active_array[kz.seg_map[i]] = 1;
    return true;
}

bool table_error(const std::string& name, int line, const std::string& what)
{
    std::printf("Error: the KZ link/node to segment file %s, line %d: %s.\n", name.c_str(), line, what.c_str());
    error_set(err_stop);
    report_error(error_state);
    return false;
}

// Reads the link/node table; false when it counts as empty or was refused
// (run_stopped tells them apart).
bool read_segment_table(model_state& s, kz_data& kz)
{
    const std::string& name = s.cards.kz_nodes_to_segs;
    file_rec rec;
    if (!kz_file_open(rec, name, "link/node to segment file (KZ_NODES_TO_SEGS)"))
        return false;
    std::string line;
    long long rows = 0;
    std::string_view v;
    if (read_line_rec(line, rec))
        v = line;
    if (v.find_first_not_of(" \t\r") == std::string_view::npos)
        return false;
    std::string word;
    std::string_view at = v;
    pop_token(at, word);
    if (const num_status st = parse_long_strict(word, rows); st != num_status::ok)
        return table_error(name, rec.line_no, "the row count \"" + printable(word) + "\" " + num_status_text(st));
    if (pop_token(at, word))
        return table_error(name, rec.line_no, "\"" + printable(word) + "\" follows the row count");
    // Each row ("1 1 1") takes six characters at least.
    const count_field count{"row count", 0, 10000000, 6};
    if (!check_count(rows, count, name, rec.line_no, rec.fp))
        return false;
    if (rows == 0)
        return false;
    static const char* const fields[] = {"link", "node", "segment"};
    std::map<std::pair<int, int>, int> row_of_node; // (link, node) to the row that listed it
    for (int k = 1; k <= rows; ++k) {
        if (!read_line_rec(line, rec))
            return table_error(name, rec.line_no,
                               "the file ends before row " + std::to_string(k) + " of the " + std::to_string(rows) +
                                   " its first line announces");
        double got[3];
        const std::string fault = named_line_values(line, fields, 3, 3, got);
        if (!fault.empty())
            return table_error(name, rec.line_no, "row " + std::to_string(k) + ": " + fault);
        const int l = static_cast<int>(got[0]), nd = static_cast<int>(got[1]), seg = static_cast<int>(got[2]);
        if (seg <= 0 || seg > kz.nseg || kz.active_array.size() < seg || kz.active_array[seg] != 1) {
            error_set(err_kz_bad_segment);
            report_error(error_state);
            std::printf("Error: the KZ link/node to segment file %s, line %d: row %d gives the segment %d, which "
                        "is not a segment of the segment map.\n",
                        name.c_str(), rec.line_no, k, seg);
            return false;
        }
        // The node's discharge is read at every step: it must exist.
        if (l < 1 || l > s.num_links || s.nx.size() < l || nd < 1 || nd > s.nx[l] || s.qp.empty() ||
            nd > s.qp.rows() || l > s.qp.cols()) {
            std::printf(
                "Error: row %d of the KZ link/node to segment file %s names link %d, node %d, which is "
                "not a node of the channel network.\n",
                k, name.c_str(), l, nd);
            error_set(err_stop);
            report_error(error_state);
            return false;
        }
        // A node listed twice would count its discharge twice.
        const auto listed = row_of_node.emplace(std::make_pair(l, nd), k);
        if (!listed.second)
            return table_error(name, rec.line_no,
                               "row " + std::to_string(k) + " lists link " + std::to_string(l) + ", node " +
                                   std::to_string(nd) + " a second time (row " +
                                   std::to_string(listed.first->second) + ")");
        kz.link.push_back(l);
        kz.node.push_back(nd);
        kz.segment.push_back(seg);
    }
    while (read_line_rec(line, rec))
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            return table_error(name, rec.line_no,
                               "a line follows the last of the " + std::to_string(rows) +
                                   " rows its first line announces");
    kz.nrows = static_cast<int>(rows);
    return true;
}

} // namespace

void kz_coupling_init(model_state& s, kz_data& kz)
{
    const bool map = read_segment_map(s, kz); // warning 95 is reported there
    if (run_stopped())
        return;
    kz.flux.assign(static_cast<std::size_t>(kz.nseg) + 1, 0.0);
    kz.nsteps = 0;
    kz.day_base_set = 0;
    const bool table = read_segment_table(s, kz);
    if (run_stopped())
        return;
    if (!map && !table) {
        error_set(err_kz_flux_no_segments);
        report_error(error_state);
        kz.nseg = 0;
        return;
    }
    if (!file_rec_open(kz.out, s.cards.kz_segment_fluxes, "w")) {
        error_set(err_kz_flux_open, nullptr, s.cards.kz_segment_fluxes.c_str());
        return;
    }
    std::fprintf(kz.out.fp, "   jday   ");
    for (int seg = 1; seg <= kz.nseg; ++seg)
        if (kz.active_array[seg] == 1)
            std::fprintf(kz.out.fp, "%-8d  ", seg);
    std::fprintf(kz.out.fp, "\n");
}
