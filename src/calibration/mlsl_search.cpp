// The Multi Level Single Linkage search behind "-mlsl": every iteration
// draws N samples between the bounds (one model run each), ranks all the
// samples drawn so far by phi, keeps the best fraction, and starts a local
// search from each kept point that has no better kept point, no better
// local-search end point and no earlier start point nearby. Distances are
// Euclidean over all parameters on stored values.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "calibration/global_search.h"
#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

namespace
{

// The best phi values start at this marker until a search sets them.
constexpr double marker = -999.999;

double distance(const std::vector<double>& a, const std::vector<double>& b, int npar)
{
    double sum = 0.0;
    for (int i = 1; i <= npar; ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum);
}

struct mlsl_run {
    int argc;
    char** argv;
    pest_control& pc;
    const toolbox_names& names;
    std::FILE* const* out;
    const mlsl_settings& s;
    sample_seeds& seeds;
    std::FILE* rec;
    const pest_model_call& model;

    // Samples in the order of drawing (1-based): stored values, phi and the
    // group contributions, failed runs, and phi for the ranking (a failed
    // run ranks after every real phi).
    std::vector<std::vector<double>> values, phis;
    std::vector<char> failed;
    std::vector<double> rank_phi;
    std::vector<int> rank;
    // Local searches: the end points of distinct minima with their phi,
    // every start point, and the path of every search with its phi.
    std::vector<std::vector<double>> ends, starts;
    std::vector<double> end_phi;
    double** points = nullptr;
    std::vector<double> point_phi;
    int count = 0;

    int drawn = 0, scored = 0, k = 0, c = 0, w = 0, calls_total = 0;
    int best_search = 0, searches_no_gain = 0, iterations_no_gain = 0;
    double best = marker, best_iterations = marker, iteration_best = 1e300, lambda = 0.0;
    int rc = 0;

    mlsl_run(int argc_, char** argv_, pest_control& pc_, const toolbox_names& names_, std::FILE* const* out_,
             const mlsl_settings& s_, sample_seeds& seeds_, std::FILE* rec_, const pest_model_call& model_)
        : argc(argc_), argv(argv_), pc(pc_), names(names_), out(out_), s(s_), seeds(seeds_), rec(rec_),
          model(model_)
    {
    }
    ~mlsl_run()
    {
        if (points)
            free_matrix(points, 1, 1);
    }
    mlsl_run(const mlsl_run&) = delete;
    mlsl_run& operator=(const mlsl_run&) = delete;

