#include <cmath>
#include <cstdio>

#include "channel/chan_file.h"
#include "channel/channel_state.h"
#include "channel/hydraulic_structures.h"

bool culvert_calibrate(std::vector<chan_struct_rec>& structures, int k, int link)
{
    chan_struct_rec& c = structures[static_cast<std::size_t>(k)];
    const double W = c.size1;
    c.work_coeff = 1.07;
    const culvert_result full = culv_flow(structures, k, 1.5 * W + c.up_elev, 0.0);
    if (full.q == culvert_failed) {
        std::printf("Error in link number: %d ", link);
        chan_stop();
        return false;
    }
    const culvert_result part = culv_flow(structures, k, 1.49 * W + c.up_elev, 0.0);
    if (part.q == culvert_failed) {
        std::printf("Error in link number %d: ", link);
        chan_stop();
        return false;
    }
    const double coeff = full.q / (std::sqrt((1.49 * W - part.depth) * 19.62) * part.area);
    c.work_coeff = coeff > 1.0 || !std::isfinite(coeff) ? 0.99 : coeff;
    return true;
}
