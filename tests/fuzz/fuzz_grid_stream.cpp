// The grid-stream file on arbitrary bytes, read after a fixed network of a
// ditch, a weir, a lake and a second ditch, then prepared by the set-up; the
// first byte switches the groundwater, stream-loss and constituent arrays.
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
    s->gw_simulation = data[0] & 1;
    s->stream_loss = (data[0] >> 1) & 1;
    s->chan_con_trans = (data[0] >> 2) & 1;
    s->grid_stream = 1;
    torva_fuzz::write_text("f.chn", torva_fuzz::ditch_weir_network(true));
    s->channel_input_name = torva_fuzz::scratch_folder() + "/f.chn";
    s->stream_cell_name = torva_fuzz::write_input("f.gst", data + 1, size - 1);
    if (file_rec_open(s->chan_input_file, s->channel_input_name, "r") &&
        file_rec_open(s->stream_cell_file, s->stream_cell_name, "r")) {
        s->lake_gw_exchange = read_chan_input(*s);
        if (!error_state.raised)
            grid_stream_setup(*s);
    }
    file_rec_close(s->chan_input_file);
    file_rec_close(s->stream_cell_file);
    return 0;
}
