// Soil tables, the Richards columns, the lumped models and the wells bound from the well index map.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/arrays.h"
#include "core/file_rec.h"
#include "subsurface/lumped_models.h"
#include "subsurface/soil_state.h"

struct model_state;

// Advances every Richards column over dt_seconds; returns the evaporated
// depth (m summed over cells). A flux or water content that is not a number
// stops the run (message naming the cell and node, error code set).
double richards_solve(model_state& state, double dt_seconds);
// Re-fits cell's column to a water table moved to `table` (m): returns the
// water (cm) the column gave to the saturated zone, negative when it took
// some. Cells of groundwater boundary types 2 and 5 are left alone.
double refit_richards_column(model_state& state, int cell, double table);
// First sub-step (h) of a column whose last sub-step was dtr, in a step of
// `step` hours: 5 s when the surface node is saturated and the sub-step
// would be longer than 0.001 h.
double richards_first_substep(double dtr, double step, double h1);
// Tridiagonal system of equations first..m: super-diagonal a, diagonal b,
// sub-diagonal c, right-hand side d; no pivoting. b and d are overwritten
// and d holds the solution.
void tridiag_solve(int first, int m, double* a, double* b, double* c, double* d);
void wells_from_index_map(const imat& well_ids, const imat& cell_numbers, int rows, int cols);
int read_richards_soil_table(model_state& state, file_rec& table, int retention_option, int from_mapping_table);
// The MULTI_LAYER_SOIL section of the mapping table, the file positioned
// after its table line; the number of ids, or -1 when the run stops.
int read_multi_layer_soil_table(file_rec& table, const std::string& name, soil_type_table& types);
// The standalone layered soil table; false when the run stops (message
// printed naming the file, soil id, layer and field).
bool read_soil_layer_table(file_rec& table, const std::string& name, soil_type_table& types);

// The values of one layer line from field first_field on (0 conductivity,
// 1 pore-size index, 2 capillary head, 3 porosity, 4 field capacity, 5
// wilting point, 6 residual and 7 initial water content, 8 thickness, not on
// layer 3); false when the run stops, naming the id, layer and field. With
// rest given, it receives the words after the last value.
bool read_soil_layer_values(std::string_view values, bool have, int first_field, int layer, int id,
                            const char* file, soil_layer_rec& rec, std::string_view* rest = nullptr);
// The keywords of a reader's cards (an array of records with a keyword)
// not yet seen (seen[k] == 0), as " a, b and c", with "s" before them when
// more than one: the end of "it ends without the card...".
template <class Card, std::size_t N>
std::string missing_cards(const Card (&cards)[N], const int* seen)
{
    std::vector<const char*> names;
    for (std::size_t k = 0; k < N; ++k)
        if (seen[k] == 0)
            names.push_back(cards[k].keyword);
    std::string text = names.size() > 1 ? "s" : "";
    for (std::size_t k = 0; k < names.size(); ++k)
        text += std::string(k == 0 ? " " : k + 1 == names.size() ? " and " : ", ") + names[k];
    return text;
}

// Prints the message and stops the run; false.
bool soil_table_stop(const char* text);
// Notes that soil id was given on line (id_line has soil_type_count
// entries, 0 for an id not seen yet); an id given before is refused naming
// both lines (run stopped, false).
bool soil_id_first_time(std::vector<int>& id_line, int id, int line, const char* file);
void init_richards_columns(model_state& state);
void read_sacramento_input(model_state& state, file_rec& file, sac_model& model);
void read_conceptual_gw(model_state& state, file_rec& file, cgw_model& model, dvec& upslope_area);
