// Pieces shared by the toolbox's global strategies (MLSL "-mlsl",
// multistart "-ms", trajectory repulsion "-tr"): the sample seeds and their
// file, the control files of the three strategies, the start checks, and
// the MLSL critical distance and stopping rule.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "calibration/pest_control.h"
#include "calibration/slm_routines.h"

// Sample seeds: a 32-bit linear congruential state; every sample advances it
// and takes trunc(state * -0.5), a negative seed that restarts the uniform
// generator. With choice 'Y' the seeds are written to the seed file, with
// 'N' the state still advances but the seeds are read back from it.
struct sample_seeds {
    std::uint32_t state = 0;
    char choice = 'Y';
    std::FILE* fp = nullptr;   // "RandomNumberSeeds.prn", written with 'Y'
    std::vector<int> recorded; // the seeds read from it with 'N'
    int used = 0;              // seeds handed out so far
    ~sample_seeds();
};

// The seed generator's step alone.
int next_lcg_seed(std::uint32_t& state);
// Starts the seeds from `seed`: with 'Y' creates the seed file, with 'N'
// reads every seed of it. 1 after a message when the choice is neither, the
// file cannot be opened or written, or one of its lines is not an integer.
int OpenSeedFile(sample_seeds& s, char choice, std::uint32_t seed);
// 1 after a message when the seed file read with 'N' holds fewer than
// `needed` seeds beyond those already used.
int CheckSeedsAvailable(const sample_seeds& s, int needed);
// The next sample's seed; 1 after a message when the file runs short or a
// write fails.
int NextSampleSeed(sample_seeds& s, int& seed);

// Settings of "mlsl.in".
struct mlsl_settings {
    int samples = 0;
    double gamma = 0.0, sigma = 0.0, end_distance = 0.0;
    char choice = 'Y';
    std::uint32_t seed = 0;
    int max_iterations = 0, max_searches = 0, max_searches_no_gain = 0, max_iterations_no_gain = 0;
    double negligible = 0.0;
};
// Settings of "ms.in".
struct multistart_settings {
    std::uint32_t seed = 0;
    int runs = 0;
};
// Settings of "tr.in".
struct trajrep_settings {
    char choice = 'Y';
    std::uint32_t seed = 0;
    int runs = 0, max_inversions = 0, runs_no_gain = 0;
    double negligible = 0.0;
};

// Each reads its file (blank-separated tokens, line ends do not matter);
// 1 after a message naming the file and item when the file is missing, an
// item is missing, not a number of its kind or out of its range, or text
// follows the last item.
int ReadMlslControl(const char* path, mlsl_settings& s);
int ReadMultistartControl(const char* path, multistart_settings& s);
int ReadTrajrepControl(const char* path, trajrep_settings& s);

// Start checks of a global strategy after the parameters are classified:
// 1 after a message when the restart word "/r" is given (a strategy cannot
// resume) or an adjustable parameter has equal bounds (its normalised
// distances are undefined).
int CheckGlobalStart(int argc, char** argv, const pest_control& pc, const char* strategy);

// ln Gamma(x) for x > 0 (Lanczos series, six terms).
double LogGamma(double x);
// The MLSL critical distance after x samples, from sigma and the adjustable
// parameters' ranges on stored values.
int MLSLCriticalDistance(const pest_control& pc, int x, double& alpha);
// The Bayesian stopping rule with w distinct minima among a reduced sample
// of nr points (not rounded).
bool MlslBayesianStop(int w, double nr);

// The multistart search on classified parameters with the case files open
// (rec, sen, mtt, par): the samples from `seeds`, each evaluated with one
// run and written to "parameters.prn" and the record, then a complete local
// search from each. A failed evaluation is reported and its record row
// marked failed; a failed search is reported and the result is then 1.
int MultistartSearch(int argc, char** argv, pest_control& pc, const toolbox_names& names, std::FILE* const out[4],
                     const multistart_settings& s, sample_seeds& seeds, std::FILE* ms_rec, std::FILE* params_prn,
                     const pest_model_call& model);

// The trajectory-repulsion search on classified parameters with the case
// files open: the samples, ranked by phi, then repelled searches from the
// best-ranked ones and the summary in tr_rec. A failed sample run is ranked
// last and never searched from; a failed search is reported, not counted
// as an improvement, and makes the result 1. points_out, when given, is the
// trajectory table (rows 1..npar, (NOPTMAX + 1) x maximum inversions columns).
int TrajrepSearch(int argc, char** argv, pest_control& pc, const toolbox_names& names, std::FILE* const out[4],
                  const trajrep_settings& s, sample_seeds& seeds, std::FILE* tr_rec, const pest_model_call& model,
                  double** points_out = nullptr);
