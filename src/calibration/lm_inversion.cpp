// One local search of the toolbox: the initial run, then iterations of
// Jacobian, lambda trials and acceptance until a stopping test or the
// iteration limit, a final run with the best values and the statistics of
// the estimate. The global strategies use the two variants, which record
// the path of the search and stop near a path recorded before.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

namespace
{

enum class lm_variant { plain, repelled, mlsl };

// A 1-based matrix released with its owner.
struct owned_matrix {
    double** m = nullptr;
    owned_matrix(int rows, int cols) : m(matrix(1, std::max(rows, 1), 1, std::max(cols, 1)))
    {
        for (int r = 1; r <= std::max(rows, 1); ++r)
            for (int c = 1; c <= std::max(cols, 1); ++c)
                m[r][c] = 0.0;
    }
    ~owned_matrix() { free_matrix(m, 1, 1); }
    owned_matrix(const owned_matrix&) = delete;
    owned_matrix& operator=(const owned_matrix&) = delete;
};

void copy_matrix(double** from, double** to, int rows, int cols)
{
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            to[r][c] = from[r][c];
}

void both(std::FILE* rec, const char* text)
{
    std::fputs(text, stdout);
    std::fputs(text, rec);
}

// Replaces the parameter file's content with the values, natural units,
// cutting off whatever a longer earlier content left behind.
int rewrite_parameter_file(std::FILE* par, const pest_control& pc, const std::vector<double>& values)
{
    std::rewind(par);
    for (int i = 1; i <= pc.npar; ++i)
        std::fprintf(par, "%lf\n", natural_value(pc.params[i], values[i]));
    const long end = std::ftell(par);
    if (std::fflush(par) != 0 || end < 0 || ftruncate(fileno(par), end) != 0) {
        std::printf("Cannot write the parameter file.\n");
        return 1;
    }
    return 0;
}

// The record's note on the final run, between blank lines.
void final_run_lines(std::FILE* rec)
{
    std::fprintf(rec, "\n");
    std::fprintf(rec, "The model has been run one final time using best parameters.\n");
    std::fprintf(rec, "Thus all model input files contain best parameter values, and model\n");
    std::fprintf(rec, "output files contain model results based on these parameters.\n");
    std::fprintf(rec, "\n");
    std::fprintf(rec, "\n");
}

void last_run_banner()
{
    std::printf("\n");
    std::printf("Running model one last time with best parameters...\n");
    std::printf("\n");
    std::printf("\n");
}

struct lm_search {
    int argc;
    char** argv;
    pest_control& pc;
    const toolbox_names& names;
    std::FILE* rec;
    std::FILE* sen;
    std::FILE* par;
    const pest_model_call& model;
    lm_variant variant;
    double** points = nullptr;
    double* point_phi = nullptr;
    int* point_count = nullptr;

    lm_search(int argc_, char** argv_, pest_control& pc_, const toolbox_names& names_, std::FILE* rec_,
              std::FILE* sen_, std::FILE* par_, const pest_model_call& model_, lm_variant variant_)
        : argc(argc_), argv(argv_), pc(pc_), names(names_), rec(rec_), sen(sen_), par(par_), model(model_),
          variant(variant_)
    {
    }

    int n = 0, m = 0, p = 0, rows = 0;
    std::vector<int> adjustable;
    std::vector<double> q;
    double** prior = nullptr;
    bool switch_available = false;
    int first_own_point = 0; // points recorded by earlier searches
    pest_search_state st;

    int objective(int slot, double& phi)
    {
        ObjectiveByGroup(pc, slot, phi);
        if (p >= 1) {
            double prior_phi = 0.0;
            PriorObjective(pc, prior, prior_phi);
            phi += prior_phi;
        }
        return 0;
    }

    // One counted or uncounted model call; the run's phi.
    int call(pest_values which, int slot, bool counted, bool stop_check, double& phi)
    {
        const int rc = model(pc, which, slot);
        if (counted)
            ++st.model_calls;
        if (rc != 0)
            return rc;
        if (stop_check)
            CheckStopFile();
        return objective(slot, phi);
    }

