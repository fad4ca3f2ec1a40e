// Initial values of the nutrient module's overland water constituents and
// of the overland carbon and dispersion: a uniform value, a table of the
// mapping-table file or a continuous map, chosen per quantity by its card.
// A constituent's mass is concentration x depth x cell area.
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "quality/qbn_services.h"

namespace
{

enum init_mode { mode_none = 0, mode_map = 1, mode_table = 2, mode_uniform = 3 };

// The grid tables: their code, presence flag, value columns and rain
// concentrations.
struct grid_table {
    int code;
    int flag;
    int columns;
    int rain;
};
const grid_table tables[] = {
    {tc_qbn_n, mt_qbn_n, 4, 4},
    {tc_qbn_p, mt_qbn_p, 3, 3},
    {tc_qbn_c, mt_qbn_c, 2, 0},
    {tc_qbn_oth, mt_qbn_oth, 3, 3},
    {tc_dispersion, mt_qbn_dispersion, 1, 0},
};
enum { t_n, t_p, t_c, t_oth, t_disp, table_count };

// The table, column and rain slot that fill each water constituent.
struct source {
    int table;
    int column;
};
const source water_source[qbn_constituent_count] = {
    {t_n, 0}, {t_n, 1}, {t_n, 2}, {t_n, 3}, {t_p, 0}, {t_p, 1}, {t_oth, 0}, {t_oth, 1}, {t_oth, 2},
};

struct table_values {
    bool read = false;
    dvec columns[4];
    dvec rain;
};

// Reads the present grid tables into per-cell columns and rain values.
bool read_tables(model_state& s, table_values (&t)[table_count])
{
    for (int k = 0; k < table_count; ++k) {
        const grid_table& g = tables[k];
        if (!s.mapping_table_given || !s.mapping_table_flags[g.flag])
            continue;
        table_destinations dest{};
        for (int c = 0; c < g.columns; ++c) {
            dvector_alloc_zero(t[k].columns[c], s.num_cells, "nutrient table column");
            dest[static_cast<std::size_t>(c)] = &t[k].columns[c];
        }
        dvector_alloc_zero(t[k].rain, 4, "nutrient rain concentrations");
        if (run_stopped())
            return false;
        const int ok =
            read_mapping_table(s.calib_mode, s.mapping_table_name, g.code, dest, s.grid_north, s.grid_south,
                               s.grid_east, s.grid_west, s.grid_rows, s.grid_cols, s.mask, s.rows, s.cols,
                               &s.summary_file, g.rain, g.rain ? &t[k].rain : nullptr);
        if (run_stopped())
            return false;
        t[k].read = ok != 0;
    }
    return true;
}

// The values of a continuous map into the work array; false with code 80.
bool read_map(model_state& s, const qbn_init_entry& e, const std::string& title, const char* open_error,
              dvec& values)
{
    file_rec file;
    std::string name = e.map;
    if (!file_rec_open(file, name, "r")) {
        std::printf(open_error, title.c_str(), e.map.c_str());
        error_set(err_nutrient_file_open, nullptr, e.map.c_str());
        return false;
    }
    if (dvector_alloc_zero(values, s.num_cells, "nutrient map values"))
        read_cell_reals(s, file, e.map, values);
    file_rec_close(file);
    return !run_stopped();
}

void set_masses(model_state& s, qbn_constituent& c)
{
    const double area = s.gridsize * s.gridsize;
    for (int i = 1; i <= s.num_cells; ++i)
        c.mass[i] = area * s.ov_depth[i] * c.conc[i];
}

// One water constituent f; false when the assignment stopped.
bool assign_water(model_state& s, qbn_model& m, int f, const table_values (&t)[table_count])
{
    std::string title;
    qbn_constituent_title(title, f, 0);
    qbn_constituent& c = m.overland.species[f];
    const qbn_init_entry& e = m.ov_init[f];
    const source src = water_source[f];
    dvec values;
    switch (e.kind) {
    case mode_uniform:
        std::printf("Assigning spatially uniform parameters for the %s constituent\n", title.c_str());
        for (int i = 1; i <= s.num_cells; ++i)
            c.conc[i] = e.value;
        set_masses(s, c);
        return true;
    case mode_table:
        if (!t[src.table].read) {
            error_set(err_nutrient_no_table, title.c_str());
            return false;
        }
        std::printf("Assigning parameters for the %s constituent from the mapping table.\n", title.c_str());
        set_masses(s, c);
        return true;
    case mode_map:
        if (!read_map(s, e, title,
                      "Error opening initial condition continuous map file \nfor the grid %s constituent. \n"
                      "Given filename: %s\n",
                      values))
            return false;
        std::printf("Assigning parameters from a continuous map for the constituent %s\n", title.c_str());
        for (int i = 1; i <= s.num_cells; ++i)
            c.conc[i] = values[i];
        set_masses(s, c);
        return true;
    default:
        return true;
    }
}

// DOC (9), FOC (10) and the dispersion coefficient (11) into their per-cell
// arrays; no masses.
bool assign_other(model_state& s, qbn_model& m, int k, checked_array<double>& dest, const dvec* column,
                  bool table_read)
{
    std::string title;
    qbn_constituent_title(title, k, 0);
    const qbn_init_entry& e = m.ov_init[k];
    const bool disp = k == 11;
    dvec values;
    switch (e.kind) {
    case mode_uniform:
        std::printf(disp ? "Assigning spatially uniform parameters for the overland constituent %s\n"
                         : "Assigning spatially uniform parameters for the %s constituent\n",
                    title.c_str());
        for (int i = 1; i <= s.num_cells; ++i)
            dest[i] = e.value;
        return true;
    case mode_table:
        if (!table_read) {
            error_set(err_nutrient_no_table, title.c_str());
            return false;
        }
        std::printf(disp ? "Assigning parameters for the overland constituent %s from the mapping table.\n"
                         : "Assigning parameters for the %s constituent from the mapping table.\n",
                    title.c_str());
        for (int i = 1; i <= s.num_cells; ++i)
            dest[i] = (*column)[i];
        return true;
    case mode_map:
        if (k == 10)
            std::printf("Opening file: %s\n", e.map.c_str());
        if (!read_map(
                s, e, title,
                disp ? "Error opening initial condition continuous map file \nfor the overland grid %s "
                       "constituent. \nGiven filename: %s\n"
                     : "Error opening initial condition continuous map file \nfor the grid %s constituent. "
                       "\nGiven filename: %s\n",
                values))
            return false;
        std::printf(disp ? "Assigning parameters from a continuous map for the overland constituent %s\n"
                         : "Assigning parameters from a continuous map for the constituent %s\n",
                    title.c_str());
        for (int i = 1; i <= s.num_cells; ++i)
            dest[i] = values[i];
        return true;
    default:
        return true;
    }
}

} // namespace

