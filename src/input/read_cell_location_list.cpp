// IN_THETA_LOCATION: the cells whose soil water content is written, and with
// Richards columns the nodes of each. Positions must lie in the watershed
// and nodes in the cell's column.
#include <cstdio>
#include <string>

#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/read_location_list.h"
#include "input/subsurface_inputs.h"
#include "input/word_reader.h"

namespace
{

const num_field cell_count_field{"number of cells", 0, 10000000};
const num_field max_nodes_field{"largest node count", 0, 100000};
const num_field row_field{"row", -2147483647.0, 2147483647.0};
const num_field col_field{"column", -2147483647.0, 2147483647.0};
const num_field node_count_field{"node count", 0, 100000};
const num_field node_field{"node", 1, 2147483647.0};

// One integer of the list; false when the run stops (an early end of the
// file with its own message, or a refused value).
bool take(word_reader& in, const std::string& file, int entry, const num_field& field, int& out)
{
    const field_result r = read_int_field(in, file, entry, field, out);
    if (r == field_result::end_of_file) {
        std::printf("End of file reached in file %s, exiting\n", file.c_str());
        error_set(err_stop);
        report_error(error_state);
    }
    return r == field_result::ok;
}

void refuse(const char* text)
{
    std::fputs(text, stdout);
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

void read_cell_location_list(model_state& s)
{
    if (s.in_theta_location_given != 1 || !s.in_theta_location_file.fp)
        return;
    const std::string& name = s.in_theta_location_name;
    word_reader in(s.in_theta_location_file.fp);
    const bool richards = s.inf_richards == 1;
    int n = 0, m = 0;
    if (!take(in, name, 0, cell_count_field, n) || (richards && !take(in, name, 0, max_nodes_field, m)))
        return;
    // The entries follow in the file (row, column and with Richards a node
    // count: two characters a number at least), and no entry lists more
    // nodes than the deepest soil column has: both are checked before the
    // lists are sized.
    const count_field entries{"number of cells", 0, 10000000, richards ? 6 : 4};
    if (!check_location_count(n, entries, name, in.line(), s.in_theta_location_file.fp))
        return;
    const long long deepest = s.richards_max_nodes > 0 ? s.richards_max_nodes : 100000;
    const count_field nodes{"largest node count", 0, deepest, 0};
    if (richards && !check_count(m, nodes, name, in.line()))
        return;
    // The table of listed nodes holds (n + 1) x (m + 1) entries.
    constexpr long long most_listed_nodes = 100000000;
    if (richards && (n + 1LL) * (m + 1LL) > most_listed_nodes) {
        char text[256];
        std::snprintf(text, sizeof text, "Error: file %s, line 1: %d cells of up to %d nodes each would list more "
                      "than %lld nodes.\n",
                      name.c_str(), n, m, most_listed_nodes);
        refuse(text);
        return;
    }
    ivector_alloc_zero(s.cell_loc, n, "cell_loc");
    if (richards) {
        ivector_alloc_zero(s.cell_num, n, "cell_num");
        imatrix_alloc_zero(s.cell_node_list, n + 1, m + 1, "cell_node_list");
    }
    for (int i = 1; i <= n; ++i) {
        int row = 0, col = 0;
        if (!take(in, name, i, row_field, row) || !take(in, name, i, col_field, col))
            return;
        const int cell = listed_cell_number(s, name, i, row, col);
        if (cell == 0)
            return;
        s.cell_loc[i] = cell;
        if (!richards)
            continue;
        int k = 0;
        if (!take(in, name, i, node_count_field, k))
            return;
        if (k > m + 1) {
            char text[256];
            std::snprintf(text, sizeof text, "Error: entry %d of %s lists %d nodes, more than the %d the file allows.\n",
                          i, name.c_str(), k, m + 1);
            refuse(text);
            return;
        }
        // A column's nodes run from 1 to its node count.
        const int column_nodes = cell <= s.numcells.size() ? s.numcells[cell] : s.richards_max_nodes;
        s.cell_num[i] = k;
        for (int j = 1; j <= k; ++j) {
            int node = 0;
            if (!take(in, name, i, node_field, node))
                return;
            if (node > column_nodes) {
                char text[256];
                std::snprintf(text, sizeof text,
                              "Error: entry %d of %s, row %d column %d, lists node %d; the soil column of cell %d "
                              "has %d nodes.\n",
                              i, name.c_str(), row, col, node, cell, column_nodes);
                refuse(text);
                return;
            }
            s.cell_node_list[i][j] = node;
        }
    }
    if (file_ends_after_entries(in, name, n))
        s.num_theta_cells = n;
}
