// Shared by the channel and pipe-network fuzz targets: a model state over a
// 3 x 4 watershed (every cell active, ground falling from 105 m to 99 m)
// and the time and elevation series that structure, pump and point-source
// cards may name.
#pragma once

#include <new>

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

} // namespace torva_fuzz
