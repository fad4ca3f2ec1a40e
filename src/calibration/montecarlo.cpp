#include "calibration/montecarlo.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "calibration/calib_objective.h"
#include "core/check_count.h"
#include "core/proc_group.h"
#include "core/text_parse.h"
#include "input/replace_params.h"

namespace
{

// The number of parameters sizes the bounds: each parameter's line follows
// and holds at least one character.
constexpr count_field mc_params_field{"number of parameters", 1, 1000000000, 1};

long long calendar_seconds()
{
    return static_cast<long long>(std::time(nullptr));
}

// The first token of a line, at most 199 characters.
bool read_name(file_rec& in, std::string& name)
{
    std::string line;
    name.clear();
    if (!read_line_rec(line, in))
        return false;
    pop_token(line, name);
    if (name.size() > 199)
        name.resize(199);
    return true;
}

} // namespace

long long (*montecarlo_clock)() = calendar_seconds;

void mc_seed(mc_generator& g, std::uint32_t seed)
{
    g.next = seed;
}

int mc_draw(mc_generator& g)
{
    g.next = g.next * 1103515245u + 12345u;
    return static_cast<int>((g.next / 65536u) % 32768u);
}

montecarlo::montecarlo(int run_count, const std::string& input_file, proc_group& g)
    : group(g), runs(run_count)
{
    read_input(input_file);
    if (!input_ok)
        return;
    mc_seed(generator, static_cast<std::uint32_t>(group.rank + montecarlo_clock()));
    proc_number = group.proc_number;
    sampling = group.member == 0 ? 1 : 0;
    best.assign(static_cast<std::size_t>(nparams) + 1, 0.0);
    obs_ok = objective.read(obs_file) == 1 ? 1 : 0;
}

void montecarlo::read_input(const std::string& input_file)
{
    input_ok = 0;
    file_rec in;
    if (!file_rec_open(in, input_file, "r")) {
        std::printf("Error: the Monte Carlo input file %s cannot be opened.\n", input_file.c_str());
        return;
    }
    input_name = in.name;
    if (!read_name(in, project_file) || !read_name(in, replace_file) || !read_name(in, obs_file)) {
        std::printf("Error: the Monte Carlo input file %s ends before its three file names.\n",
                    in.name.c_str());
        return;
    }
    std::string line;
    if (!read_line_rec(line, in)) {
        std::printf("Error: the Monte Carlo input file %s ends before the number of parameters.\n",
                    in.name.c_str());
        return;
    }
    std::string_view view(line);
    const num_status st = pop_int_strict(view, nparams);
    if (st != num_status::ok || nparams < 1) {
        std::printf("Error: line 4 of the Monte Carlo input file %s must hold the number of parameters (1 or "
                    "more); it %s.\n",
                    in.name.c_str(), st == num_status::ok ? "is below 1" : num_status_text(st));
        return;
    }
    if (!check_count(nparams, mc_params_field, in.name, 4, in.fp))
        return;
    const auto slots = static_cast<std::size_t>(nparams) + 1;
    pmin.assign(slots, 0.0);
    pmax.assign(slots, 0.0);
    samples.assign(slots, 0.0);
    for (int i = 1; i <= nparams; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!read_line_rec(line, in)) {
            std::printf("Error: the Monte Carlo input file %s ends after %d of %d parameter lines.\n",
                        in.name.c_str(), i - 1, nparams);
            return;
        }
        // The lower bound, then the upper bound unless the text goes on with
        // '#' or stops: the parameter is then fixed at its lower bound.
        std::string_view rest(line);
        const std::size_t start = rest.find_first_not_of(" \t,");
        rest.remove_prefix(start == std::string_view::npos ? rest.size() : start);
        const std::size_t end = rest.find_first_of(" \t,#");
        const std::string_view lower = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
        num_status s = parse_double_strict(lower, pmin[k]);
        if (s == num_status::ok) {
            const std::size_t next = rest.find_first_not_of(" \t,");
            rest.remove_prefix(next == std::string_view::npos ? rest.size() : next);
            if (rest.empty() || rest.front() == '#')
                pmax[k] = pmin[k];
            else
                s = pop_double_strict(rest, pmax[k]);
        }
        if (s != num_status::ok) {
            std::printf("Error: line %d of the Monte Carlo input file %s: a bound %s.\n", i + 4,
                        in.name.c_str(), num_status_text(s));
            return;
        }
    }
    input_ok = 1;
}

