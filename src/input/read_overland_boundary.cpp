// Overland boundary conditions: each cell's boundary type and values from
// the OVERLAND_BOUNDARY table, and the rating curves of types 6 and 7.
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/spatial_inputs.h"
#include "input/time_series.h"

namespace
{

// The types a cell of the table may take: 0 none, 1 to 7, and 99 for the
// receiving cells of types 6 and 7 (type 9 is the XY input's own).
bool table_boundary_type(double v)
{
    return v == std::floor(v) && ((v >= 0.0 && v <= 7.0) || v == 99.0);
}

bool refuse_boundary(const char* text)
{
    std::fputs(text, stdout);
    error_set(err_stop);
    report_error(error_state);
    return false;
}

// Types 3 to 5 take their value from the time series of the cell's second
// value, an ID of the TIME_SERIES_INDEX table.
bool series_ids_usable(const model_state& s)
{
    for (int i = 1; i <= s.num_cells; ++i) {
        const int type = s.boundary_type[i];
        if (type < 3 || type > 5)
            continue;
        const double id = s.ov_bc_values_b[i];
        char user[200];
        std::snprintf(user, sizeof user,
                      "cell %d (row %d, column %d), of overland boundary type %d in table OVERLAND_BOUNDARY,", i,
                      s.cell_row[i], s.cell_col[i], type);
        if (id != std::floor(id) || id < 1.0 || id > max_table_id) {
            char text[300];
            std::snprintf(text, sizeof text, "Error: %s gives the time series ID %g, which is not an ID from 1 to %d.\n",
                          user, id, max_table_id);
            return refuse_boundary(text);
        }
        if (!ts_index_id_usable(static_cast<int>(id), user))
            return false;
    }
    return true;
}

} // namespace

void read_overland_boundary(model_state& s)
{
    if (!s.ov_boundary && !s.xybdyinput_ovdep)
        return;
    const int n = s.num_cells;
    dvector_alloc_zero(s.ov_bc_values_a, n, "ov_bc_values_a");
    dvector_alloc_zero(s.ov_bc_values_b, n, "ov_bc_values_b");
    ivector_alloc_zero(s.boundary_type, n, "boundary_type");
    const bool table = s.mapping_table_given && s.mapping_table_flags[mt_overland_boundary];
    if (!table && !s.xybdyinput_ovdep) {
        error_set(err_ov_boundary_table);
        error_state.raised = 1; // the hub stops here; the driver reports the code
        return;
    }
    if (table) {
        table_destinations dest{&s.ov_bc_values_a, &s.ov_bc_values_b};
        if (!read_state_mapping_table(s, tc_overland_boundary, dest) || run_stopped())
            return;
        int rating_cells = 0;
        for (int i = 1; i <= n; ++i) {
            const double v = s.ov_bc_values_a[i];
            if (!table_boundary_type(v)) {
                char text[300];
                std::snprintf(text, sizeof text,
                              "Error: cell %d (row %d, column %d) has the overland boundary type %g in table "
                              "OVERLAND_BOUNDARY; the types are 0 to 7 and 99.\n",
                              i, s.cell_row[i], s.cell_col[i], v);
                refuse_boundary(text);
                return;
            }
            s.boundary_type[i] = static_cast<int>(v);
            if (s.boundary_type[i] > 5 && s.boundary_type[i] != 99)
                ++rating_cells;
        }
        if (!series_ids_usable(s))
            return;
        if (rating_cells > 0) {
            ivector_alloc_zero(s.face_dir, 4, "face_dir");
            dvector_alloc_zero(s.face_head, 4, "face_head");
            read_ov_rating_curves(s.mapping_table_name, s.ov_rating_curves, s.boundary_type, s.ov_bc_values_b,
                                  n);
            if (run_stopped())
                return;
        }
    }
    // The cells of the XY overland boundary input are head boundaries whose
    // depth the XY points set (their numbers were checked against n).
    const xy_input& xy = s.cards.xy_in;
    for (int k = 0; k < xy.num_ov_points; ++k) {
        const int cell = xy.ovpts[k].cell;
        if (cell >= 1 && cell <= n)
            s.boundary_type[cell] = 9;
    }
}
