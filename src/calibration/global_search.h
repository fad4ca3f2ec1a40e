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

// Prints what the seeds are for, starts them (OpenSeedFile) and checks that
// a seed file read back holds the `needed` first samples; 1 after a message.
int StartSampleSeeds(sample_seeds& s, char choice, std::uint32_t seed, int needed);
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

// 1 after a message naming the strategy's file when its tables (samples
// with their values and phis, searches with their trajectory points) would
// hold more values than a strategy may hold.
int CheckStrategyTables(const char* path, const char* strategy, const pest_control& pc, double samples,
                        double searches);

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

// The next sample: its seed, uniform values of the adjustable parameters
// between their bounds, tied values following their parents. 1 after a
// message when no seed can be had.
int DrawSample(pest_control& pc, sample_seeds& seeds);
// The phi of the last run: the sum of the observation-group contributions.
double group_sum(const pest_control& pc);
// The heading of a record's sample rows: the adjustable names, "Total" and,
// when asked, the observation-group names.
void WriteSampleHeading(std::FILE* rec, const pest_control& pc, bool groups);
// A sample's row in a strategy's record: the adjustable values in natural
// units ("%lf", or "%.10E" when precise), then "failed", or phi and, when
// asked, the group contributions (phis 0..NOBSGP).
void WriteSampleRow(std::FILE* rec, const pest_control& pc, const std::vector<double>& values,
                    const std::vector<double>& phis, bool failed, bool groups, bool precise);
// A search's result in a strategy's record: start and final values of the
// adjustable parameters, the start phi and group contributions (start_phis
// 0..NOBSGP) against the current ones; "%lf", or "%.10E" and "%lE" when
// precise.
void WriteSearchResult(std::FILE* rec, const pest_control& pc, const std::vector<double>& start,
                       const std::vector<double>& start_phis, bool precise);

// The multistart search on classified parameters with the case files open
// (rec, sen, mtt, par): the samples from `seeds`, each evaluated with one
// run and written to "parameters.prn" and the record, then a complete local
// search from each. A failed evaluation is reported and its record row
// marked failed; a failed search is reported and the result is then 1.
int MultistartSearch(int argc, char** argv, pest_control& pc, const toolbox_names& names,
                     std::FILE* const out[4], const multistart_settings& s, sample_seeds& seeds,
                     std::FILE* ms_rec, std::FILE* params_prn, const pest_model_call& model);

// The trajectory-repulsion search on classified parameters with the case
// files open: the samples, ranked by phi, then repelled searches from the
// best-ranked ones and the summary in tr_rec. A failed sample run is ranked
// last and never searched from; a failed search is reported, not counted
// as an improvement, and makes the result 1. points_out, when given, is the
// trajectory table (rows 1..npar, (NOPTMAX + 1) x maximum inversions columns).
int TrajrepSearch(int argc, char** argv, pest_control& pc, const toolbox_names& names,
                  std::FILE* const out[4], const trajrep_settings& s, sample_seeds& seeds, std::FILE* tr_rec,
                  const pest_model_call& model, double** points_out = nullptr);

// The MLSL search on classified parameters with the case files open: per
// iteration N samples (one run each), the ranking of all samples so far,
// the reduced sample, the critical distance, and local searches from the
// reduced-sample points that no better point, end point or earlier start
// point rules out; the record, stop reason and summary go to mlsl_rec. A
// failed sample run is ranked last and never searched from; a failed search
// is reported, counts as a search but not as a minimum or an improvement,
// and makes the result 1.
int MlslSearch(int argc, char** argv, pest_control& pc, const toolbox_names& names, std::FILE* const out[4],
               const mlsl_settings& s, sample_seeds& seeds, std::FILE* mlsl_rec,
               const pest_model_call& model);
