// The nutrient module's hydrograph-style output files: a concentration and a
// mass file for every water constituent whose OUT_HYD card was given. The
// channel nitrogen, Kjeldahl nitrogen and phosphorus totals are link/node
// files, opened and written by their own writers (open_nutrient_outputs).
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "quality/qbn_services.h"
#include "quality/quality_steps.h"

namespace
{

bool open_species_file(file_rec& file, const std::string& name, const std::string& title, const char* kind)
{
    if (file_rec_open(file, name, "w"))
        return true;
    std::printf("Error opening %s output file (hydrograph style )\nfor the %s hydrograph file. \nGiven "
                "filename: %s\n",
                kind, title.c_str(), name.c_str());
    error_set(err_open_file, kind, name.c_str());
    return false;
}

} // namespace

void open_qbn_series_files(model_state& s)
{
    if (!s.qbn_object)
        return;
    const project_cards& c = s.cards;
    qbn_model& m = *s.qbn_object;
    for (int i = 0; i < qbn_constituent_count; ++i) {
        const qbn_output_entry& out = m.out_hyd[i];
        if (out.flag != 1)
            continue;
        // The hierarchical format has no hydrograph-style series.
        if (!c.zenf_file.empty()) {
            error_set(err_zenf_source_open, c.zenf_file.c_str(), out.name.c_str());
            return;
        }
        std::string title;
        qbn_constituent_title(title, i, 0);
        if (!open_species_file(m.conc_files[i], out.name + ".conc", title, "nutrient concentration") ||
            !open_species_file(m.mass_files[i], out.name + ".mass", title, "nutrient mass"))
            return;
    }
}
