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

int refuse_curves()
{
    error_set(err_stop);
    report_error(error_state);
    return 0;
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
    // the row whose ID is its second boundary value.
    file_rec table;
    if (!file_rec_open(table, table_file, "r")) {
        error_set(err_mapping_table_open, nullptr, table_file.c_str());
        report_error(error_state);
        return 0;
    }
    std::vector<curve_row> rows;
    if (find_ratingcurves_table(table)) {
        const long long k = read_table_count(table, table_file, tc_ratingcurves, tc_num_ids, table_num_ids);
        if (k < 0)
            return 0;
        skip_table_headers(table);
        for (int row = 1; row <= static_cast<int>(k); ++row) {
            int id = 0;
            std::string name;
            if (!read_id_name_row(table, table_file, "RATINGCURVES", row, id, name))
                return 0;
            for (const curve_row& r : rows)
                if (r.id == id) {
                    std::printf("Error: row %d of table RATINGCURVES in the mapping table file %s gives the ID %d "
                                "a second time.\n",
                                row, table_file.c_str(), id);
                    return refuse_curves();
                }
            rows.push_back({id, name});
        }
    }
    // Every cell of type 6 or 7 exchanges its water through its curve.
    for (int i = 1; i <= n; ++i) {
        if (boundary_type[i] != 6 && boundary_type[i] != 7)
            continue;
        const double b = i <= bc_values_b.size() ? bc_values_b[i] : 0.0;
        const curve_row* found = nullptr;
        if (b == std::floor(b) && b >= 1.0 && b <= max_table_id)
            for (const curve_row& r : rows)
                if (r.id == static_cast<int>(b))
                    found = &r;
        if (!found) {
            std::printf("Error: cell %d is an overland boundary of type %d whose rating curve ID %g has no row in "
                        "the RATINGCURVES table of the mapping table file %s.\n",
                        i, boundary_type[i], b, table_file.c_str());
            return refuse_curves();
        }
        elev_series* series = find_elev_series(found->name);
        if (!series) {
            error_set(err_rating_curve_series);
            report_error(error_state);
            std::printf("\nError: the RATINGCURVES table of the mapping table file %s binds ID %d to the elevation "
                        "series \"%s\", which no elevation series file holds.\n",
                        table_file.c_str(), found->id, found->name.c_str());
            return 0; // code 86 reported stops the run
        }
        curves[static_cast<size_t>(i)].rating = series;
    }
    return 1;
}
