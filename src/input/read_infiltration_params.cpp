// Soil and infiltration parameters of the scheme the project selects:
// area reduction, the Green-Ampt and redistribution parameters (grids or the
// GREEN_AMPT_INFILTRATION table; cm/h and cm turned into m/s and m), the soil
// types of layered soils, then evapotranspiration and initial moisture, the
// water table and the Richards soil columns.
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/reader_echo.h"
#include "input/subsurface_inputs.h"
#include "subsurface/soil_tables.h"

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

// One Green-Ampt parameter: its grid when given and open, else the line
// announcing the table, whose values are already in place.
void read_ga_param(model_state& s, int given, file_rec& file, const std::string& name, dvec& dest,
                   const char* grid_line, const char* table_line)
{
    if (given == 1 && file.fp) {
        reader_echo(s, echo_rule::normal, text_format(grid_line, name.c_str()));
        read_cell_reals(s, file, name, dest);
        file_rec_close(file);
    } else {
        reader_echo(s, echo_rule::normal, table_line);
    }
}

void scale(dvec& v, double divisor)
{
    for (int i = 1; i <= v.size(); ++i)
        v[i] /= divisor;
}

// Green-Ampt with or without redistribution; false when the run stops.
bool read_green_ampt_params(model_state& s)
{
    const bool ga_table = table_present(s, mt_green_ampt_infiltration);
    // The schemes run on each cell's conductivity and capillary head: with
    // neither a map nor the table they would run on zeros.
    if (!ga_table && (s.conductivity_given != 1 || s.capillary_given != 1)) {
        std::fprintf(stderr, "Green-Ampt infiltration needs the %s: give its map (%s) or the "
                             "GREEN_AMPT_INFILTRATION table of the mapping table\n",
                     s.conductivity_given != 1 ? "saturated hydraulic conductivity" : "capillary head",
                     s.conductivity_given != 1 ? "CONDUCTIVITY" : "CAPILLARY");
        stop_run();
        return false;
    }
    if (ga_table) {
        table_destinations dest{&s.dist_ksat,       &s.dist_cap_head,  &s.dist_porosity,     &s.dist_pore_index,
                                &s.dist_resid_sat, &s.dist_inf_col6, &s.dist_wilting_point};
        read_state_mapping_table(s, tc_green_ampt_infiltration, dest);
        if (run_stopped())
            return false;
    }
    read_ga_param(s, s.conductivity_given, s.conductivity_file, s.conductivity_name, s.dist_ksat,
                  "reading saturated hydraulic conductivity map from file: %s\n",
                  "reading saturated hydraulic conductivity table and map from the master table file\n");
    if (run_stopped())
        return false;
    scale(s.dist_ksat, 360000.0); // cm/h to m/s
    read_ga_param(s, s.capillary_given, s.capillary_file, s.capillary_name, s.dist_cap_head,
                  "reading capillary drive map from file: %s\n",
                  "reading capillary drive map from the master table file\n");
    if (run_stopped())
        return false;
    scale(s.dist_cap_head, 100.0); // cm to m
    read_ga_param(s, s.porosity_given, s.porosity_file, s.porosity_name, s.dist_porosity,
                  "reading porosity map from file: %s\n", "reading porosity table and map from the master table file\n");
    if (run_stopped())
        return false;
    if (s.inf_redist != 1)
        return true;

    if (!s.pore_index_given && !ga_table) {
        std::fputs("For infiltration redistribution, pore index map must be specified\n", stderr);
        std::fputs("Program stopped.\n", stderr);
        stop_run();
        return false;
    }
    read_ga_param(s, s.pore_index_given, s.pore_index_file, s.pore_index_name, s.dist_pore_index,
                  "reading pore distribution index map from file: %s\n",
                  "reading pore distribution index map from master table file\n");
    if (run_stopped())
        return false;
    if (!s.residual_sat_given && !ga_table) {
        std::fputs("Program stopped.\n", stderr);
        stop_run();
        return false;
    }
    read_ga_param(s, s.residual_sat_given, s.residual_sat_file, s.residual_sat_name, s.dist_resid_sat,
                  "reading residual saturation map from file: %s\n",
                  "reading residual saturation map from the master table file\n");
    return !run_stopped();
}

// The initial water content as the Green-Ampt schemes' starting moisture.
// Done after the moisture map or table is read, so the copies hold it.
void copy_initial_moisture(model_state& s)
{
    const int n = s.dist_init_moisture.size();
    auto copy_into = [&](dvec& dest) {
        for (int i = 1; i <= n && i <= dest.size(); ++i)
            dest[i] = s.dist_init_moisture[i];
    };
    copy_into(s.soil_moisture);
    if (s.inf_redist == 1) {
        copy_into(s.redist_theta_1);
        copy_into(s.redist_theta_2);
    }
}

} // namespace

