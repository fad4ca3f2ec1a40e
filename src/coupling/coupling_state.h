// Coupling members of the model state: the KZ segment coupling, the
// co-run exchange names and the XY groundwater exchange totals.
#pragma once

#include <memory>
#include <string>

#include "core/arrays.h"
#include "coupling/kz_data.h"

struct exchange_names {
    int zebo_exchange = 0;
    std::string zebo_path;
    dvec exchange_buf;
};

struct coupling_state {
    std::unique_ptr<kz_data> kz_coupling;
    int kz_input_flag = 0;
    double xy_gw_gain_total = 0.0;
    double xy_gw_loss_total = 0.0;
    double xy_gw_gain_event = 0.0;
    double xy_gw_loss_event = 0.0;
};
