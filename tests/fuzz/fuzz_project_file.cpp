// The project file reader on arbitrary bytes: header and cards.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/model_state.h"
#include "fuzz_support.h"
#include "input/input_steps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    torva_fuzz::start_case();
    const std::string path = torva_fuzz::write_input("f.prj", data, size);
    auto s = std::make_unique<model_state>();
    model_state_construct(*s);
    read_project_file(path, s->cards, s->run, s->precip, 0);
    model_state_destroy(*s);
    return 0;
}