    int run();
    int pass(bool& leave);
    int lambda_search(bool& all_at_limits);
    int final_stop_form();
    int final_limit_form(bool all_at_limits);
    int statistics();
    double relative_change() const;
};

double lm_search::relative_change() const
{
    double largest = 0.0;
    for (int c = 1; c <= n; ++c) {
        const pest_param& par_c = pc.params[adjustable[c]];
        double start = st.start_values[c];
        double value = par_c.value;
        if (variant != lm_variant::mlsl) {
            start = natural_value(par_c, start);
            value = natural_value(par_c, value);
        }
        // A start of 0 has no scale: the change itself counts.
        const double change = start != 0.0 ? std::fabs((start - value) / start) : std::fabs(start - value);
        largest = std::max(largest, change);
    }
    return largest;
}

int lm_search::lambda_search(bool& all_at_limits)
{
    const int numlam = std::max(pc.numlam, 1);
    std::vector<double> u(n + 1, 0.0), trial_phi(numlam + 2, 0.0), trial_lambda(numlam + 2, 0.0);
    std::vector<std::vector<double>> trial_u(numlam + 2), trial_out(numlam + 2);
    std::vector<double> saved(m + 1);
    for (int i = 1; i <= m; ++i)
        saved[i] = pc.obs[i].simulated[0];
    const double lambda0 = pc.lambda;
    double lambda_prev = 0.0, search_best = st.phi;
    int reversal = 0, k = 0, chosen = 0;
    char text[256];
    while (true) {
        if (pc.num_insensitive == 0) {
            const int rc = MarquardtUpgrade(st.jac, prior, q.data(), pc, u.data());
            if (rc != 0)
                return rc;
            OptimumLength(st.jac, prior, q.data(), pc, u.data());
        }
        const int rc = BoundedUpgrade(st.jac, prior, q.data(), pc, u.data(), adjustable.data(), rec);
        if (rc != 0)
            return rc;
        if (pc.num_frozen + pc.num_insensitive == n) {
            all_at_limits = true;
            return 0;
        }
        both(rec, "\n");
        std::snprintf(text, sizeof text, "\tLambda = %E ----->\n", pc.lambda);
        both(rec, text);
        both(rec, "\trunning model ...\n");
        const int rc_call = call(pest_values::current, 1, true, true, st.phi);
        if (rc_call != 0)
            return rc_call;
        if (st.iteration >= 2 && pc.method == 1 &&
            (pc.full_update == 0 || (pc.full_update == 1 && pc.full_update_threshold > pc.phi_ratio)))
            BroydenUpdate(pc, st.jac, prior);
        ++k;
        trial_phi[k] = st.phi;
        trial_lambda[k] = pc.lambda;
        trial_out[k].resize(m + 1);
        for (int i = 1; i <= m; ++i)
            trial_out[k][i] = pc.obs[i].simulated[1];
        if (st.phi < search_best) {
            search_best = st.phi;
            for (int i = 1; i <= m; ++i)
                saved[i] = pc.obs[i].simulated[1];
        }
        trial_u[k] = u;
        std::snprintf(text, sizeof text, "\tPhi =\t%E\t\t(%E of starting phi)\n", st.phi,
                      st.phi / st.phi_prev);
        both(rec, text);
        both(rec, "\n");
        chosen = 0;
        TestLambdaSearch(rec, st.phi_prev, k, trial_phi.data(), pc, chosen);
        if (chosen != 0)
            break;
        for (int c = 1; c <= n; ++c) {
            pest_param& a = pc.params[adjustable[c]];
            a.value -= u[c];
            if (a.value < a.upper)
                a.at_upper = 0;
            if (a.value > a.lower)
                a.at_lower = 0;
        }
        SetTiedValues(pc, pest_values::current);
        NextLambda(lambda0, lambda_prev, reversal, st.phi, trial_phi.data(), k, pc);
        if (k > pc.numlam)
            return 0;
    }

    // Acceptance of trial `chosen`.
    const int j = chosen;
    auto set_slot1 = [&](const std::vector<double>& v) {
        for (int i = 1; i <= m; ++i)
            pc.obs[i].simulated[1] = v[i];
    };
    if (st.iteration == 1 && trial_phi[j] > st.phi_prev && switch_available) {
        // Start this iteration again from the same values with three-point derivatives.
        st.three_point = 1;
        pc.lambda = trial_lambda[1];
        set_slot1(saved);
        double ignored = 0.0;
        objective(1, ignored);
        st.phi = st.phi_prev;
        for (int c = 1; c <= n; ++c)
            pc.params[adjustable[c]].value = st.start_values[c];
        SetTiedValues(pc, pest_values::current);
    } else {
        if (switch_available && !st.three_point && st.iteration > 1 && trial_phi[j] > st.phi_prev) {
            for (int i = 1; i <= pc.npar; ++i)
                pc.params[i].value = st.best_values[i];
            set_slot1(st.best_outputs);
        } else {
            for (int c = 1; c <= n; ++c)
                pc.params[adjustable[c]].value = st.start_values[c] + trial_u[j][c];
            SetTiedValues(pc, pest_values::current);
            set_slot1(trial_phi[j] > st.phi_prev ? trial_out[j] : saved);
        }
        objective(1, st.phi);
        if (reversal)
            pc.lambda = trial_lambda[j];
        else
            NextLambda(lambda0, lambda_prev, reversal, st.phi, trial_phi.data(), k, pc);
    }
    std::fprintf(rec, "      Current parameter values                 Previous parameter values\n");
    for (int i = 1; i <= pc.npar; ++i) {
        const pest_param& a = pc.params[i];
        std::fprintf(rec, "      %s             %10lf                %s               %lf\n", a.name.c_str(),
                     natural_value(a, a.value), a.name.c_str(), natural_value(a, a.start_value));
    }
    std::fprintf(rec, "\n");
    return 0;
}

int lm_search::final_stop_form()
{
    std::remove(names.rst.c_str());
    for (int i = 1; i <= pc.npar; ++i)
        pc.params[i].value = st.best_values[i];
    last_run_banner();
    final_run_lines(rec);
    if (rewrite_parameter_file(par, pc, st.best_values) != 0)
        return 1;
    return call(pest_values::current, 0, true, false, st.phi);
}

int lm_search::final_limit_form(bool all_at_limits)
{
    if (st.phi < st.lowest_phi) {
        st.lowest_phi = st.phi;
        for (int i = 1; i <= pc.npar; ++i)
            st.best_values[i] = pc.params[i].value;
        copy_matrix(st.jac, st.best_jac, rows, n);
    }
    std::remove(names.rst.c_str());
    last_run_banner();
    if (!all_at_limits) {
        std::fprintf(rec, "Optimization complete: Maximum number of optimization iterations completed.\n");
        std::fprintf(rec, "Total Model Calls:\t%d\n", st.model_calls);
        final_run_lines(rec);
    }
    if (rewrite_parameter_file(par, pc, st.best_values) != 0)
        return 1;
    for (int i = 1; i <= pc.npar; ++i)
        pc.params[i].value = st.best_values[i];
    const int rc = call(pest_values::current, 0, false, false, st.phi);
    if (rc != 0)
        return rc;
    if (all_at_limits) {
        char text[128];
        both(rec, "Optimisation complete: all parameters at their limits.\n");
        std::snprintf(text, sizeof text, "Total Model Calls:\t%d\n", st.model_calls);
        both(rec, text);
        final_run_lines(rec);
    }
    return 0;
}

int lm_search::statistics()
{
    owned_matrix cov(n, n), copy(n, n), cor(n, n), vectors(n, n);
    std::vector<double> values(n + 1, 0.0);
    int singular = 0;
    if (pc.noptmax != 0) {
        const int rc =
            WriteSensitivities(pc, st.best_jac, prior, adjustable.data(), names, st.iteration, sen, 1);
        CovarianceMatrix(st.best_jac, q.data(), st.phi, cov.m, pc, singular);
        if (!singular) {
            copy_matrix(cov.m, copy.m, n, n);
            CorrelationMatrix(copy.m, cor.m, pc);
            int rotations = 0;
            jacobi(copy.m, n, values.data(), vectors.m, rotations);
            eigen_sort(values.data(), vectors.m, n);
        }
        if (rc != 0)
            return rc;
    }
    return WriteOptimisationResults(rec, st.phi, cov.m, cor.m, vectors.m, values.data(), pc, singular, prior);
}

// One iteration pass; leave is set when the search is over.
int lm_search::pass(bool& leave)
{
    // Values within 1e-8 of a bound stand on it.
    pc.num_frozen = 0;
    pc.num_insensitive = 0;
    for (int i = 1; i <= pc.npar; ++i) {
        pest_param& a = pc.params[i];
        a.insensitive = 0;
        if (std::fabs(a.value - a.upper) < 1e-8)
            a.value = a.upper;
        if (std::fabs(a.value - a.lower) < 1e-8)
            a.value = a.lower;
        a.at_upper = a.value >= a.upper;
        a.at_lower = a.lower >= a.value;
        a.frozen = 0;
    }
    const int counter = st.iteration;
    pc.phi_ratio = st.phi_prev > 0.0 ? st.phi / st.phi_prev : std::numeric_limits<double>::infinity();
    st.phi_prev = st.phi;
    st.phi_history[counter] = st.phi;
    if (st.phi < st.lowest_phi) {
        st.lowest_phi = st.phi;
        st.iter_lowest = counter - 1;
        for (int i = 1; i <= pc.npar; ++i)
            st.best_values[i] = pc.params[i].value;
        for (int i = 1; i <= m; ++i)
            st.best_outputs[i] = pc.obs[i].simulated[1];
        if (rewrite_parameter_file(par, pc, st.best_values) != 0)
            return 1;
        copy_matrix(st.jac, st.best_jac, rows, n);
    }
    if (variant != lm_variant::plain && counter >= 2) {
        const int col = ++*point_count;
        for (int i = 1; i <= pc.npar; ++i)
            points[i][col] = pc.params[i].value;
        if (variant == lm_variant::mlsl)
            point_phi[col] = st.phi;
    }
    if (switch_available && !st.three_point && counter > 1 && st.phi_history[counter - 1] > 0.0 &&
        pc.phiredswh >= (st.phi_history[counter - 1] - st.phi_history[counter]) / st.phi_history[counter - 1])
        st.three_point = 1;
    if (counter >= 2)
        for (int i = 1; i <= m; ++i)
            pc.obs[i].simulated[0] = pc.obs[i].simulated[1];
    for (int i = 1; i <= pc.npar; ++i)
        pc.params[i].start_value = pc.params[i].value;
    for (int c = 1; c <= n; ++c)
        st.start_values[c] = pc.params[adjustable[c]].value;

    if (pc.noptmax != -1) {
        int stop = 0;
        TestTermination(rec, counter, st.iter_lowest, st.small_changes, st.phi_history.data(), st.lowest_phi,
                        st.phi, pc, stop, st.model_calls);
        if (!stop && variant != lm_variant::plain && counter >= 2)
            NearEarlierPoint(pc, points, first_own_point, stop);
        if (stop) {
            leave = true;
            const int rc = final_stop_form();
            return rc != 0 ? rc : statistics();
        }
    }

    PrintIterationHeader(pc, counter, st.model_calls, st.phi, st.phi, st.phi);
    WriteIterationHeader(pc, rec, counter, st.model_calls, st.phi, st.phi, st.phi);
    int rc = CalcJacobian(pc, adjustable.data(), st.jac, st.model_calls, st.three_point, counter,
                          st.last_cyclic, model);
    if (rc != 0)
        return rc;
    if (counter == 1)
        copy_matrix(st.jac, st.best_jac, rows, n);
    CompositeSensitivities(pc, st.jac, prior, adjustable.data(), rec);
    WriteSensitivities(pc, st.jac, prior, adjustable.data(), names, counter, sen, 0);

    if (variant == lm_variant::plain) {
        std::FILE* jf = std::fopen("jac.txt", "w");
        if (!jf) {
            std::printf("Cannot write jac.txt\n");
            return 1;
        }
        for (int r = 1; r <= rows; ++r) {
            for (int c = 1; c <= n; ++c)
                std::fprintf(jf, "%lf\t", st.jac[r][c]);
            std::fprintf(jf, "\n");
        }
        if (std::fclose(jf) != 0) {
            std::printf("Cannot write jac.txt\n");
            return 1;
        }
    }

    bool all_at_limits = false;
    if (pc.noptmax >= 1) {
        rc = lambda_search(all_at_limits);
        if (rc != 0)
            return rc;
    }

    ++st.iteration;
    if (counter >= 1) {
        st.max_rel_change = relative_change();
        st.last_rel_change = st.max_rel_change;
        if (st.max_rel_change < pc.relparstp)
            ++st.small_changes;
        else
            st.small_changes = 0;
    }
    if (pc.restart_word == "restart" && pc.noptmax >= 1) {
        rc = WriteRestartFile(st, pc, names);
        if (rc != 0)
            return rc;
    }
    if (all_at_limits || (pc.noptmax >= 1 && st.iteration > pc.noptmax)) {
        leave = true;
        rc = final_limit_form(all_at_limits);
        return rc != 0 ? rc : statistics();
    }
    if (pc.noptmax == -1) {
        leave = true;
        copy_matrix(st.jac, st.best_jac, rows, n);
        return statistics();
    }
    return 0;
}

int lm_search::run()
{
    n = pc.num_adjustable;
    m = pc.nobs;
    p = pc.nprior;
    rows = m + p;
    if (n < 1 || m < 1) {
        std::printf("The search needs at least one adjustable parameter and one observation.\n");
        return 1;
    }
    owned_matrix jac(rows, n), best_jac(rows, n), prior_matrix(p, n);
    st.jac = jac.m;
    st.best_jac = best_jac.m;
    prior = p >= 1 ? prior_matrix.m : nullptr;
    adjustable.assign(n + 1, 0);
    ListAdjustableParameters(pc, adjustable.data());
    // A parameter whose group is not listed counts as not "switch".
    switch_available = false;
    for (int c = 1; c <= n && !switch_available; ++c)
        for (int g = 1; g <= pc.npargp; ++g)
            if (pc.param_groups[g].name == pc.params[adjustable[c]].group) {
                switch_available = pc.param_groups[g].forcen == "switch";
                break;
            }
    if (point_count)
        first_own_point = *point_count;
    for (int i = 1; i <= pc.npar; ++i) {
        pest_param& a = pc.params[i];
        a.at_upper = a.at_lower = a.frozen = a.insensitive = 0;
        a.composite_sensitivity = 0.0;
    }
    pc.num_insensitive = 0;
    st.best_values.assign(pc.npar + 1, 0.0);
    for (int i = 1; i <= pc.npar; ++i)
        st.best_values[i] = pc.params[i].value;
    st.best_outputs.assign(m + 1, 0.0);
    st.start_values.assign(n + 1, 0.0);
    st.phi_history.assign(std::max(pc.noptmax, 1) + 2, 0.0);
    for (int i = 1; i <= p; ++i) {
        const pest_prior& pr = pc.priors[i];
        const int named = std::min(pr.terms, pest_prior_named_terms);
        for (int t = 1; t <= named; ++t)
            for (int c = 1; c <= n; ++c)
                if (pc.params[adjustable[c]].name == pr.param_names[t]) {
                    jac.m[m + i][c] = best_jac.m[m + i][c] = prior_matrix.m[i][c] = pr.coefficient[t];
                    break;
                }
    }
    q.assign(rows + 1, 0.0);
    SquaredWeights(pc, q.data());

    // A restart file exists only for a search that iterated.
    const bool restart = argc >= 4 && std::strcmp(argv[3], "/r") == 0 && pc.noptmax != 0;
    if (!restart) {
        const int rc = call(pest_values::current, 0, true, true, st.phi);
        if (rc != 0)
            return rc;
        for (int i = 1; i <= m; ++i)
            st.best_outputs[i] = pc.obs[i].simulated[0];
        st.lowest_phi = st.phi;
        st.iter_lowest = 0;
        PrintRunRecord(st.phi, st.phi, st.phi, pc, names);
        WriteInitialRecord(rec, par, st.phi, st.phi, st.phi, pc);
        st.iteration = 1;
        if (pc.noptmax >= 1)
            st.phi_history[1] = st.phi;
        if (variant == lm_variant::mlsl)
            point_phi[*point_count] = st.phi;
    }
    if (pc.noptmax == 0)
        return statistics();

    bool leave = false;
    for (bool first = true; first || st.iteration <= pc.noptmax; first = false) {
        if (first && restart && st.iteration == 0) {
            const int rc = ReadRestartFile(st, pc, names);
            if (rc != 0)
                return rc;
            if (static_cast<int>(st.phi_history.size()) < std::max(pc.noptmax, st.iteration) + 2)
                st.phi_history.resize(std::max(pc.noptmax, st.iteration) + 2, 0.0);
            std::fprintf(rec, "\n\n                             .....RESTART.....\n\n");
        }
        const int rc = pass(leave);
        if (rc != 0 || leave)
            return rc;
    }
    return 0;
}

} // namespace

