// Records of one secant Levenberg-Marquardt calibration: the settings,
// parameters, observations, prior items and file names read from its
// control file. Every table is used from slot 1 (slot 0 stays unused).
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

// Longest name a 100-character field of the control file holds.
constexpr std::size_t pest_name_max = 99;
// Most template files and most instruction files of one calibration.
constexpr int pest_max_files = 25;
// Most values one matrix of a search may hold: the Jacobian, (observations
// + prior items) x parameters, and the parameters x parameters matrices
// (512 MiB each).
constexpr long long pest_matrix_values_max = 1LL << 26;

struct pest_param {
    std::string name;
    std::string transform;    // "none", "log", "fixed" or "tied"
    std::string change_limit; // read, not used
    double value = 0.0;       // base-10 logarithm for a "log" parameter, as are the bounds
    double start_value = 0.0; // value at the start of the current iteration
    double perturbed1 = 0.0;  // values of the derivative runs
    double perturbed2 = 0.0;
    double lower = 0.0;
    double upper = 0.0;
    std::string group;
    double scale = 0.0; // read, not used
    double offset = 0.0;
    int dercom = 0;
    std::string own_name;    // tied section: the tied parameter's name as written
    std::string parent_name; // and its parent's
    int parent = 0;          // index of the parent, 0 when none was found
    double tie_ratio = 1.0;  // tied value over parent value, natural units
    int at_upper = 0;
    int at_lower = 0;
    int frozen = 0;
    int insensitive = 0;
    double composite_sensitivity = 0.0;
    int prefix = 0;   // name begins "iw_": zero Jacobian column, no runs
    int line = 0;     // line of the control file, for messages
    int tie_line = 0; // line of its tied-section entry
};

struct pest_param_group {
    std::string name;
    std::string increment_type; // read, not used
    double increment = 0.0;
    double increment_lower = 0.0;
    std::string forcen; // "always_2", "always_3" or "switch"
    double increment_multiplier = 0.0;
    std::string dermthd; // "outside_pts", "parabolic" or "best_fit"
    int line = 0;
};

struct pest_obs {
    std::string name;
    double measured = 0.0;
    // Simulated values: 0 the accepted run, 1 the trial run, 2 the second
    // run of a three-point derivative.
    std::array<double, 3> simulated{};
    double weight = 0.0;
    std::string group;
    int line = 0;
};

struct pest_obs_group {
    std::string name;
    double contribution = 0.0; // to phi, from the last objective call
    int line = 0;
};

struct pest_prior {
    std::string label;
    int terms = 0;
    std::vector<double> coefficient;      // 1..terms
    std::vector<std::string> param_names; // 1..min(terms, 10)
    double provided = 0.0;
    double weight = 0.0;
    std::string group;
    int line = 0;
};

// Prior terms beyond this count keep their coefficients only.
constexpr int pest_prior_named_terms = 10;

struct pest_template {
    std::string template_file;
    std::string model_file;
    int line = 0;
};

struct pest_instruction {
    std::string instruction_file;
    std::string model_file;
    int line = 0;
};

struct pest_control {
    std::string restart_word; // "restart": a restart file after every iteration
    std::string mode;         // "estimation", "regularization"/"regularisation"

    int num_adjustable = 0;
    int num_fixed = 0;
    int num_tied = 0;
    int num_frozen = 0;
    int num_insensitive = 0;

    int npar = 0, nobs = 0, npargp = 0, nprior = 0, nobsgp = 0, ntplfle = 0, ninsfle = 0;
    std::string precis, dpoint;
    int numcom = 0, jacfile = 0, messfile = 0;

    double lambda = 0.0; // RLAMBDA1 when read, then the current lambda
    double rlamfac = 0.0, phiratsuf = 0.0, phiredlam = 0.0;
    int numlam = 0;
    double relparmax = 0.0, facparmax = 0.0, facorig = 0.0;
    int unused_int = 0;
    double phiredswh = 0.0;
    std::string unused_word;
    int noptmax = 0;
    double phiredstp = 0.0;
    int nphistp = 0, nphinored = 0;
    double relparstp = 0.0;
    int nrelpar = 0, icov = 0, icor = 0, ieig = 0;

    int method = 0;      // 0 LM, 1 SLM
    int full_update = 0; // 1: whole Jacobian when the phi ratio exceeds the threshold
    double full_update_threshold = 0.0;
    int cyclic_columns = 0; // SLM columns recomputed per iteration
    double critical_distance = 0.0;
    int mlsl_samples = 0; // filled by the MLSL driver
    double mlsl_gamma = 0.0, mlsl_sigma = 0.0, mlsl_end_distance = 0.0;
    std::string project_file;

    double phi_ratio = 0.0; // phi at this iteration's start over the previous one's

    bool has_svd = false; // singular-value section present (read, not used)
    int svd_mode = 0, svd_maxsing = 0, svd_eigthresh_int = 0;
    double svd_eigthresh = 0.0;

    std::vector<pest_param_group> param_groups; // 1..npargp
    std::vector<pest_param> params;             // 1..npar
    std::vector<pest_obs_group> obs_groups;     // 1..nobsgp
    std::vector<pest_obs> obs;                  // 1..nobs

    std::string pre_run_batch;
    std::string post_run_batch; // run through the shell after every model run

    std::vector<pest_template> templates;       // 1..ntplfle
    std::vector<pest_instruction> instructions; // 1..ninsfle
    std::vector<pest_prior> priors;             // 1..nprior

    bool has_regularisation = false;
    double phimlim = 0.0, phimaccept = 0.0, fracphim = 0.0, weight_factor = 0.0;
    double wfinit = 0.0, wfmin = 0.0, wfmax = 0.0, wffac = 0.0, wftol = 0.0;

    int num_prefixed = 0; // adjustable parameters named "iw_..."

    std::string control_file; // as opened, for messages
};

// Streams of the template and instruction files, slot k for file k.
struct pest_handles {
    std::array<std::FILE*, pest_max_files + 1> file{};
};

// Reads the control file named by command-line word 2 (".pst" appended to a
// name without '.') into `pc` and writes the replacement list "torva.in" in
// the working folder. 0, or 1 after a message.
int ReadControlFile(pest_control& pc, int argc, char** argv);

// Template and instruction files. The open routines refuse more than 25
// files and files that cannot be opened; the scan refuses a template whose
// header is not "ptf"/"jtf". Each returns 0 or 1 after a message.
int OpenTemplateFiles(const pest_control& pc, pest_handles& handles);
int ScanTemplateFiles(const pest_control& pc, pest_handles& handles);
int CloseTemplateFiles(const pest_control& pc, pest_handles& handles);
int OpenInstructionFiles(const pest_control& pc, pest_handles& handles);
int CloseInstructionFiles(const pest_control& pc, pest_handles& handles);

// Checks every instruction file before the first model run: its header and
// marker, the syntax of every item, and that the observations it reads are
// observations of the control file, each read by exactly one instruction.
// 0, or 1 after a message naming the file and line.
int CheckInstructionFiles(pest_control& pc, pest_handles& handles);
// The first observation whose name is `name` as written, in lower case or
// in upper case; 0 when none is.
int ObservationNamed(const pest_control& pc, const std::string& name);

// Walks instruction file `file` (1..ninsfle) over its model output file and
// stores each observation's value in simulated[slot]. 0, or 1 after a
// message (bad header, missing output file, search text not found, reading
// past the end, a value that is not a number, a semi-fixed observation).
int ReadModelOutput(pest_control& pc, int file, int slot, pest_handles& handles);