// The soil type of every cell from the SOIL_TYPE_MAP grid; false when the
// run stops.
bool read_soil_type_map(model_state& s)
{
    reader_echo(s, echo_rule::normal,
                text_format("reading soil map from file: %s\n", s.soil_type_map_name.c_str()));
    read_grid_map(s.soil_type_map_file, s.soil_type_map_name, grid_full_ints, s.grid_north, s.grid_south,
                  s.grid_east, s.grid_west, s.grid_rows, s.grid_cols, s.data, nullptr, nullptr, nullptr,
                  s.rows, s.cols, s.calib_mode);
    file_rec_close(s.soil_type_map_file);
    if (run_stopped())
        return false;
    for (int r = 1; r <= s.rows; ++r)
        for (int c = 1; c <= s.cols; ++c) {
            const int cell = s.mask[r][c];
            if (cell < 1 || cell > s.soiltype.size())
                continue;
            const int type = s.data[r][c];
            if (type < 0 || type >= soil_type_count) {
                std::printf("Error: the soil type map %s gives soil type %d at row %d column %d; soil types "
                            "run from 0 to %d.\n",
                            s.soil_type_map_name.c_str(), type, r, c, soil_type_count - 1);
                stop_run();
                return false;
            }
            s.soiltype[cell] = type;
        }
    return true;
}

namespace
{

// Soil type of every cell and the soil-type records of layered soils; the
// starting water content of each layer comes from the cell's soil type.
bool read_layered_soil_types(model_state& s)
{
    if (table_present(s, mt_multi_layer_soil)) {
        if (read_multilayer_table(s, s.mapping_table_name) < 0 && error_state.code != 0 && !error_state.raised)
            report_error(error_state);
        if (run_stopped())
            return false;
    } else {
        if (!read_soil_type_map(s))
            return false;
        if (!read_soil_layer_table(s.soil_layer_table_file, s.soil_layer_input_name, s))
            return false;
    }
    for (int i = 1; i <= s.soiltype.size(); ++i) {
        const int type = s.soiltype[i];
        if (type < 0 || type >= soil_type_count)
            continue;
        const soil_layer_rec& rec = s.soil_layers[static_cast<size_t>(type)];
        if (i <= s.soil_moisture.size())
            s.soil_moisture[i] = rec.init_moisture[0];
        if (i <= s.THETA_ML.rows() && s.THETA_ML.cols() >= 3)
            for (int layer = 1; layer <= 3; ++layer)
                s.THETA_ML[i][layer] = rec.init_moisture[layer - 1];
    }
    return true;
}

} // namespace

void read_area_reduction(model_state& s)
{
    if (!s.area_reduction_given)
        return;
    if (!s.area_reduction_name.empty()) {
        if (!file_rec_open(s.area_reduction_file, s.area_reduction_name, "r")) {
            std::printf("Can't open area reduction file named: %s\n", s.area_reduction_name.c_str());
            stop_run();
            return;
        }
        reader_echo(s, echo_rule::normal,
                    text_format("reading area reduction map from file: %s\n", s.area_reduction_name.c_str()));
        read_cell_reals(s, s.area_reduction_file, s.area_reduction_name, s.area_reduction_values);
        file_rec_close(s.area_reduction_file);
    } else if (table_present(s, mt_area_reduction)) {
        reader_echo(s, echo_rule::normal, "reading area reduction map from the mapping table file.\n");
        table_destinations dest{&s.area_reduction_values};
        read_state_mapping_table(s, tc_area_reduction, dest);
    }
    if (run_stopped())
        return;
    // The map gives the blocked fraction; the cells keep the open one.
    for (int i = 1; i <= s.area_reduction_values.size(); ++i)
        s.area_reduction_values[i] = 1.0 - s.area_reduction_values[i];
}

void read_infiltration_params(model_state& s)
{
    if (!(s.green_ampt == 1 || s.inf_redist == 1 || s.inf_layered_soil == 1 || s.inf_richards == 1))
        return;
    read_area_reduction(s);
    if (run_stopped())
        return;
    if ((s.green_ampt || s.inf_redist) && !read_green_ampt_params(s))
        return;
    if (s.inf_layered_soil == 1 && !read_layered_soil_types(s))
        return;
    read_et_and_moisture_maps(s);
    if (run_stopped())
        return;
    if (s.green_ampt || s.inf_redist)
        copy_initial_moisture(s);
    read_water_table(s);
    if (run_stopped())
        return;
    read_richards_soil(s);
}
