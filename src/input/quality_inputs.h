// Readers of the input hub for water quality: sediment size classes and
// soil erosion properties, contaminant transport parameters, and the growth
// of the per-constituent containers. Each hub reader takes the model state,
// reports failures through the error record and returns nothing.
#pragma once

#include <string>
#include <vector>

#include "core/arrays.h"
#include "core/containers.h"

struct model_state;

void read_sediment_params(model_state& state);
void open_sediment_outputs(model_state& state);
void read_contaminant_params(model_state& state);
// The soil constituent layer count of the infiltration scheme (with the
// default top and mixing depths) and the layer water-content matrices.
void setup_soil_constituent_layers(model_state& state);

// Adds n constituents to every per-constituent container: contaminants, or
// with the nutrient flag the nutrient module's 9 species (13 with soil
// constituent transport).
void grow_constituent_arrays(model_state& state, int n, int cells, int nutrient);

// Water viscosity (m2/s) at a water temperature in degrees Celsius.
double water_viscosity_at(double celsius);
// Settling velocity (m/s) of a grain of the specific gravity and diameter
// (m) in water of the viscosity (m2/s): Stokes' law up to 0.1 mm, the
// Julien formula above.
double fall_velocity_of(double spec_grav, double diameter_m, double viscosity);

// The SEDIMENTS table: class count, specific gravity, diameter (mm), output
// name and binding fraction per class 1..n. False after a refused class row
// (reported, run stopped); a missing table leaves n at 0.
bool read_sediments_table(const std::string& table_file, int& n, dvec& spec_grav, dvec& part_diam,
                          std::vector<std::string>& output_names, dvec& f_bind);

// The SOIL_EROSION_PROPS table through its index map into the five
// per-cell erosion properties and the class fractions (sed_fract[cell][class][1]).
// 1 when read; 0 otherwise (errors 64, 65, 66 reported; 91 set and raised).
int read_erosion_table(model_state& state, int sed_classes);

// The CONTAMINANT_TRANSPORT table: the constituents, their rain
// concentrations and partition coefficients, and eight per-cell rows each.
// 1 when every constituent's index map was found.
int read_contam_table(model_state& state);

// Moves the line's first double-quoted field, quotes included, into field
// and keeps in the line only the text from its third double quote on.
void pop_quoted_field(std::string& line, std::string& field);
// Removes every double quote.
void strip_quotes_all(std::string& text);
