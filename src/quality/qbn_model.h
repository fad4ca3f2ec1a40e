// The nutrient-module object, created by the project reader for the
// NUTRIENTS card and owned by the model state.
#pragma once

#include <string>

#include "core/file_rec.h"

struct qbn_params {
    int num_ids = 0;
};

struct qbn_overland {
    int num_cells = 0;
};

struct qbn_soil {
    int num_cells = 0;
};

struct qbn_model {
    int num_cells = 0;
    double ov_next = 0.0, ov_last = 0.0, ov_dt = 0.0, ov_dt_days = 0.0;
    std::string aq_env_file;
    qbn_params params;
    qbn_overland overland;
    qbn_soil soil;
    file_rec conc_files[9];
    file_rec mass_files[9];
};

// Builds the object in caller-provided storage and returns it.
qbn_model* qbn_model_construct(void* storage);

// Closes the module's files and destroys its parts (the owner frees it).
void qbn_model_destroy(qbn_model* model);
