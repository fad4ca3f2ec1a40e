// Evapotranspiration parameters of long-term runs and the initial soil
// moisture: grids, or the EVAPOTRANSPIRATION and
// GREEN_AMPT_INITIAL_SOIL_MOISTURE tables of the mapping table.
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/reader_echo.h"
#include "input/subsurface_inputs.h"

namespace
{

struct et_map {
    int model_state::*given;
    file_rec run_file_records::*file;
    std::string input_names_state::*name;
    dvec soil_surface_state::*dest;
    bool needs_penman;
    const char* grid_line;
    const char* table_line;
};

// In the order they are read; albedo alone needs no Penman evapotranspiration.
const et_map et_maps[] = {
    {&model_state::albedo_given, &run_file_records::albedo_file, &input_names_state::albedo_name,
     &soil_surface_state::dist_albedo, false, "reading albedo map from file: %s\n",
     "reading albedo table and map from the master table file\n"},
    {&model_state::vheight_given, &run_file_records::vheight_file, &input_names_state::vheight_name,
     &soil_surface_state::dist_veg_height, true, "reading vegetation-height map from file: %s\n",
     "reading vegetation-height table and map from the master table file\n"},
    {&model_state::tcoeff_given, &run_file_records::tcoeff_file, &input_names_state::tcoeff_name,
     &soil_surface_state::dist_trans_coeff, true, "reading transmission-coefficient map from file: %s\n",
     "reading transmission-coefficient table and map from the master table file\n"},
    {&model_state::canopy_given, &run_file_records::canopy_file, &input_names_state::canopy_name,
     &soil_surface_state::dist_canopy_resist, true, "reading canopy resistance map from file: %s\n",
     "reading canopy resistance table and map from the master table file\n"},
    {&model_state::wilting_point_given, &run_file_records::wilting_point_file,
     &input_names_state::wilting_point_name, &soil_surface_state::dist_wilting_point, true,
     "reading wilting point map from file: %s\n", "reading wilting point table and map from the master table file\n"},
};

} // namespace

void read_et_and_moisture_maps(model_state& s)
{
    if (s.mapping_table_given && s.mapping_table_flags[mt_evapotranspiration]) {
        table_destinations dest{&s.dist_albedo, &s.dist_veg_height, &s.dist_trans_coeff, &s.dist_canopy_resist};
        read_state_mapping_table(s, tc_evapotranspiration, dest);
        if (run_stopped())
            return;
    }
    if (s.long_term) {
        for (const et_map& m : et_maps) {
            if (m.needs_penman && !s.et_calc_penman)
                continue;
            file_rec& file = s.*m.file;
            const std::string& name = s.*m.name;
            if (s.*m.given == 1 && file.fp) {
                reader_echo(s, echo_rule::normal, text_format(m.grid_line, name.c_str()));
                read_cell_reals(s, file, name, s.*m.dest);
                file_rec_close(file);
                if (run_stopped())
                    return;
            } else {
                reader_echo(s, echo_rule::normal, m.table_line);
            }
        }
    }
    if (s.moisture_given != 1)
        return;
    if (s.moisture_file.fp) {
        reader_echo(s, echo_rule::normal, text_format("reading soil moisture map from file: %s\n", s.moisture_name.c_str()));
        read_cell_reals(s, s.moisture_file, s.moisture_name, s.dist_init_moisture);
        file_rec_close(s.moisture_file);
    } else {
        reader_echo(s, echo_rule::normal, "reading soil moisture table and map from the master table file\n");
        if (s.mapping_table_given && s.mapping_table_flags[mt_green_ampt_soil_moisture]) {
            table_destinations dest{&s.dist_init_moisture};
            read_state_mapping_table(s, tc_green_ampt_initial_soil_moisture, dest);
        }
    }
}
