// The RATINGCURVES table: elevation series bound to the overland boundary
// cells of types 6 and 7 through the cells' second boundary value.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "input/elev_series.h"
#include "input/mapping_table.h"
#include "overland/surface_state.h"

namespace
{

struct curve_row {
    int id;
    std::string name;
};

elev_series* find_elev_series(const std::string& name)
{
    if (name.empty())
        return nullptr;
    for (elev_series& e : elev_series_list)
        if (e.name.compare(0, name.size(), name) == 0)
            return &e;
    return nullptr;
}

} // namespace

int read_ov_rating_curves(const std::string& table_file, std::vector<ov_bc_cell>& curves,
                          const ivec& boundary_type, const dvec& bc_values_b, int num_cells)
{
    curves.assign(static_cast<size_t>(num_cells > 0 ? num_cells : 0) + 1, ov_bc_cell{});
    const int n = num_cells < boundary_type.size() ? num_cells : boundary_type.size();
    bool any = false;
    for (int i = 1; i <= n; ++i)
        any = any || boundary_type[i] == 6 || boundary_type[i] == 7;
    if (!any)
        return 1;

    // The table is read once; every boundary cell then takes the series of
    // the rows whose ID is its second boundary value.
    file_rec table;
    if (!file_rec_open(table, table_file, "r")) {
        error_set(err_mapping_table_open, nullptr, table_file.c_str());
        report_error(error_state);
        return 0;
    }
    std::vector<curve_row> rows;
    if (find_ratingcurves_table(table)) {
        const int k = read_num_ids(table);
        skip_table_headers(table);
        std::string line;
        for (int row = 1; row <= k; ++row) {
            int id = 0;
            std::string name;
            if (!read_id_name_row(table, table_file, "RATINGCURVES", row, id, name))
                return 0;
            rows.push_back({id, name});
        }
    }
    for (int i = 1; i <= n; ++i) {
        if (boundary_type[i] != 6 && boundary_type[i] != 7)
            continue;
        const double b = i <= bc_values_b.size() ? bc_values_b[i] : 0.0;
        if (!std::isfinite(b) || std::fabs(b) > max_table_id)
            continue;
        const int want = static_cast<int>(b);
        for (const curve_row& r : rows) {
            if (r.id != want)
                continue;
            elev_series* series = find_elev_series(r.name);
            if (series) {
                curves[static_cast<size_t>(i)].rating = series;
            } else {
                error_set(err_rating_curve_series);
                error_state.raised = 1;
            }
        }
    }
    return 1;
}
