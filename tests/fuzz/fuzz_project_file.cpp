// The project file reader on arbitrary bytes: header and cards.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz_support.h"
#include "input/input_steps.h"
#include "input/project_cards.h"
#include "input/elev_series.h"
#include "input/replace_params.h"
#include "input/time_series.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    torva_fuzz::start_case();
    const std::string path = torva_fuzz::write_input("f.prj", data, size);
    auto cards = std::make_unique<project_cards>();
    auto run = std::make_unique<run_params>();
    auto precip = std::make_unique<precip_settings>();
    read_project_file(path, *cards, *run, *precip, 0);
    // Cards that act at once fill the program-wide series lists.
    ts_free_all();
    elev_series_free_all();
    free_replace_params();
    return 0;
}
