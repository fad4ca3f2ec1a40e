// Overland routing members of the model state: work arrays and totals of
// the routing schemes, boundaries, pumping and embankment flow.
#pragma once

#include "core/arrays.h"

struct overland_routing_state {
    dvec ov_qx_sum; // face volumes of the step, m3
    dvec ov_qy_sum;
};
