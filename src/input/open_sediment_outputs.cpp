// The sediment output files, opened in a fixed order; the first that does
// not open stops the run with its description and name.
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/quality_inputs.h"

void open_sediment_outputs(model_state& s)
{
    if (!s.sed.soil_erosion)
        return;
    const project_cards& c = s.cards;
    struct output {
        bool wanted;
        file_rec* file;
        const std::string* name;
        const char* mode;
        const char* what;
    };
    const bool at_locations = c.in_sed_loc_given && s.chan_sed_on;
    const output outputs[] = {
        {s.sed.vol_sed_susp == 1, &s.sed.sed_susp_file, &c.vol_sed_susp, "w", "output suspended sediment"},
        {s.sed.max_sed_flux == 1 && !s.map_type_grids, &s.sed.sed_flux_file, &c.max_sed_flux, "w",
         "output sediment flux"},
        {true, &s.sed.outlet_sed_file, &c.outlet_sed_flux, "w", "outlet sediment hydrograph"},
        {c.outlet_sed_tss_given == 1, &s.sed.outlet_tss_file, &c.outlet_sed_tss, "w", "outlet sediment tss file"},
        {at_locations, &s.in_sed_loc_file, &c.in_sed_loc, "r", "input sed. hydrograph locations"},
        {at_locations, &s.sed.sed_hyd_loc_file, &c.out_sed_loc, "w", "output sed. hydrograph locations"},
        {at_locations && c.out_tss_loc_given, &s.sed.tss_loc_file, &c.out_tss_loc, "w",
         "output sediment tss hydrograph locations"},
    };
    for (const output& o : outputs) {
        if (!o.wanted)
            continue;
        if (!file_rec_open(*o.file, *o.name, o.mode)) {
            error_set(err_open_file, o.what, o.name->c_str());
            error_state.raised = 1;
            return;
        }
    }
    s.sed_hyd_locations_on = at_locations ? 1 : 0;
}
