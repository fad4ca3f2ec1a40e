// The saturated groundwater model's inputs: boundary type per cell, wells
// (the WELL_TABLE) or static fluxes (the static flux table), aquifer
// conductivity and porosity from the first source given, and the cells
// whose aquifer level is written.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "coupling/coupling_services.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/reader_echo.h"
#include "input/subsurface_inputs.h"
#include "input/word_reader.h"

namespace
{

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

bool table_present(const model_state& s, int flag)
{
    return s.mapping_table_given && s.mapping_table_flags[flag];
}

// Groundwater boundary types: 0 and 1 ordinary aquifer cells, 2 fixed head,
// 3 dynamic well, 4 river cell, 5 inactive, 6 static-flux well, 7 lake
// cell, 8 head interpolated from XY points.
const num_field boundary_type_field{"groundwater boundary type", 0, 8};

// The static flux table: a count, then row, column and flux (m3 per day),
// each entry at least "1 1 0".
const count_field flux_count_field{"number of entries", 0, 10000000, 5};
const num_field flux_row_field{"row", -2147483647.0, 2147483647.0};
const num_field flux_col_field{"column", -2147483647.0, 2147483647.0};
const num_field flux_value_field{"flux", -1e15, 1e15};

// The well-level location list: a count, then row and column pairs, each
// at least "1 1".
const count_field well_count_field{"number of wells", 0, 10000000, 3};
const num_field well_row_field{"row", 1, 2147483647.0};
const num_field well_col_field{"column", 1, 2147483647.0};

// Reads the count that opens a list and checks it against its range and
// the rest of the file; false after a reported refusal.
bool read_list_count(word_reader& in, std::FILE* fp, const std::string& name, const count_field& field, int& count)
{
    const num_field as_number{field.name, static_cast<double>(field.low), static_cast<double>(field.high)};
    const field_result r = read_int_field(in, name, 0, as_number, count);
    if (r == field_result::end_of_file)
        refuse_early_end(in, name, 0, as_number);
    return r == field_result::ok && check_count(count, field, name, in.line(), fp);
}

bool read_boundary_types(model_state& s)
{
    const int n = s.num_cells;
    if (table_present(s, mt_groundwater_boundary) && s.gw_boundfile_name.empty()) {
        reader_echo_split(s, echo_rule::normal, "reading the groundwater boundary file from the mapping table\n",
                          "reading groundwater boundary file from the mapping table\n");
        dvec types;
        dvector_alloc_zero(types, n, "groundwater boundary types");
        table_destinations dest{&types};
        read_state_mapping_table(s, tc_groundwater_boundary, dest);
        if (run_stopped())
            return false;
        for (int i = 1; i <= n && i <= s.gwbound.size(); ++i) {
            const double v = types[i];
            if (!(v >= boundary_type_field.low && v <= boundary_type_field.high) || v != std::floor(v)) {
                std::printf("Error: the Groundwater Boundary table of %s gives cell %d the %s %g, not one of %g to %g.\n",
                            s.mapping_table_name.c_str(), i, boundary_type_field.name, v, boundary_type_field.low,
                            boundary_type_field.high);
                stop_run();
                return false;
            }
            s.gwbound[i] = static_cast<int>(v);
        }
        return true;
    }
    reader_echo_split(s, echo_rule::normal,
                      text_format("reading the groundwater boundary file: %s\n", s.gw_boundfile_name.c_str()),
                      text_format("reading groundwater boundary file: %s\n", s.gw_boundfile_name.c_str()));
    read_cell_ints(s, s.gw_boundary_file, s.gw_boundfile_name, s.gwbound);
    file_rec_close(s.gw_boundary_file);
    if (run_stopped())
        return false;
    for (int r = 1; r <= s.num_rows; ++r)
        for (int c = 1; c <= s.num_cols; ++c) {
            const int i = s.mask[r][c];
            if (i < 1 || i > n || i > s.gwbound.size())
                continue;
            const int v = s.gwbound[i];
            if (v < boundary_type_field.low || v > boundary_type_field.high) {
                std::printf("Error: file %s, row %d, column %d (cell %d): the %s %d is not one of %g to %g.\n",
                            s.gw_boundfile_name.c_str(), r, c, i, boundary_type_field.name, v,
                            boundary_type_field.low, boundary_type_field.high);
                stop_run();
                return false;
            }
        }
    return true;
}

// Cells of type 8 take their head from the XY head points; without any the
// interpolation has nothing to give and the cells would stay at their first
// head as plain fixed heads, which the project did not ask for.
bool xy_head_points_given(const model_state& s)
{
    int cells = 0, first = 0;
    for (int i = 1; i <= s.num_cells && i <= s.gwbound.size(); ++i)
        if (s.gwbound[i] == 8) {
            if (!cells)
                first = i;
            ++cells;
        }
    if (cells == 0 || s.cards.xy_in.num_gw_src > 0)
        return true;
    const std::string& from = s.gw_boundfile_name.empty() ? s.mapping_table_name : s.gw_boundfile_name;
    std::printf("Error: %s gives %d groundwater boundary cells (the first is cell %d) the type 8, a head "
                "interpolated from XY head points, but the project gives no XY head points "
                "(XYBDYINPUT_GWHEADINTERP).\n",
                from.c_str(), cells, first);
    stop_run();
    return false;
}

bool read_static_flux_table(model_state& s, const std::string& name)
{
    file_rec table;
    if (!file_rec_open(table, name, "r")) {
        std::printf("Can't open static flux table file: %s\n", name.c_str());
        stop_run();
        return false;
    }
    word_reader in(table.fp);
    int count = 0;
    if (!read_list_count(in, table.fp, name, flux_count_field, count)) {
        file_rec_close(table);
        return false;
    }
    field_result r = field_result::ok;
    const double cell_area = s.gridsize * s.gridsize;
    std::vector<int> entry_of(static_cast<std::size_t>(s.num_cells) + 1, 0); // entry that gave each cell
    for (int i = 1; i <= count; ++i) {
        int row = 0, col = 0;
        double flux = 0.0;
        const num_field* fields[] = {&flux_row_field, &flux_col_field, &flux_value_field};
        for (const num_field* f : fields) {
            r = f == &flux_value_field ? read_real_field(in, name, i, *f, flux)
                                       : read_int_field(in, name, i, *f, f == &flux_row_field ? row : col);
            if (r == field_result::end_of_file)
                refuse_early_end(in, name, i, *f);
            if (r != field_result::ok) {
                file_rec_close(table);
                return false;
            }
        }
        const int cell = listed_cell_number(s, name, i, row, col);
        if (cell == 0) {
            file_rec_close(table);
            return false;
        }
        int& first = entry_of[static_cast<std::size_t>(cell)];
        if (first) {
            std::printf("Error: file %s, line %d: entry %d gives row %d, column %d a flux again (entry %d gave it "
                        "first).\n",
                        name.c_str(), in.line(), i, row, col, first);
            stop_run();
            file_rec_close(table);
            return false;
        }
        first = i;
        s.well_flux[cell] = flux / 86400.0 / cell_area;
    }
    const bool whole = file_ends_after_entries(in, name, count);
    file_rec_close(table);
    return whole;
}

bool read_wells(model_state& s)
{
    if (s.cards.use_wells) {
        s.gw_boundary_count = 1;
        reader_echo(s, echo_rule::normal, "reading well map from the master table file\n");
        read_well_table(s, s.mapping_table_name);
        return !run_stopped();
    }
    s.gw_flux_cells = s.gw_dyn_well_cells = 0;
    for (int i = 1; i <= s.gwbound.size(); ++i) {
        s.gw_flux_cells += s.gwbound[i] == 6;
        s.gw_dyn_well_cells += s.gwbound[i] == 3;
    }
    if ((s.gw_flux_cells > 0 || s.gw_fluxboundtable) && !read_static_flux_table(s, s.gw_fluxboundtable_name))
        return false;
    if (s.gw_dyn_well_cells > 0)
        std::printf("You can't have a dynamic wells in the groundwater boundary map. You must use the\n"
                    "WELL_TABLE table in the mapping table file\n");
    return true;
}

// The bottom node of every Richards column, for the aquifer parameters.
bool from_bottom_nodes(const model_state& s, const dmat& nodes, dvec& dest)
{
    if (!nodes || s.numcells.size() < s.num_cells)
        return false;
    for (int i = 1; i <= dest.size(); ++i) {
        const int bottom = s.numcells[i];
        dest[i] = bottom >= 0 && bottom <= nodes.cols() && i <= nodes.rows() ? nodes[i][bottom] : 0.0;
    }
    return true;
}

bool read_aquifer_params(model_state& s)
{
    const bool gw_table = table_present(s, mt_groundwater);
    bool table_read = false;
    if (s.gw_hycond_map && s.gw_hycond_file.fp) {
        reader_echo_split(
            s, echo_rule::normal,
            text_format("reading ground water hydraulic conductivity map from file: %s\n", s.gw_hycond_map_name.c_str()),
            text_format("reading hyd. cond. map from file: %s\n", s.gw_hycond_map_name.c_str()));
        read_cell_reals(s, s.gw_hycond_file, s.gw_hycond_map_name, s.gw_hyd_cond);
        file_rec_close(s.gw_hycond_file);
    } else if (gw_table) {
        reader_echo_split(s, echo_rule::normal,
                          "reading ground water hydraulic conductivity map from the master table file\n",
                          "reading hyd. cond. map from the master table file\n");
        table_destinations dest{&s.gw_hyd_cond, &s.gw_porosity};
        read_state_mapping_table(s, tc_groundwater, dest);
        table_read = true;
    } else if (s.gw_unif_hycond) {
        for (int i = 1; i <= s.gw_hyd_cond.size(); ++i)
            s.gw_hyd_cond[i] = s.gw_unif_hycond_value;
    } else if (!from_bottom_nodes(s, s.KS, s.gw_hyd_cond)) {
        error_set(err_gw_table);
        error_state.raised = 1;
        return false;
    }
    if (run_stopped())
        return false;

    if (s.gw_porosity_map && s.gw_porosity_file.fp) {
        reader_echo(s, echo_rule::normal,
                    text_format("reading ground water porosity map from file: %s\n", s.gw_porosity_map_name.c_str()));
        read_cell_reals(s, s.gw_porosity_file, s.gw_porosity_map_name, s.gw_porosity);
        file_rec_close(s.gw_porosity_file);
    } else if (gw_table) {
        reader_echo_split(s, echo_rule::normal, "reading ground water porosity map from the master table file\n",
                          "reading porosity map from the master table file\n");
        // Conductivity from its own grid: the table is read here for the porosity.
        if (!table_read) {
            table_destinations dest{nullptr, &s.gw_porosity};
            read_state_mapping_table(s, tc_groundwater, dest);
        }
    } else if (s.gw_unif_porosity) {
        for (int i = 1; i <= s.gw_porosity.size(); ++i)
            s.gw_porosity[i] = s.gw_unif_porosity_value;
    } else {
        from_bottom_nodes(s, s.THETAS, s.gw_porosity);
    }
    if (run_stopped())
        return false;

    for (int i = 1; i <= s.num_cells; ++i) {
        s.gw_hyd_cond[i] = s.gw_hyd_cond[i] / 100.0 / 3600.0; // cm/h to m/s
        s.gw_hyd_cond_copy[i] = s.gw_hyd_cond[i];
        s.gw_ksat_x[i] = s.gw_hyd_cond[i];
        s.gw_ksat_y[i] = s.gw_hyd_cond[i];
        s.gw_cell_dx[i] = s.gridsize;
        s.gw_cell_dy[i] = s.gridsize;
        s.gw_porosity_copy[i] = s.gw_porosity[i];
    }
    return true;
}

void read_well_level_list(model_state& s)
{
    const std::string& name = s.out_well_location_name;
    if (!s.out_well_location_file.fp)
        return;
    word_reader in(s.out_well_location_file.fp);
    int count = 0;
    if (!read_list_count(in, s.out_well_location_file.fp, name, well_count_field, count))
        return;
    field_result r = field_result::ok;
    if (!ivector_alloc_zero(s.well_row, count, "well_row") || !ivector_alloc_zero(s.well_column, count, "well_column"))
        return;
    for (int i = 1; i <= count; ++i) {
        for (const num_field* f : {&well_row_field, &well_col_field}) {
            r = read_int_field(in, name, i, *f, f == &well_row_field ? s.well_row[i] : s.well_column[i]);
            if (r == field_result::end_of_file)
                refuse_early_end(in, name, i, *f);
            if (r != field_result::ok)
                return;
        }
        if (s.well_row[i] > s.rows || s.well_column[i] > s.cols) {
            listed_cell_number(s, name, i, s.well_row[i], s.well_column[i]);
            return;
        }
    }
    if (file_ends_after_entries(in, name, count))
        s.num_wells = count;
}

} // namespace

void read_groundwater_inputs(model_state& s)
{
    if (s.gw_simulation != 1)
        return;
    const int n = s.num_cells;
    for (dvec* v : {&s.gw_hyd_cond, &s.gw_hyd_cond_copy, &s.gw_cell_dx, &s.gw_cell_dy, &s.gw_porosity_copy, &s.gw_ksat_x,
                    &s.gw_ksat_y})
        dvector_alloc_zero(*v, n, "groundwater cell array");
    if (!s.gw_porosity)
        dvector_alloc_zero(s.gw_porosity, n, "gw_porosity");
    if (!s.well_flux)
        dvector_alloc_zero(s.well_flux, n, "well_flux");
    if (!s.gwbound)
        ivector_alloc_zero(s.gwbound, n, "gwbound");
    if (!read_boundary_types(s) || !xy_head_points_given(s))
        return;
    // Weights of the XY head boundary cells (type 8) from their source points.
    gw_interp_weights(s.cards.xy_in, s.gwbound, n, s.cell_x, s.cell_y);
    if (!read_wells(s))
        return;
    if (!read_aquifer_params(s))
        return;
    if (s.gw_well_level)
        read_well_level_list(s);
}
