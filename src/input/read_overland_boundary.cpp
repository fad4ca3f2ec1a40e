// Overland boundary conditions: each cell's boundary type and values from
// the OVERLAND_BOUNDARY table, and the rating curves of types 6 and 7.
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/spatial_inputs.h"

namespace
{

constexpr int largest_boundary_type = 99;

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
            if (!(v >= 0.0 && v < largest_boundary_type + 1.0)) {
                std::printf("Error: cell %d (row %d, column %d) has the overland boundary type %g in table "
                            "OVERLAND_BOUNDARY; the types run from 0 to %d.\n",
                            i, s.cell_row[i], s.cell_col[i], v, largest_boundary_type);
                error_set(err_stop);
                report_error(error_state);
                return;
            }
            s.boundary_type[i] = static_cast<int>(v);
            if (s.boundary_type[i] > 5 && s.boundary_type[i] != 99)
                ++rating_cells;
        }
        if (rating_cells > 0) {
            ivector_alloc_zero(s.face_dir, 4, "face_dir");
            dvector_alloc_zero(s.face_head, 4, "face_head");
            read_ov_rating_curves(s.mapping_table_name, s.ov_rating_curves, s.boundary_type, s.ov_bc_values_b,
                                  n);
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
