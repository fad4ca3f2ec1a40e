// The program entry: command line, run modes and web mode.
#pragma once

#include <string>

// Internal mode numbers (7 is not used).
enum run_mode : int {
    mode_none = 0,
    mode_single = 1,
    mode_sce = 2,
    mode_batch = 3,
    mode_version = 4,
    mode_help = 5,
    mode_monte_carlo = 6,
    mode_slm = 8,
    mode_multistart = 9,
    mode_trajrep = 10,
    mode_mlsl = 11,
};

struct command_line {
    int mode = mode_none;
    std::string file;
};

constexpr double program_version = 6.1;
constexpr char program_release = ' ';

extern bool web_mode;

// Fills the mode and the file name; returns the run count, -1 when the
// usage text was printed for a command line without arguments, -2 when the
// switch is unknown (usage printed) or the run count of -b or -m was refused.
int parse_command_line(int argc, char** argv, command_line& cmd);

void print_usage();
void print_version();

// The whole program: returns the exit status.
int torva_main(int argc, char** argv);
