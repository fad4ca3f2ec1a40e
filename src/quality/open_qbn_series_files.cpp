// The nutrient module's hydrograph-style output files: the channel
// nitrogen, Kjeldahl nitrogen and phosphorus totals, and a concentration and
// a mass file for every water constituent whose OUT_HYD card was given.
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "quality/qbn_services.h"
#include "quality/quality_steps.h"

namespace
{

bool open_total(int given, const std::string& name, file_rec& file, const char* object)
{
    if (!given || file_rec_open(file, name, "w"))
        return true;
    error_set(err_open_file, object, name.c_str());
    return false;
}

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
    if (!open_total(c.total_chan_n_given, c.total_chan_n, s.total_chan_n_file,
                    "output total channel nitrogen") ||
        !open_total(c.total_chan_kn_given, c.total_chan_kn, s.total_chan_kn_file,
                    "output total channel Kjeldahl nitrogen") ||
        !open_total(c.total_chan_p_given, c.total_chan_p, s.total_chan_p_file,
                    "output total channel phosphorus"))
        return;
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
