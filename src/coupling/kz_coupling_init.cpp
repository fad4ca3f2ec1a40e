// Set-up of the KZ segment coupling: the segment map, the table of channel
// nodes by segment, and the segment flux file with its header.
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"
#include "input/grid_map.h"

namespace
{

// Reads the segment map; false when it counts as empty.
bool read_segment_map(model_state& s, kz_data& kz)
{
    file_rec map;
    const int n = s.num_cells;
    if (n < 1 || !file_rec_open(map, s.cards.kz_segment_map, "r"))
        return false; // a map that does not open counts as empty
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

bool table_error(const std::string& name, int row, const char* what)
{
    std::printf("Error: row %d of the KZ link/node to segment file %s %s.\n", row, name.c_str(), what);
    error_set(err_stop);
    return false;
}

// Reads the link/node table; false when it counts as empty or was refused
// (the error code tells them apart).
bool read_segment_table(model_state& s, kz_data& kz)
{
    const std::string& name = s.cards.kz_nodes_to_segs;
    file_rec rec;
    if (!file_rec_open(rec, name, "r"))
        return false;
    std::string line;
    int rows = 0;
    std::string_view v;
    if (read_line_rec(line, rec))
        v = line;
    if (v.find_first_not_of(" \t\r") == std::string_view::npos)
        return false;
    if (const num_status st = pop_int_strict(v, rows); st != num_status::ok) {
        std::printf("Error: the row count of the KZ link/node to segment file %s %s.\n", name.c_str(),
                    num_status_text(st));
        error_set(err_stop);
        return false;
    }
    if (rows <= 0)
        return false;
    for (int k = 1; k <= rows; ++k) {
        int l = 0, nd = 0, seg = 0;
        if (!read_line_rec(line, rec))
            return table_error(name, k, "is missing: the file ends before it");
        std::string_view r = line;
        if (pop_int_strict(r, l) != num_status::ok || pop_int_strict(r, nd) != num_status::ok ||
            pop_int_strict(r, seg) != num_status::ok)
            return table_error(name, k, "does not hold three whole numbers (link, node and segment)");
        if (seg <= 0 || seg > kz.nseg || kz.active_array.size() < seg || kz.active_array[seg] != 1) {
            error_set(err_kz_bad_segment);
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
            return false;
        }
        kz.link.push_back(l);
        kz.node.push_back(nd);
        kz.segment.push_back(seg);
    }
    kz.nrows = rows;
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