int LMInversion(int argc, char** argv, pest_control& pc, toolbox_names names, std::FILE* rec, std::FILE* sen,
                std::FILE* /*mtt*/, std::FILE* par, const pest_model_call& model)
{
    lm_search s{argc, argv, pc, names, rec, sen, par, model, lm_variant::plain};
    return s.run();
}

int LMInversionRepelled(int argc, char** argv, pest_control& pc, toolbox_names names, std::FILE* rec,
                        std::FILE* sen, std::FILE* /*mtt*/, std::FILE* par, const pest_model_call& model,
                        double** points, int& count, int& model_calls)
{
    lm_search s{argc, argv, pc, names, rec, sen, par, model, lm_variant::repelled};
    s.points = points;
    s.point_count = &count;
    const int rc = s.run();
    model_calls = s.st.model_calls;
    return rc;
}

int LMInversionMLSL(int argc, char** argv, pest_control& pc, toolbox_names names, std::FILE* rec,
                    std::FILE* sen, std::FILE* /*mtt*/, std::FILE* par, const pest_model_call& model,
                    double** points, double* point_phi, int& count, int& model_calls)
{
    lm_search s{argc, argv, pc, names, rec, sen, par, model, lm_variant::mlsl};
    s.points = points;
    s.point_phi = point_phi;
    s.point_count = &count;
    const int rc = s.run();
    model_calls = s.st.model_calls;
    return rc;
}