    void allocate();
    void write_heading();
    int sample_phase();
    int reduced_sample();
    bool refused(int v, int size, double alpha);
    void local_search(int v);
    void result_block(int x, int first_column, bool distinct, int calls);
    int end_of_iteration(int phase_reason);
    void summary(int reason);
    int run();
};

void mlsl_run::allocate()
{
    const int total = s.samples * s.max_iterations;
    const int per_search = (pc.noptmax > 0 ? pc.noptmax : 0) + 1;
    try {
        values.assign(total + 1, std::vector<double>(pc.npar + 1, 0.0));
        phis.assign(total + 1, std::vector<double>(pc.nobsgp + 1, 0.0));
        failed.assign(total + 1, 0);
        rank_phi.assign(total + 1, 0.0);
        rank.assign(total + 1, 0);
        ends.reserve(s.max_searches);
        end_phi.reserve(s.max_searches);
        starts.reserve(s.max_searches);
        point_phi.assign(per_search * s.max_searches + 1, 0.0);
    } catch (const std::bad_alloc&) {
        nr_fatal_error("allocation failure in dvector()");
    }
    points = matrix(1, pc.npar, 1, per_search * s.max_searches);
}

void mlsl_run::write_heading()
{
    std::fprintf(rec, "                        YQ_MLSL CONTROL INFORMATION\n\n");
    std::fprintf(rec, "Input unsigned long random seed                             : %u\n", s.seed);
    std::fprintf(rec, "Uniform random sample size at step k                        : %d\n", s.samples);
    std::fprintf(rec, "Value for reduction of the sample                           : %lf\n", s.gamma);
    std::fprintf(rec, "Value for sigma                                             : %lf\n", s.sigma);
    std::fprintf(rec, "Maximum MLSL iterations to carry out                        : %d\n", s.max_iterations);
    std::fprintf(rec, "Maximum number of local search inversions to carry out      : %d\n", s.max_searches);
    std::fprintf(rec, "Maximum number of YQ runs with no objective function improvement    : %d\n",
                 s.max_searches_no_gain);
    std::fprintf(rec, "Maximum number of MLSL iterations with no objective function improvement    : %d\n",
                 s.max_iterations_no_gain);
    std::fprintf(rec, "Improvement fraction judged to be negligible                : %lf\n", s.negligible);
    std::fprintf(rec, "Name of existing control file : %s\n\n", names.base.c_str());
}

// N samples, one run each with NOPTMAX 0, and their record rows.
int mlsl_run::sample_phase()
{
    const int noptmax = pc.noptmax;
    pc.noptmax = 0;
    std::fprintf(rec, "\nSampling Phase: Iteration %d\n\n", k);
    WriteSampleHeading(rec, pc, true);
    for (int j = 1; j <= s.samples; ++j) {
        if (DrawSample(pc, seeds) != 0) {
            pc.noptmax = noptmax;
            return 1;
        }
        const int x = ++drawn;
        for (int i = 1; i <= pc.npar; ++i)
            values[x][i] = pc.params[i].value;
        if (LMInversion(argc, argv, pc, names, out[0], out[1], out[2], out[3], model) != 0) {
            std::printf("The evaluation of MLSL sample %d failed.\n", x);
            failed[x] = 1;
            rank_phi[x] = DBL_MAX;
        } else {
            ++scored;
            phis[x][0] = rank_phi[x] = group_sum(pc);
            for (int g = 1; g <= pc.nobsgp; ++g)
                phis[x][g] = pc.obs_groups[g].contribution;
        }
        WriteSampleRow(rec, pc, values[x], phis[x], failed[x], true, false);
    }
    std::fprintf(rec, "\n");
    calls_total += s.samples;
    pc.noptmax = noptmax;
    return 0;
}

// Ranks every sample so far and writes the reduced sample; its size.
int mlsl_run::reduced_sample()
{
    indexx(drawn, rank_phi.data(), rank.data());
    const int size = static_cast<int>(std::floor(drawn * s.gamma));
    if (size > 0) {
        std::fprintf(rec, "Reduced Sample Set: Iteration %d\n\n", k);
        WriteSampleHeading(rec, pc, false);
        for (int v = 1; v <= size; ++v) {
            const int x = rank[v];
            WriteSampleRow(rec, pc, values[x], phis[x], failed[x], false, false);
        }
    }
    return size;
}

// The tests that rule out a search from position v of the reduced sample,
// each refusing line in the record; a test that refuses skips the later ones.
bool mlsl_run::refused(int v, int size, double alpha)
{
    const int x = rank[v];
    const std::vector<double>& at = values[x];
    const double f = rank_phi[x];
    if (failed[x]) {
        std::fprintf(rec, "No LS for vector %d of the reduced sample. Its model run failed\n", v);
        return true;
    }
    bool no = false;
    for (int u = 1; u <= size; ++u) {
        const int y = rank[u];
        if (y != x && distance(at, values[y], pc.npar) <= alpha && f > rank_phi[y]) {
            std::fprintf(
                rec,
                "No LS for vector %d of the reduced sample. It is within an alpha distance of the vector "
                "%d with a lower obj. function value\n",
                v, u);
            no = true;
        }
    }
    if (no)
        return true;
    if (!ends.empty()) {
        for (std::size_t e = 0; e < ends.size(); ++e)
            if (distance(at, ends[e], pc.npar) <= alpha && f > end_phi[e]) {
                std::fprintf(rec,
                             "No LS for vector %d of the reduced sample. It is within an alpha distance of a "
                             "previous LS end point\n",
                             v);
                no = true;
            }
        for (const std::vector<double>& e : ends)
            if (distance(at, e, pc.npar) < s.end_distance) {
                std::fprintf(rec,
                             "No LS for vector %d of the reduced sample. It is within a distance %lf of a "
                             "previous LS end point\n",
                             v, s.end_distance);
                no = true;
            }
        if (no)
            return true;
    }
    for (const std::vector<double>& start : starts)
        if (distance(at, start, pc.npar) < 1e-8) {
            std::fprintf(rec,
                         "No LS for vector %d of the reduced sample. It is too close to a previous LS start "
                         "point\n",
                         v);
            no = true;
        }
    return no;
}

void mlsl_run::result_block(int x, int first_column, bool distinct, int calls)
{
    if (distinct)
        std::fprintf(rec, "\n Results of MLSL supervised local search %d which occured in step %d --->\n\n",
                     w, k);
    else
        std::fprintf(rec, "\n Results of MLSL supervised local search which occured in step %d --->\n\n", k);
    WriteSearchResult(rec, pc, values[x], phis[x], false);
    std::fprintf(rec, " Number of model runs for latest Local Search   = %d\n", calls);
    std::fprintf(rec, " Total number of model calls so far       = %d\n", calls_total);
    std::fprintf(rec, "\n\n");
    std::fprintf(rec, "\n\n");
    if (!distinct)
        return;
    std::fprintf(rec, "Upgrade vectors for Local Search %d which occured during step %d of MLSL\n\n", w, k);
    for (int col = first_column; col <= count; ++col) {
        for (int i = 1; i <= pc.npar; ++i)
            if (is_adjustable(pc.params[i]))
                std::fprintf(rec, "%lf\t", natural_value(pc.params[i], points[i][col]));
        std::fprintf(rec, "%lf\t", point_phi[col]);
        for (int g = 1; g <= pc.nobsgp; ++g)
            std::fprintf(rec, "%lf\t", marker);
        std::fprintf(rec, "\n");
    }
    std::fprintf(rec, "\n\n");
}

void mlsl_run::local_search(int v)
{
    const int x = rank[v];
    std::fprintf(rec, "\nA LS will be performed from vector %d of the reduced sample in iteration %d\n", v,
                 k);
    ++c;
    pc.lambda = lambda;
    const int first_column = ++count;
    for (int i = 1; i <= pc.npar; ++i)
        points[i][first_column] = pc.params[i].value = values[x][i];
    starts.push_back(values[x]);
    int calls = 0;
    const int searched = LMInversionMLSL(argc, argv, pc, names, out[0], out[1], out[2], out[3], model, points,
                                         point_phi.data(), count, calls);
    calls_total += calls;
    if (searched != 0) {
        // Counted as a search, never as a minimum or an improvement.
        std::printf("MLSL local search %d failed.\n", c);
        std::fprintf(rec, "\n MLSL local search %d from vector %d in step %d failed.\n\n", c, v, k);
        rc = 1;
        return;
    }
    const double phi = group_sum(pc);
    std::vector<double> final_values(pc.npar + 1, 0.0);
    for (int i = 1; i <= pc.npar; ++i)
        final_values[i] = pc.params[i].value;
    bool distinct = true;
    for (const std::vector<double>& e : ends)
        if (distance(final_values, e, pc.npar) < 1e-6)
            distinct = false;
    if (distinct) {
        ++w;
        ends.push_back(final_values);
        end_phi.push_back(phi);
    } else {
        std::fprintf(rec, "\n THIS LOCAL SEARCH DID NOT RESULT IN A NEW LOCAL MINIMUM\n");
    }
    result_block(x, first_column, distinct, calls);

    iteration_best = std::min(iteration_best, phi);
    if (best_search > 0) {
        if (phi < (1.0 - s.negligible) * best)
            searches_no_gain = 0;
        else
            ++searches_no_gain;
    }
    if (best_search == 0 || phi < best) {
        best = phi;
        best_search = c;
    }
}

// The stopping rules at the end of iteration k: the reason, or 0 to go on.
int mlsl_run::end_of_iteration(int phase_reason)
{
    if (best_iterations == marker) {
        // Until some iteration has a search the best over iterations is
        // unset; the first iteration that has one sets it and counts as an
        // improvement over none.
        if (iteration_best < 1e300) {
            best_iterations = iteration_best;
            iterations_no_gain = 0;
        } else if (k >= 2) {
            ++iterations_no_gain;
        }
    } else {
        if (iteration_best < (1.0 - s.negligible) * best_iterations)
            iterations_no_gain = 0;
        else
            ++iterations_no_gain;
        best_iterations = std::min(best_iterations, iteration_best);
    }
    if (iterations_no_gain == s.max_iterations_no_gain)
        return 5;
    int reason = phase_reason;
    if (MlslBayesianStop(w, drawn * s.gamma))
        reason = 3;
    if (k >= s.max_iterations)
        reason = 4;
    return reason;
}

void mlsl_run::summary(int reason)
{
    std::fprintf(rec, "\n\n\n\n                   RESULTS OF GLOBAL SEARCH PROCESS\n\n");
    std::fprintf(rec, "Actual number of local searches performed is: %d\n", c);
    std::fprintf(rec, "The number of local searches that yielded distinct local minima: %d\n", w);
    std::fprintf(rec, "The number of MLSL iterations is: %d\n", k);
    if (best_search > 0) {
        std::fprintf(rec, "The global search process yielded a total objective function value of %lf\n",
                     best);
        std::fprintf(rec, "This value was obtained from reported inversion run number %d\n\n", best_search);
    } else {
        std::fprintf(rec, "No local search ended without failure.\n\n");
    }
    std::fprintf(rec, "Total model calls    = %d\n", calls_total);
    switch (reason) {
    case 1:
        std::fprintf(rec,
                     "Stopped because there have been %d actual local searches with no objective function "
                     "improvement.\n\n",
                     searches_no_gain);
        break;
    case 2:
        std::fprintf(rec,
                     "Stopped because there have been %d local searches, the maximum set with input.\n\n", c);
        break;
    case 3:
        std::fprintf(rec, "Stopped because Bayesian stopping criteria were satisfied.\n\n");
        break;
    case 4:
        std::fprintf(rec,
                     "Stopped because the maximum MLSL iterations, %d, to carry out were carried out\n\n",
                     s.max_iterations);
        break;
    default:
        std::fprintf(rec,
                     "Stopped because there have been %d MLSL iterations with no objective function "
                     "improvement.\n\n",
                     iterations_no_gain);
        break;
    }
}

int mlsl_run::run()
{
    if (static_cast<long long>(s.samples) * s.max_iterations > INT_MAX ||
        static_cast<long long>((pc.noptmax > 0 ? pc.noptmax : 0) + 1) * s.max_searches > INT_MAX) {
        std::printf("The MLSL tables of %d samples over %d iterations and %d local searches are too large.\n",
                    s.samples, s.max_iterations, s.max_searches);
        return 1;
    }
    pc.mlsl_samples = s.samples;
    pc.mlsl_gamma = s.gamma;
    pc.mlsl_sigma = s.sigma;
    pc.mlsl_end_distance = s.end_distance;
    allocate();
    write_heading();
    lambda = pc.lambda;
    for (k = 1;; ++k) {
        if (sample_phase() != 0)
            return 1;
        const int size = reduced_sample();
        double alpha = 0.0;
        MLSLCriticalDistance(pc, drawn, alpha);
        std::fprintf(rec, "\n\nFor iteration %d, alpha equals %lf\n\n", k, alpha);
        iteration_best = 1e300;
        int phase_reason = 0;
        for (int v = 1; v <= size && phase_reason == 0; ++v) {
            if (refused(v, size, alpha))
                continue;
            local_search(v);
            if (searches_no_gain == s.max_searches_no_gain)
                phase_reason = 1;
            else if (c >= s.max_searches)
                phase_reason = 2;
        }
        const int reason = end_of_iteration(phase_reason);
        if (reason != 0) {
            summary(reason);
            if (scored == 0) {
                std::printf("Every MLSL sample run failed; no search could start.\n");
                return 1;
            }
            return rc;
        }
    }
}

} // namespace

int MlslSearch(int argc, char** argv, pest_control& pc, const toolbox_names& names, std::FILE* const out[4],
               const mlsl_settings& s, sample_seeds& seeds, std::FILE* mlsl_rec, const pest_model_call& model)
{
    mlsl_run r{argc, argv, pc, names, out, s, seeds, mlsl_rec, model};
    return r.run();
}
