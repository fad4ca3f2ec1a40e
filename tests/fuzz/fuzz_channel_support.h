// Shared by the channel and pipe-network fuzz targets: a model state over a
// 3 x 4 watershed (every cell active, ground falling from 105 m to 99 m),
// the time and elevation series that structure, pump and point-source
// cards may name, and a fixed channel network for the readers that need one.
#pragma once

#include <new>
#include <string>

#include "core/model_state.h"
#include "fuzz_support.h"
#include "input/elev_series.h"
#include "input/time_series.h"

namespace torva_fuzz
{

// A fresh state for every input, so that nothing one input leaves behind
// shapes the next. It is built in the same place each time: the state is
// large, and mapping it anew for every input would cost more than reading.
inline model_state& channel_state()
{
    struct slot {
        alignas(model_state) unsigned char bytes[sizeof(model_state)];
        model_state* live = nullptr;
    };
    static slot place;
    // The series lists are program-wide and read once; no target frees them.
    static const bool series = [] {
        write_text("es.txt", "TORVA_ES\nweir_rating\n0 0\n10 5\nEND_ES\n");
        write_text("ts.txt", "TORVA_TS\nrelease\nABSOLUTE\n2000 1 1 0 0 1.0\n2000 1 2 0 0 2.0\nEND_TS\n");
        read_elev_series_file(scratch_folder() + "/es.txt");
        read_ts_file(scratch_folder() + "/ts.txt");
        return true;
    }();
    (void)series;
    if (place.live)
        place.live->~model_state();
    model_state* s = place.live = new (place.bytes) model_state();
    s->rows = 3;
    s->cols = 4;
    s->num_cells = 12;
    s->gridsize = 10.0;
    s->mask.assign(4, 5, 0);
    s->ground_elev.assign(12, 0.0);
    s->gwbound.assign(12, 0);
    int cell = 0;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c) {
            s->mask[r][c] = ++cell;
            s->ground_elev[cell] = 105.0 - 0.5 * cell;
        }
    return *s;
}

// A ditch of four nodes, a weir, with `lake` a rating-curve lake, then a
// second ditch of three nodes to the outlet.
inline std::string ditch_weir_network(bool lake)
{
    std::string text = "TORVA_CHAN\nALPHA 1\nBETA 1\nTHETA 0.5\n";
    text += lake ? "LINKS 4\nMAXNODES 4\nCONNECT 1 2 0\nCONNECT 2 3 1 1\nCONNECT 3 4 1 2\nCONNECT 4 0 1 3\n"
                 : "LINKS 3\nMAXNODES 4\nCONNECT 1 2 0\nCONNECT 2 3 1 1\nCONNECT 3 0 1 2\n";
    text += R"(LINK 1
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
)";
    if (lake)
        text += R"(LINK 3
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
)";
    text += lake ? "LINK 4\n" : "LINK 3\n";
    text += R"(TRAPEZOID
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
    return text;
}

} // namespace torva_fuzz
