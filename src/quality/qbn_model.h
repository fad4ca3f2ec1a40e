// The nutrient-module object, created by the project reader for the
// NUTRIENTS card and owned by the model state: the aquatic-environment ids,
// the overland, stream, lake and soil parts with their nine water
// constituents and thirteen soil pools, the initial-condition entries and
// the output sets.
#pragma once

#include <memory>
#include <string>

#include "core/arrays.h"
#include "core/containers.h"
#include "core/file_rec.h"
#include "core/node_arrays.h"
#include "output/linknode_series.h"
#include "output/map_series.h"

struct model_state;
struct qbn_model;

constexpr int qbn_constituent_count = 9; // NO2 NO3 NH4 ON OP DP ALG CBOD DO
constexpr int qbn_overland_init_count = 12;
constexpr int qbn_soil_pool_count = 13;
constexpr int qbn_table_columns = 7;
constexpr int qbn_pool_work_columns = 25;
constexpr int qbn_series_conc = 1;
constexpr int qbn_series_mass = 2;

// The 52 environment values of one aquatic-environment id.
constexpr int aquatic_env_values = 52;
struct aquatic_env_rec {
    double values[aquatic_env_values] = {};
};

// The aquatic-environment file and the ids it assigns to cells and nodes.
struct qbn_params {
    std::string aq_env_file; // AQ_ENV
    std::string ov_map;      // overland id grid
    std::string st_map;      // stream id map
    int num_ids = 0;
    checked_array<aquatic_env_rec> ids; // slots 1..num_ids
    int num_cells = 0;
    ivec ov_index;           // id per active cell 1..num_cells
    row_array<int> st_index; // [node][link] id, 1 until the stream map is read
};

// Km of NO2, NO3, NH4, ON, OP, DP, then Koc of the same six.
constexpr int qbn_sorption_count = 12;
struct qbn_sorption_params {
    double values[qbn_sorption_count] = {};
};

// One water constituent over the n slots of its part.
struct qbn_constituent {
    checked_array<double> conc; // mg/L
    checked_array<double> mass; // g
    checked_array<double> dmdt;
    checked_array<double> fracdiss;
    checked_array<double> fracbnd;
    row_array<double> table; // n rows of 7 columns
    checked_array<double> Km;
    checked_array<double> fsum;
    checked_array<double> maxconc;
};

struct qbn_soil;

struct qbn_overland {
    checked_array<double> water_temp; // deg C per cell
    const dvec* depth = nullptr;      // ov_depth, m (borrowed)
    checked_array<double> work;
    checked_array<double> doc, foc, dispersion;
    qbn_constituent species[qbn_constituent_count];
    checked_array<qbn_constituent*> list; // slots 0..8
    checked_array<double> cell_block;     // n + 1 values
    qbn_sorption_params sorption;         // the part's own copy
    checked_array<int> cell_flags;
    double single = 0.0;
    checked_array<int> cell_flags_b;
    row_array<double> spare_rows;
    double spare[2] = {};
    int num_cells = 0;
    double cell_area = 0.0; // m2
    int first_qbn_constituent = 0;
    row_array<double>* qbn_cell_mass = nullptr; // [constituent][cell] (borrowed)
    double cell_area_b = 0.0;
    qbn_model* owner = nullptr;
    double dx = 0.0; // m
    double ph = 0.0, h_ion = 0.0, ka = 0.0;
    checked_array<double> total_n, total_p, nh3;
    // Set after the soil groups are read.
    qbn_soil* soil = nullptr;
    row_array<double>* soil_exch_cell_mass = nullptr;
    row_array<double>* ov_soil_exch_mass = nullptr;
};

// Arrays over (links + 1) x (max nodes + 1) slots: node j of link i at
// i x (max nodes + 1) + j.
struct qbn_stream {
    checked_array<double> water_temp;
    const dnode_mat* area = nullptr; // m2 (borrowed)
    const dvec* link_dx = nullptr;   // m
    const dnode_mat* yp = nullptr;
    const dnode_mat* bel = nullptr;
    checked_array<double> doc, foc, dispersion;
    qbn_constituent species[qbn_constituent_count];
    checked_array<qbn_constituent*> list;
    row_array<double> node_table; // rows 1..max nodes of links + 1 values
    qbn_sorption_params sorption;
    row_array<int> node_flags; // node dimension rows by links columns, 1
    int node_dim = 0, num_links = 0, max_nodes = 0;
    const ivec* ltype = nullptr;
    const ivec* nx = nullptr;
    row_array<double>* chan_qbn_source = nullptr;
    int first_qbn_constituent = 0;
    double ph = 0.0, h_ion = 0.0, ka = 0.0;
    qbn_model* owner = nullptr;
    row_array<double> total_p, total_n, kjeldahl_n, nh3;
};

