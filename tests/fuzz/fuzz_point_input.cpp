// The channel point-input file on arbitrary bytes, read after a fixed
// network of a ditch of four nodes, a weir and a second ditch; the first
// byte gives the number of constituents (0 to 3) and switches the channel
// constituent transport. After the set-up, the dated records it accepted
// are read at their dates as the time loop reads them.
#include <cstddef>
#include <cstdint>

#include "channel/chan_point_input.h"
#include "channel/channel_input.h"
#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "fuzz_channel_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    torva_fuzz::start_case();
    model_state* s = &torva_fuzz::channel_state();
    s->num_constituents = data[0] % 4;
    s->chan_con_trans = (data[0] >> 2) & 1;
    torva_fuzz::write_text("f.chn", torva_fuzz::ditch_weir_network(false));
    s->channel_input_name = torva_fuzz::scratch_folder() + "/f.chn";
    if (!file_rec_open(s->chan_input_file, s->channel_input_name, "r"))
        return 0;
    read_chan_input(*s);
    file_rec_close(s->chan_input_file);
    if (error_state.raised)
        return 0;
    s->chan_point_input_name = torva_fuzz::write_input("f.pts", data + 1, size - 1);
    chan_point_input_setup(*s);
    // The records, each at its date, as the channel point-input step reads them.
    for (int step = 0; step < 100000 && !error_state.raised && s->chan_point_next_time > 0.0; ++step) {
        s->current_time = s->chan_point_next_time;
        chan_point_input_step(*s);
    }
    file_rec_close(s->chan_point_file);
    return 0;
}
