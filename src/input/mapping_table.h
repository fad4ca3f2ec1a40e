// The mapping-table file: table keywords and codes, the search for a table,
// its rows, and the readers that turn tables into per-cell values, wells,
// wetland types, rating curves and the time-series index.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/arrays.h"
#include "core/check_count.h"
#include "core/file_rec.h"

struct model_state;
struct wetland_rec;
struct ov_bc_cell;

// Codes of the table keywords and of the keywords that structure a table.
enum table_code : int {
    tc_roughness = 1,
    tc_interception = 2,
    tc_retention = 3,
    tc_green_ampt_infiltration = 4,
    tc_green_ampt_initial_soil_moisture = 5,
    tc_richards_havercamp = 6,
    tc_richards_brooks = 7,
    tc_evapotranspiration = 8,
    tc_sediments = 9,
    tc_soil_erosion_props = 10,
    tc_contaminant_transport = 11,
    tc_wetland_properties = 12,
    tc_material_index = 13,
    tc_overland_boundary = 14,
    tc_time_series_index = 15,
    tc_well_table = 16,
    tc_groundwater = 17,
    tc_groundwater_boundary = 18,
    tc_area_reduction = 19,
    tc_qbn_n = 20,
    tc_qbn_p = 21,
    tc_qbn_c = 22,
    tc_qbn_oth = 23,
    tc_dispersion = 24,
    tc_qbn_soil_c = 25,
    tc_qbn_soil_n = 26,
    tc_qbn_soil_p = 27,
    tc_qbn_gw_n = 28,
    tc_qbn_gw_p = 29,
    tc_qbn_gw_oth = 30,
    tc_qbn_soil_km = 31,
    tc_qbn_soil_koc = 32,
    tc_rough_exp = 33,
    tc_ovr_flow_block = 34,
    tc_num_ids = 137,
    tc_index_map = 138,
    tc_num_contam = 139,
    tc_num_sed = 140,
    tc_multi_layer_soil = 201,
    tc_ratingcurves = 202,
    tc_precip_conc = 50000,
    tc_partition = 60000,
};

// Code of the keyword that begins the line (each keyword compared over its
// own length, in a fixed order); 0 when none. ROUGHNESS is not among them.
int table_code_from_name(const std::string& line);

// Code of a table line: 1 for a line beginning with ROUGHNESS, else the
// keyword's code.
int table_line_code(const std::string& line);

// Keyword of a code ("ROUGHNESS" for 1); empty for an unknown code.
std::string table_name_from_code(int code);

// Value columns the generic reader takes for a code (0 for tables with a
// layout of their own).
int table_values_per_row(int code);

// ---- search and rows on an open mapping-table file ---------------------------

// From the start of the file: 1 when the table is found (its index-map file
// name in index_map, empty for TIME_SERIES_INDEX and CONTAMINANT_TRANSPORT),
// the file then positioned after the table line; else 0.
int find_mapping_table(file_rec& file, int code, std::string& index_map);

// The same search, telling why a table was not found: the file has no
// header, the table is not in it, or its table line names an index map
// that no INDEX_MAP line declared (map_name then holds that name).
enum class table_search { found, absent, no_header, map_undeclared };
table_search search_mapping_table(file_rec& file, int code, std::string& index_map, std::string& map_name);

// Refuses a mapping table file without its header or a table whose index
// map is not declared, naming the file, the table and the map (code 4000,
// reported); nothing for the other results.
void report_table_search(table_search result, int code, const std::string& table_file,
                         const std::string& map_name);
int find_sediments_table(file_rec& file);
int find_ratingcurves_table(file_rec& file);

// The next line's count when it is a NUM_IDS line, else 0.
int read_num_ids(file_rec& file);

// The count of a "KEYWORD n" line of table `code` already read (line_no),
// one whole number; false after a refusal naming the table, the file, the
// line and the value (code 4000, reported).
bool parse_table_count(const std::string& line, const std::string& table_file, int code, int line_no,
                       long long& n);

// The count of the "KEYWORD n" line that the table's layout puts next (the
// keyword of keyword_code, e.g. NUM_IDS), read strictly and checked with
// check_count against the field's range and, when the field gives a size
// per item, the characters left in the file. 0 when the next line is not
// that keyword line (the caller decides, as the layout says); -1 after a
// refused count, reported naming the table, file, line and cause.
long long read_table_count(file_rec& file, const std::string& table_file, int code, int keyword_code,
                           const count_field& field);

// Skips keyword lines and drops the column-header line after them.
void skip_table_headers(file_rec& file);

// One data row: the ID from columns 1-6, k values from column 87, each one
// whole finite number; words after them are a remark unless the first is a
// number. 1 when the ID and all k values were read; 0 otherwise (also at
// the end of the file, and for a number after the k values).
int read_table_row(file_rec& file, int& id, int k, double* values);

// The allowed range of value column `column` (from 1) of a table: nullptr
// when the value lies in it, else the wanted range as text ("above 0").
const char* table_value_refusal(int code, int column, double value);

// Largest ID a table row may carry (tables are looked up by ID).
constexpr int max_table_id = 10000000;

// The NUM_IDS count of a table read with read_table_count. The rows are
// kept as they are read, so the count sizes nothing.
inline constexpr count_field table_num_ids{"NUM_IDS", 0, max_table_id, 0};

// Reads n rows of k values into ids and values (row-major); a row that does
// not scan, a value that is not a finite number or lies outside its column's
// range, a number after the k values, an ID outside 1..max_table_id, or an
// ID given twice is refused with a message naming the table, the ID and the
// column or line (code 4000, reported). Returns the largest ID, or -1 after
// a refusal.
int read_table_rows(file_rec& file, const std::string& table_file, int code, int n, int k,
                    std::vector<int>& ids, std::vector<double>& values);

