// Coupling members of the model state: the KZ segment coupling, the
// co-run exchange names and the XY groundwater exchange totals.
#pragma once

#include <memory>
#include <string>

#include "core/arrays.h"
#include "core/file_rec.h"
#include "coupling/kz_data.h"

struct exchange_names {
    int zebo_exchange = 0;
    std::string zebo_path;
    dvec exchange_buf;
    int zebo_first = 0;
    int moist_to_zebo = 0;
    std::string moist_to_zebo_name;
    int ksat_to_zebo = 0;
    std::string ksat_to_zebo_name;
    int rough_to_zebo = 0;
    std::string rough_to_zebo_name;
    int poros_to_zebo = 0;
    std::string poros_to_zebo_name;
    int erosivity_to_zebo = 0;
    std::string erosivity_to_zebo_name;
    int crop_fact_to_zebo = 0;
    std::string crop_fact_to_zebo_name;
    int net_erosion_to_zebo = 0;
    std::string net_erosion_to_zebo_name;
    int moist_from_zebo = 0;
    std::string moist_from_zebo_name;
    int ksat_from_zebo = 0;
    std::string ksat_from_zebo_name;
    int rough_from_zebo = 0;
    std::string rough_from_zebo_name;
    int erosivity_from_zebo = 0;
    std::string erosivity_from_zebo_name;
    int crop_fact_from_zebo = 0;
    std::string crop_fact_from_zebo_name;
    int et_demand_from_zebo = 0;
    std::string et_demand_from_zebo_name;
};

struct coupling_state {
    std::unique_ptr<kz_data> kz_coupling;
    int kz_input_flag = 0;
    double xy_gw_gain_total = 0.0;
    double xy_gw_loss_total = 0.0;
    double xy_gw_gain_event = 0.0;
    double xy_gw_loss_event = 0.0;
};

// Inflow file of the KZ model; opened by the card copy, closed by the
// output side at the end of the run.
extern file_rec kz_inflow_file;