struct qbn_lake {
    checked_array<double> water_temp;
    const dvec* volume = nullptr; // lake_volume, m3 (borrowed)
    checked_array<double> lake_a, lake_b;
    qbn_constituent species[qbn_constituent_count];
    checked_array<qbn_constituent*> list;
    checked_array<double*> lake_ptrs;
    qbn_sorption_params sorption;
    checked_array<int> lake_flags;
    int num_lakes = 0;
    int first_qbn_constituent = 0;
    row_array<double>* lake_qbn_source = nullptr;
    double ph = 0.0, h_ion = 0.0, ka = 0.0;
    qbn_model* owner = nullptr;
    int num_links = 0;
    const ivec* ltype = nullptr;
    const ivec* lake2link = nullptr;
    checked_array<double> total_p, total_n, kjeldahl_n, nh3;
};

// A soil pool: its amount per cell and layer (table 1; rows = cells,
// columns 1..layers), two further tables and a layers x 25 matrix per cell.
struct qbn_soil_pool {
    row_array<double> amount;
    row_array<double> second;
    row_array<double> third;
    matrix_stack work;
};

// Km (slots 0-5) and Koc (slots 6-11) of one cell's soil.
struct qbn_soil_cell_rec {
    double values[qbn_sorption_count] = {};
};

struct qbn_soil {
    const dmat* theta = nullptr; // THETA [cell][layer] (borrowed)
    row_array<double> tables[5];
    row_array<double> carbon_table;
    qbn_soil_pool carbon[2]; // organic active, organic stable
    row_array<int> carbon_flags;
    qbn_soil_pool nitrogen[5]; // NH4, NO3, organic fresh, organic active, organic stable
    row_array<int> nitrogen_flags;
    // organic fresh, organic active, organic stable, mineral active,
    // mineral stable, mineral solution
    qbn_soil_pool phosphorus[6];
    row_array<int> phosphorus_flags;
    row_array<double> phosphorus_table;
    checked_array<double> cell_values;
    checked_array<double> spare;
    // Entry k (1..13): the amount table of soil pool k - 1 in title order.
    checked_array<row_array<double>*> pools;
    checked_array<qbn_soil_cell_rec> cell_recs; // cells 1..N
    int num_cells = 0, num_layers = 0;
    qbn_model* owner = nullptr;
    model_state* state = nullptr;
};

// An initial value of a nutrient quantity: mode 0 not given, 1 continuous
// map file, 2 mapping table, 3 uniform value.
struct qbn_init_entry {
    int kind = 0;
    double value = 0.0;
    std::string map;
};

struct qbn_output_entry {
    int flag = 0;
    std::string name;
};

struct qbn_map_set {
    row_array<map_series> rows; // row k: concentration and mass of constituent k
    map_series total_n, total_p;
};

struct qbn_linknode_set {
    row_array<linknode_series> rows; // row k: mass and concentration of constituent k
    linknode_series total_n, kjeldahl_n, total_p;
};

struct qbn_model {
    double clock[5] = {}; // 0, next time, last time (days), interval (s), interval (days)
    int num_cells = 0;
    qbn_params params;
    qbn_overland overland;
    qbn_stream stream;
    qbn_lake lake;
    qbn_soil soil;
    // Per species the module's outlet values: slot qbn_series_conc the
    // concentration (mg/L), slot qbn_series_mass the mass (g).
    double series_values[qbn_constituent_count][9] = {};
    qbn_init_entry ov_init[qbn_overland_init_count];
    qbn_output_entry out_ov[qbn_constituent_count];
    qbn_map_set maps;
    qbn_init_entry st_init[qbn_constituent_count];
    qbn_output_entry out_st[qbn_constituent_count];
    qbn_linknode_set linknodes;
    qbn_output_entry out_hyd[qbn_constituent_count];
    file_rec mass_files[qbn_constituent_count];
    file_rec conc_files[qbn_constituent_count];
    // Run totals (g) of the mass the module's reactions add to and take from
    // the water; they stay 0 while no reactions are modelled.
    double dmdt_in_total = 0.0, dmdt_out_total = 0.0;
};

// Builds the object in caller-provided storage and returns it.
qbn_model* qbn_model_construct(void* storage);

// Closes the module's files and destroys its parts in reverse order of
// building, reporting arrays addressed out of range (the owner frees it).
void qbn_model_destroy(qbn_model* model);

// Destroys and frees a nutrient object held by a unique_ptr.
struct qbn_model_deleter {
    void operator()(qbn_model* m) const;
};

// A fresh nutrient object (NUTRIENTS card).
std::unique_ptr<qbn_model, qbn_model_deleter> qbn_model_create();

// n slots of 0 in each array of the constituent and n rows of 7 in its table.
void qbn_constituent_alloc(qbn_constituent& c, int n);
// Names the eight arrays "<prefix>-conc" .. "<prefix>-maxconc".
void qbn_constituent_name_arrays(qbn_constituent& c, const char* prefix);

// Ammonia equilibrium constant at a water temperature in deg C.
double qbn_ammonia_ka(double celsius);
