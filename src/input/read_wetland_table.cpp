// The WETLAND_PROPERTIES table: wetland types by ID, numbered in the order
// their IDs first appear in the index map.
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"

namespace
{

constexpr int max_wetland_id = 300;

} // namespace

bool struct_alloc(std::size_t n, std::vector<wetland_rec>& records)
{
    try {
        records.assign(n + 1, wetland_rec{});
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    std::vector<wetland_rec>().swap(records);
    std::printf("Problem allocating memory for array of structures in struct_alloc.\n");
    return false;
}

int read_wetland_table(model_state& s, const std::string& table_file, int& wetland_count,
                       std::vector<wetland_rec>& props, ivec& wetland_mask)
{
    table_load t;
    if (!load_table_with_index_map(table_file, tc_wetland_properties, 7, state_table_grid(s), t, true))
        return 0;
    const int n = t.n;
    constexpr int k = 7;
    const std::vector<int>& ids = t.ids;
    const std::vector<double>& values = t.values;
    const imat& id_grid = t.id_grid;
    const int largest = t.largest;
    const std::string& index_map = t.index_map;
    if (run_stopped() || !id_grid)
        return 0;
    const int rows = id_grid.rows();
    const int cols = id_grid.cols();

    // Wetland numbers in the order the IDs first appear, row by row.
    std::vector<int> number(static_cast<size_t>(largest) + 1, 0);
    int distinct = 0;
    int map_largest = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const int id = id_grid[r][c];
            if (id == 0 || number[static_cast<size_t>(id)] != 0)
                continue;
            number[static_cast<size_t>(id)] = ++distinct;
            if (id > map_largest)
                map_largest = id;
        }
    if (distinct != n) {
        error_set(err_wetland_id_mismatch, nullptr, nullptr, distinct, n);
        report_error(error_state);
        return 0;
    }
    wetland_count = n;
    if (map_largest > max_wetland_id) {
        error_set(err_wetland_ids_over_300);
        report_error(error_state);
        return 0;
    }
    // Every ID the map uses needs its row; a table row the map does not use
    // stays unused.
    std::vector<char> has_row(static_cast<size_t>(largest) + 1, 0);
    for (int id : ids)
        has_row[static_cast<size_t>(id)] = 1;
    for (int id = 1; id <= largest; ++id)
        if (number[static_cast<size_t>(id)] != 0 && !has_row[static_cast<size_t>(id)]) {
            std::printf(
                "Error: the wetland ID %d of index map %s has no row in the WETLAND_PROPERTIES table.\n", id,
                index_map.c_str());
            error_set(err_stop);
            report_error(error_state);
            return 0;
        }

    if (!struct_alloc(static_cast<size_t>(map_largest), props)) {
        error_set(err_stop);
        return 0;
    }
    for (int row = 0; row < n; ++row) {
        const int wn = number[static_cast<size_t>(ids[static_cast<size_t>(row)])];
        if (wn == 0)
            continue;
        const double* v = values.data() + static_cast<size_t>(row) * k;
        wetland_rec& w = props[static_cast<size_t>(wn)];
        w.initial_depth = v[0] / 1000.0;
        w.layer_depth = v[1] / 1000.0;
        w.layer_conductivity = v[2] / 86400.0;
        w.transition_depth = v[3] / 1000.0;
        w.surface_conductivity = v[4] / 86400.0;
        w.wetland_roughness = v[5];
        w.elevation_offset = v[6] / 1000.0;
    }
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            const int cell = s.mask[r][c];
            if (cell < 1 || cell > wetland_mask.size())
                continue;
            wetland_mask[cell] = number[static_cast<size_t>(id_grid[r - 1][c - 1])];
        }
    return 1;
}
