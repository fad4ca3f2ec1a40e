// The channel input file on arbitrary bytes, with its structures, pumps,
// point sources, lakes and break-point sections; the first byte switches
// the section mesh, stream loss and groundwater simulation.
#include <cstddef>
#include <cstdint>

#include "channel/channel_input.h"
#include "fuzz_channel_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    torva_fuzz::start_case();
    model_state* s = &torva_fuzz::channel_state();
    s->chan_mesh = data[0] & 1;
    s->stream_loss = (data[0] >> 1) & 1;
    s->gw_simulation = (data[0] >> 2) & 1;
    s->channel_input_name = torva_fuzz::write_input("f.chn", data + 1, size - 1);
    if (file_rec_open(s->chan_input_file, s->channel_input_name, "r")) {
        read_chan_input(*s);
        file_rec_close(s->chan_input_file);
    }
    return 0;
}
