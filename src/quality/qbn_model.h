// The nutrient-module object, created by the project reader for the
// NUTRIENTS card and owned by the model state.
#pragma once

#include <memory>
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

// An initial value of a nutrient constituent: kind 1 map file, 2 no value
// given, 3 uniform value.
struct qbn_init_entry {
    int kind = 0;
    double value = 0.0;
    std::string map;
};

struct qbn_output_entry {
    int flag = 0;
    std::string name;
};

constexpr int qbn_constituent_count = 9; // NO2 NO3 NH4 ON OP DP ALG CBOD DO
constexpr int qbn_overland_init_count = 12;

struct qbn_model {
    int num_cells = 0;
    double ov_next = 0.0, ov_last = 0.0, ov_dt = 0.0, ov_dt_days = 0.0;
    std::string aq_env_file;
    qbn_init_entry ov_init[qbn_overland_init_count];
    qbn_init_entry st_init[qbn_constituent_count];
    qbn_output_entry out_ov[qbn_constituent_count];
    qbn_output_entry out_st[qbn_constituent_count];
    qbn_output_entry out_hyd[qbn_constituent_count];
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

// Destroys and frees a nutrient object held by a unique_ptr.
struct qbn_model_deleter {
    void operator()(qbn_model* m) const;
};

// A fresh nutrient object (NUTRIENTS card).
std::unique_ptr<qbn_model, qbn_model_deleter> qbn_model_create();
