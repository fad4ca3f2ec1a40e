// The precipitation file on arbitrary bytes: every event, as the set-up's
// counting pass reads them.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/model_state.h"
#include "fuzz_support.h"
#include "hydromet/rain_services.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    torva_fuzz::start_case();
    const std::string path = torva_fuzz::write_input("f.gag", data, size);
    auto s = std::make_unique<model_state>();
    model_state_construct(*s);
    file_rec f;
    if (file_rec_open(f, path, "r")) {
        for (int events = 0; events < 1000; ++events)
            if (read_rain_event(f, *s) != 1)
                break;
        file_rec_close(f);
    }
    model_state_destroy(*s);
    return 0;
}