void montecarlo::sample()
{
    if (!sampling) {
        for (double& v : samples)
            v = 0.0;
        return;
    }
    for (int i = 1; i <= nparams; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double r = mc_draw(generator) / 32768.0;
        samples[k] = r * (pmax[k] - pmin[k]) + pmin[k];
    }
}

int montecarlo::run()
{
    if (!input_ok) {
        std::printf("Error: unable to read the input monte carlo file.\n");
        return 0;
    }
    if (!obs_ok) {
        std::printf("Error: unable to open the observation file for reading or problem while reading it.\n"
                    "Attempted to read file: %s\n",
                    obs_file.c_str());
        return 0;
    }
    if (runs < 1) {
        std::printf("Error: the number of Monte Carlo runs must be 1 or more; %d was asked for.\n", runs);
        return 0;
    }
    // What every run needs is checked once, before the first: the project
    // file, and a replacement list with one parameter per sampled value.
    if (!calib_project_found(project_file, "on line 1 of the Monte Carlo input file " + input_name) ||
        !replace_list_matches(replace_file, nparams, &param_keys))
        return 0;
    int scored = 0;
    for (int k = 0; k < runs; ++k) {
        sample();
        const double cost = run_model(replace_file, project_file, samples.data(), objective, nparams, "temp");
        if (!calib_trial_failed(cost))
            ++scored;
        log_run(cost);
        if (k == 0 || std::fabs(best_cost) > std::fabs(cost)) {
            best_cost = cost;
            for (int i = 1; i <= nparams; ++i)
                best[static_cast<std::size_t>(i)] = samples[static_cast<std::size_t>(i)];
        }
        objective.write_results(group.rank, group.member, group.group_id);
    }
    if (scored == 0) {
        std::printf(
            "Error: none of the %d Monte Carlo runs gave a result (each model run stopped on an error or "
            "stored no value for a weighted observation); there is no best parameter set.\n",
            runs);
        return 0;
    }
    return 1;
}

void montecarlo::log_run(double cost)
{
    if (!sampling)
        return;
    if (!log.fp) {
        char name[48];
        std::snprintf(name, sizeof name, "log_file_p%d.log", proc_number);
        bool created = false;
        if (!open_log_for_append(log, name, created))
            return;
        if (created) {
            std::fprintf(log.fp, "Cost  \t");
            for (const std::string& key : param_keys)
                std::fprintf(log.fp, "%s\t", key.c_str());
            std::fprintf(log.fp, "\n");
        }
    }
    std::fprintf(log.fp, "%lf\t", cost);
    for (int i = 1; i <= nparams; ++i)
        std::fprintf(log.fp, "%le\t", samples[static_cast<std::size_t>(i)]);
    std::fprintf(log.fp, "\n");
    std::fflush(log.fp);
}

void montecarlo::report_best()
{
    std::fflush(stdout);
    std::printf("\n\nBest objective function value: %lf\nParameters:\n ", best_cost);
    for (int i = 1; i <= nparams; ++i)
        std::printf("%lf ", best[static_cast<std::size_t>(i)]);
    std::printf("\n");
    file_rec out;
    if (file_rec_open(out, std::string("best.out"), "w")) {
        std::fprintf(out.fp, "%lf:  ", best_cost);
        for (int i = 1; i <= nparams; ++i)
            std::fprintf(out.fp, "%le ", best[static_cast<std::size_t>(i)]);
        std::fprintf(out.fp, "\n");
        file_rec_close(out);
    } else {
        std::printf("Warning: Unable to open the best.out file. Only printing results to stdout.\n");
    }
}
