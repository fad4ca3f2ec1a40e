// The fixed map kinds of the model state: their dataset object ids and
// names, the card that switches each on and names its output, and the file
// record of its dataset file.
#pragma once

#include <string>

#include "core/file_rec.h"

struct model_state;

enum map_kind {
    map_kind_depth = 0,
    map_kind_discharge = 1,
    map_kind_rain = 2,
    map_kind_inf_depth = 3,
    map_kind_inf_rate = 4,
    map_kind_surf_moist = 5,
    map_kind_gw_head = 6,
    map_kind_sed_flux = 7,
    map_kind_net_sed = 8,
    map_kind_susp_sed = 9,
    map_kind_contam_conc = 10,
    map_kind_flood = 11,
    map_kind_recharge_cum = 12,
    map_kind_recharge_inc = 13,
    map_kind_swe = 14,
    map_kind_count = 15
};

// Object id written into the kind's dataset header (1010 + kind).
int map_kind_object_id(int kind);

// NAME of the kind's dataset ("depth", "discharge", ...).
const char* map_kind_dataset_name(int kind);

struct map_kind_binding {
    bool on = false;                     // switched on by its card(s)
    const std::string* prefix = nullptr; // the card's output name
    file_rec* dataset = nullptr;         // the kind's dataset file
};

map_kind_binding bind_map_kind(model_state& s, int kind);
