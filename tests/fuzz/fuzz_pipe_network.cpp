// The pipe-network file and the grid-pipe file of leaky pipes on arbitrary
// bytes, through the loader that ties junctions and nodes to their cells.
// First byte: bit 0 cuts superlinks into segments (SUPERLINK_C_OPT); with
// bit 1 the input is the grid-pipe file of a fixed leaky network, else it
// is the pipe-network file with a fixed grid-pipe file beside it.
#include <cstddef>
#include <cstdint>

#include "channel/channel_steps.h"
#include "fuzz_channel_support.h"

namespace
{

const char* const leaky_network = "SJUNC 1 100.25 98.75 1.0 2 1 2 0.6 0.4\n"
                                  "SJUNC 2 100.05 98.50 0.0 888 3 4 0 0\n"
                                  "CONNECT 1 1 2\n"
                                  "SLINK 1 2\n"
                                  "NODE 1 100.25 98.75 0 0 1 2 0 0\n"
                                  "NODE 2 100.20 98.67 0 0 2 3 0 0\n"
                                  "NODE 3 100.05 98.50 0 0 3 4 0 0\n"
                                  "PIPE 1 1 0.3 0 0.008 0.013 10 50 5\n"
                                  "PIPE 2 1 0.3 0 0.008 0.013 12 50 5\n";

const char* const grid_pipe = "GRIDPIPEFILE\nPIPECELLS 2\nCELLIJ 1 2\nNUMPIPES 1\nSPIPE 1 1 1.0\n"
                              "CELLIJ 2 3\nNUMPIPES 2\nSPIPE 1 2 0.5\nSPIPE 1 3 0.5\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    torva_fuzz::start_case();
    model_state* s = &torva_fuzz::channel_state();
    s->storm_sewer = 1;
    s->superlink_c_opt = data[0] & 1;
    const bool fuzz_grid_pipe = (data[0] >> 1) & 1;
    const std::string input = torva_fuzz::write_input("f.in", data + 1, size - 1);
    if (fuzz_grid_pipe) {
        torva_fuzz::write_text("f.pip", leaky_network);
        s->storm_sewer_name = torva_fuzz::scratch_folder() + "/f.pip";
        s->grid_pipe_name = input;
    } else {
        torva_fuzz::write_text("f.gpi", grid_pipe);
        s->storm_sewer_name = input;
        s->grid_pipe_name = torva_fuzz::scratch_folder() + "/f.gpi";
    }
    // Leaky pipes exchange with the aquifer of the groundwater simulation.
    s->water_table = 1;
    s->gw_simulation = 1;
    read_superlink_input(*s);
    return 0;
}
