// The hourly weather readers on arbitrary bytes: the first byte picks the
// format (KTR, SAMSON, NCDC surface airways, the time-stamp file of hourly
// grids, or one hourly grid given for all eight quantities of a fixed
// stamp); the rest is the file. Each input is scanned as at set-up, then
// read record by record to its end, as the hourly step does.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/model_state.h"
#include "fuzz_support.h"
#include "hydromet/hmet_services.h"

namespace
{

const char* const grid_suffixes[] = {"_Clod.asc", "_Prcp.asc", "_Pres.asc", "_RlHm.asc",
                                     "_Temp.asc", "_Drad.asc", "_Grad.asc", "_WndS.asc"};

// A watershed of 2 x 3 cells of 100 m, one of them outside, with a lapse
// rate so that the station formats spread their temperature.
std::unique_ptr<model_state> small_watershed()
{
    auto s = std::make_unique<model_state>();
    model_state_construct(*s);
    s->num_rows = 2;
    s->num_cols = 3;
    s->gridsize = 100.0;
    s->grid_west = 0.0;
    s->grid_north = 200.0;
    s->mask.assign(3, 4, 0);
    int k = 0;
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 3; ++c)
            if (r != 2 || c != 3)
                s->mask[r][c] = ++k;
    s->num_cells = k;
    s->ground_elev.assign(k, 1500.0);
    s->orogvar_hmet = 1;
    s->hmet_elev_gage = 1000.0;
    s->long_term = 1;
    s->super_quiet = 1;
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    torva_fuzz::start_case();
    const int kind = data[0] % 5;
    std::string path;
    if (kind == 4) {
        // One grid under every suffix of the stamp 2008050100.
        for (const char* suffix : grid_suffixes)
            torva_fuzz::write_input(std::string("2008050100") + suffix, data + 1, size - 1);
        torva_fuzz::write_text("stamps.txt", "2008050100\n");
        path = torva_fuzz::scratch_folder() + "/stamps.txt";
    } else {
        path = torva_fuzz::write_input("w.hmet", data + 1, size - 1);
    }
    auto s = small_watershed();
    s->hmet_ktr = kind == 0;
    s->hmet_samson = kind == 1;
    s->hmet_surfaways = kind == 2;
    s->hmet_ascii = kind >= 3;
    if (!file_rec_open(s->hmet_file, path, "r"))
        return 0;
    setup_hmet(*s);
    // At most a few days of records: the inputs are small.
    for (int hour = 0; hour < 2000 && !error_state.raised; ++hour)
        if (read_hmet_record(*s) == -1)
            break;
    file_rec_close(s->hmet_file);
    return 0;
}
