// The process-wide error record and its reporter. A step that fails fills
// the message arguments, stores a code and returns; the run driver reports
// it. Code 4000 means the caller printed its own message.
#pragma once

#include <cstdio>
#include <string>

struct file_rec;

// Codes of the reporter's table (messages in error_messages.cpp).
enum error_code_name : int {
    err_none = 0,
    err_project_not_found = 3,
    err_open_file = 4,
    err_zenf_not_built = 5,
    err_roughness_both = 6,
    err_et_both = 7,
    err_hmet_two_kinds = 8,
    err_et_none = 9,
    err_rain_both = 10,
    err_no_precip = 11,
    err_lt_needs_redist = 20,
    err_lt_no_albedo = 21,
    err_lt_no_veg_height = 22,
    err_lt_no_transmission = 23,
    err_lt_no_stomatal = 24,
    err_lt_no_wilting = 25,
    err_ga_and_mlga = 26,
    err_redist_and_mlga = 27,
    err_ga_and_richards = 28,
    err_ga_and_richards2 = 29,
    err_redist_and_richards = 30,
    err_layered_and_richards = 31,
    err_gw_no_vertical_size = 32,
    err_ga_and_redist = 33,
    err_chan_drain_and_backwater = 34,
    err_chan_preissmann = 35,
    err_chan_explicit_and_mesh = 37,
    err_gw_porosity_both = 38,
    err_gw_porosity_none = 39,
    err_gw_ks_both = 40,
    err_gw_ks_none = 41,
    err_gw_and_sacramento = 42,
    err_qnt_no_comodel = 43,
    err_qnt_event_num = 44,
    err_qnt_gw = 45,
    err_zebo_without_qnt = 46,
    err_zenf_source_open = 47,
    err_theta_loc_open = 48,
    err_conc_loc_open = 49,
    err_depth_loc_open = 50,
    err_hydro_loc_open = 51,
    err_dt_zero = 52,
    err_hyd_freq_default = 55,
    err_no_outlet_slope = 56,
    err_lt_no_latlon = 57,
    err_lt_no_gmt = 58,
    err_output_open = 59,
    err_mapping_table_open = 64,
    err_index_map_open = 65,
    err_table_empty = 66,
    err_wetland_id_mismatch = 67,
    err_wetland_ids_over_300 = 68,
    err_contam_tables = 69,
    err_unexpected_eof = 70,
    err_index_id_over_limit = 71,
    err_map_rows_cols = 72,
    err_map_rows = 73,
    err_map_cols = 74,
    err_aquatic_env_open = 76,
    err_aquatic_env_header = 77,
    err_aquatic_env_index = 78,
    err_nutrients_card_order = 79,
    err_nutrient_file_open = 80,
    err_ov_aquatic_map_open = 81,
    err_ov_boundary_table = 84,
    err_rating_curve_usage = 85,
    err_rating_curve_series = 86,
    err_scheduled_release_usage = 87,
    err_scheduled_release_series = 88,
    err_rule_curve_usage = 89,
    err_rule_curve_series = 90,
    err_sediment_count_mismatch = 91,
    err_no_sediments_table = 92,
    err_erosion_table = 93,
    err_kz_no_segments = 95,
    err_kz_flux_no_segments = 96,
    err_kz_bad_segment = 97,
    err_kz_flux_open = 98,
    err_radar_mapping = 102,
    err_calib_comp_data = 103,
    err_calib_obj_func = 104,
    err_stream_map_open = 115,
    err_stream_map_header = 116,
    err_stream_map_size = 117,
    err_stream_map_read = 118,
    err_nutrient_no_table = 119,
    err_nutrient_no_stream_table = 120,
    err_culvert_crit_depth = 122,
    err_arch_culvert = 123,
    err_contam_count = 125,
    err_gw_table = 126,
    err_head_series_missing = 127,
    err_pipe_invert = 131,
    err_richards_soil_map = 132,
    err_tile_nan = 133,
    err_obs_format = 135,
    err_mlga_soil_map = 136,
    err_stop = 4000,
};

constexpr int error_what_size = 60;   // object description, 59 characters
constexpr int error_file_size = 2060; // file name, 2,059 characters

struct error_rec {
    int code = 0;      // pending code; 0 none
    int raised = 0;    // set once an error was reported; the driver stops
    int terminate = 0; // with raised: end with the termination line
    int value1 = 0;    // first numeric argument
    int value2 = 0;    // second numeric argument
    char what[error_what_size] = {};
    char file[error_file_size] = {};
};

extern error_rec error_state;

// The run summary the reporter copies its messages to; set when the summary
// file opens, cleared before the model state is destroyed.
extern const file_rec* summary_log;

// 1 when the project holds the PAUSE card.
extern int pause_on_exit;

// Prints the message of the record's code and updates the record; returns 0.
int report_error(error_rec& rec);

// Writes text literally to standard output and, when the log is open, to it.
void print_msg_both(const file_rec* log, const char* text);

// With PAUSE: the termination prompt and a wait for one character.
void pause_prompt();

// Message arguments, cut to the capacity of their fields.
void error_set_what(error_rec& rec, const char* what);
void error_set_file(error_rec& rec, const char* file);

// Fills the arguments and stores the code in one call (the usual protocol).
void error_set(int code, const char* what = nullptr, const char* file = nullptr, int value1 = 0,
               int value2 = 0);

// The message text of a code with its arguments inserted; empty for codes
// without a message.
std::string build_error_message(const error_rec& rec);

// True for the codes that are warnings (the run goes on).
bool error_is_warning(int code);

// True once an error has stopped this run: a code other than a warning is
// pending (stored, not yet reported) or an error was reported (raised).
// Every caller that decides whether to go on after a step, reader or set-up
// that may report asks this, never the pending code alone: a reader that
// printed its own message and reported it leaves no code behind.
bool run_stopped();

// Clears code, raised and terminate (start of every run).
void error_state_clear();
