// Steps of the project input called by the run driver.
#pragma once

#include <string>

struct model_state;
struct project_cards;
struct run_params;
struct precip_settings;

// Reads the project file into the card records and derives the working
// fields of the run.
void read_run_parameters(model_state& state, const std::string& project_path);

// Reads the project file's header and cards into the three card records.
void read_project_file(const std::string& path, project_cards& cards, run_params& run,
                       precip_settings& precip, int toolbox_trial);

// Sets the project folder from the folder card of a project file, or from
// the folder part of its path.
void find_project_folder(const std::string& path);

// Opens every input and output file the project names.
void open_run_files(model_state& state);

// Writes the start-up header to the run summary file.
void print_startup_info(model_state& state, const std::string& project_path);