// The words of a row after its k values (rest, split as pop_token does):
// a remark, unless the first is a number, which is refused like a number
// after the k values of read_table_rows (message naming the table, file,
// line and ID, code 4000, reported). True when the row is accepted.
bool refuse_extra_value(std::string_view rest, int code, const std::string& table_file, int line_no, int id,
                        int k);

// The rainfall concentrations of a nutrient table: when the next line is a
// PRECIP_CONC line its p values go to target[1..p] and the column-header
// line is read; otherwise the line read was the column header. Missing
// values read 0; a value that is not a finite number, or a number after
// the p values, is refused naming the table, the file and the line (code
// 4000, reported), the target then untouched. false after a refusal.
bool read_precip_conc_line(file_rec& file, const std::string& table_file, int code, int p, dvec& target);

// One row of a table that names a series: an ID in columns 1-6, then the
// series name. false after a refused row (no line, or an ID that does not
// scan or lies outside 1..max_table_id), reported and the run stopped.
bool read_id_name_row(file_rec& file, const std::string& table_file, const char* table, int row, int& id,
                      std::string& name);

// ---- the generic reader --------------------------------------------------------

// Column i of the values (rows in file order) by ID: by_id[1..largest_id],
// cleared first; a later row of the same ID wins.
void scatter_table_column(const std::vector<double>& values, int n, int k, int column,
                          const std::vector<int>& ids, int largest_id, std::vector<double>& by_id);

// Every active cell's value by its ID, stored at the cell's number (the
// cell-number grid at the map position); cells with ID 0 are left alone.
void ids_to_cells(dvec& dest, const std::vector<double>& by_id, const imat& id_grid, const imat& cell_numbers,
                  int rows, int cols);

using table_destinations = std::array<dvec*, 7>;

// One table of the mapping-table file through its index map into up to
// seven per-cell destinations (column i into destination i; a null
// destination is skipped). 1 when read, 0 when not (errors 64, 65, 66,
// reported here).
int read_mapping_table(int quiet, const std::string& table_file, int code, const table_destinations& dest,
                       double& north, double& south, double& east, double& west, int& rows, int& cols,
                       const imat& mask, int expected_rows, int expected_cols, const file_rec* log, int p = 0,
                       dvec* precip_target = nullptr);

// The usual call over the model: its grid, mask, size, summary log and
// toolbox-trial switch.
int read_state_mapping_table(model_state& state, int code, const table_destinations& dest);

// The grid a table's index map is read against, and where its header goes.
struct table_grid {
    double& north;
    double& south;
    double& east;
    double& west;
    int& rows;
    int& cols;
    const imat& mask;
    int expected_rows;
    int expected_cols;
    const file_rec* log;
    int quiet;
};

// A table's rows (k values each, by row) and its index map.
struct table_load {
    int n = 0;
    int k = 0;
    int largest = 0;
    std::vector<int> ids;
    std::vector<double> values;
    std::string index_map; // name of the index-map file
    imat id_grid;
};

// True when every active cell's ID (1 and above) has a row among ids, so no
// cell takes a value its table does not give. Otherwise names the first
// such cell, the index map and the table (`table` as "table ROUGHNESS of
// the mapping table file F"), stops the run (code 4000, reported) and
// returns false.
bool cell_ids_have_rows(const imat& id_grid, const imat& cell_numbers, const std::vector<int>& ids,
                        const std::string& map_name, const std::string& table);

// Opens the mapping-table file, finds the table, reads its NUM_IDS rows and
// then its index map. 0 after a reported failure before the index map was
// read, or when an active cell's ID has no row; 1 once the index map was
// read (the caller asks run_stopped for a failed read). With p > 0 the
// table's precipitation-concentration line is read into precip_target
// instead of skipping the column headers.
int load_table_with_index_map(const std::string& table_file, int code, int k, const table_grid& grid,
                              table_load& out, bool zero_ids_allowed, int p = 0, dvec* precip_target = nullptr);

// The same grid description for the state's own grid and mapping table.
table_grid state_table_grid(model_state& state);

// ---- the mapping-table checks (run after the project file is read) -------------

// One table's presence flag, with its Y/N line unless quiet.
void check_mapping_table(int& flag, int code, const std::string& table_file, const char* label, int quiet);

// ---- tables with a layout of their own -------------------------------------------

// Reads TIME_SERIES_INDEX into ts_index_list and marks the index read for
// this run (ts_index_read, cleared with the run's time series). 1 when the
// file was read.
int read_ts_index_table(const std::string& table_file);

// Reads WELL_TABLE and binds its wells to the cells of its index map.
int read_well_table(model_state& state, const std::string& table_file);

// Records 0..n of the wetland types, zeroed (record 0 is never filled);
// false, with the records empty, when memory runs out.
bool struct_alloc(std::size_t n, std::vector<wetland_rec>& records);

// Reads WETLAND_PROPERTIES: the wetland types and each cell's wetland number.
int read_wetland_table(model_state& state, const std::string& table_file, int& wetland_count,
                       std::vector<wetland_rec>& props, ivec& wetland_mask);

// Binds the elevation series of the RATINGCURVES table to the boundary cells
// of types 6 and 7 (records 1..N, made here).
int read_ov_rating_curves(const std::string& table_file, std::vector<ov_bc_cell>& curves,
                          const ivec& boundary_type, const dvec& bc_values_b, int num_cells);

// The soil tables of the mapping-table file through their soil-type index
// maps: option 1 the Brooks-Corey table, 2 the Havercamp table.
int read_richards_table(model_state& state, const std::string& table_file, int option);
int read_multilayer_table(model_state& state, const std::string& table_file);