void assign_grid_constituents(qbn_model& m, model_state& s)
{
    const int first = s.first_qbn_constituent;
    for (int k = 0; k < 10; ++k)
        if (first + k <= s.precip_conc.cap)
            s.precip_conc[first + k] = 0.0;
    table_values t[table_count];
    if (!read_tables(s, t))
        return;
    // A table that was read fills its quantities whatever their mode.
    qbn_overland& o = m.overland;
    for (int f = 0; f < qbn_constituent_count; ++f) {
        const source src = water_source[f];
        if (t[src.table].read)
            for (int i = 1; i <= s.num_cells; ++i)
                o.species[f].conc[i] = t[src.table].columns[src.column][i];
    }
    const struct {
        checked_array<double>& dest;
        const table_values& from;
        int column;
    } others[] = {{o.doc, t[t_c], 0}, {o.foc, t[t_c], 1}, {o.dispersion, t[t_disp], 0}};
    for (const auto& x : others)
        if (x.from.read)
            for (int i = 1; i <= s.num_cells; ++i)
                x.dest[i] = x.from.columns[x.column][i];

    for (int f = 0; f < qbn_constituent_count; ++f) {
        // The rain concentration of the table column that fills f.
        const source src = water_source[f];
        if (first + f <= s.precip_conc.cap && t[src.table].read && t[src.table].rain.size() > src.column)
            s.precip_conc[first + f] = t[src.table].rain[src.column + 1];
        if (!assign_water(s, m, f, t))
            return;
    }
    if (!assign_other(s, m, 9, o.doc, &t[t_c].columns[0], t[t_c].read))
        return;
    if (!assign_other(s, m, 10, o.foc, &t[t_c].columns[1], t[t_c].read))
        return;
    assign_other(s, m, 11, o.dispersion, &t[t_disp].columns[0], t[t_disp].read);
}
