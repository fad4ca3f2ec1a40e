// A radar grid file on arbitrary bytes: its header, then its values.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "hydromet/rain_services.h"
#include "hydromet/rainfall_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    torva_fuzz::start_case();
    const std::string path = torva_fuzz::write_input("f.asc", data + 1, size - 1);
    radar_grid r;
    if (read_radar_header(r, path) == 0)
        read_radar_grid(path, r, data[0] & 1);
    return 0;
}
