// The grid-stream file on arbitrary bytes, read after a fixed network of a
// ditch, a weir, a lake and a second ditch, then prepared by the set-up; the
// first byte switches the groundwater, stream-loss and constituent arrays.
#include <cstddef>
#include <cstdint>

#include "channel/channel_input.h"
#include "fuzz_channel_support.h"

namespace
{

const char* const network = R"(TORVA_CHAN
ALPHA 1
BETA 1
THETA 0.5
LINKS 4
MAXNODES 4
CONNECT 1 2 0
CONNECT 2 3 1 1
CONNECT 3 4 1 2
CONNECT 4 0 1 3
LINK 1
TRAPEZOID
MANNINGS_N 0.035
DX 10
NODES 4
NODE 1
ELEV 100
XSEC
BOTTOM_WIDTH 1
SIDE_SLOPE 1
BANKFULL_DEPTH 0.5
NODE 2
ELEV 99.9
NODE 3
ELEV 99.8
NODE 4
ELEV 99.7
LINK 2
STRUCTURE
NUMSTRUCTS 1
STRUCTTYPE WEIR
CREST_LENGTH 2
CREST_LOW_ELEV 99.8
DISCHARGE_COEFF_FORWARD 0.6
LINK 3
LAKE
MLAKE 0.5
MINWSE 99
INITWSE 99.5
MAXWSE 101
NUMRATE 3
99 0 100
100 150 200
101 500 500
NUMPTS 2
3 3 3 4
LINK 4
TRAPEZOID
MANNINGS_N 0.035
DX 10
NODES 3
NODE 1
ELEV 99.4
XSEC
BOTTOM_WIDTH 1
SIDE_SLOPE 1
BANKFULL_DEPTH 0.5
NODE 2
ELEV 99.3
NODE 3
ELEV 99.2
)";

} // namespace

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
    torva_fuzz::write_text("f.chn", network);
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
