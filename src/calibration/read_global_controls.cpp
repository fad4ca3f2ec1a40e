// Control files of the global strategies ("mlsl.in", "ms.in", "tr.in") and
// the start checks they share. Every item is read strictly; the range each
// item must lie in is kept in the item tables below.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "calibration/global_search.h"
#include "calibration/slm_routines.h"
#include "core/text_parse.h"

namespace
{

enum class item_kind { integer, real, seed, choice };

// One item of a control file: its kind, its range (inclusive unless the
// flag says the lower limit itself is excluded) and where it goes.
struct control_item {
    const char* name;
    item_kind kind;
    double low, high;
    bool low_open;
    void* dest;
};

constexpr double no_limit = 1e300;
// Samples, iterations and searches each mean model runs; their stated
// limit lies far beyond any calibration.
constexpr double run_limit = 1000000;

int refuse(const char* path, int item, const char* name, const std::string& token, const char* what)
{
    std::printf("Error in file %s, item %d (%s) \"%s\": %s.\n", path, item, name, token.c_str(), what);
    return 1;
}

int read_items(const char* path, std::vector<control_item> items)
{
    std::ifstream in(path);
    if (!in) {
        std::printf("Cannot open the file %s in the working folder.\n", path);
        return 1;
    }
    std::vector<std::string> tokens;
    for (std::string t; in >> t;)
        tokens.push_back(t);
    for (std::size_t k = 0; k < items.size(); ++k) {
        const control_item& it = items[k];
        const int no = int(k) + 1;
        if (k >= tokens.size()) {
            std::printf("Error in file %s: item %d (%s) is missing.\n", path, no, it.name);
            return 1;
        }
        const std::string& tok = tokens[k];
        double v = 0.0;
        switch (it.kind) {
        case item_kind::choice:
            if (tok != "Y" && tok != "N")
                return refuse(path, no, it.name, tok, "must be Y or N");
            *static_cast<char*>(it.dest) = tok[0];
            continue;
        case item_kind::seed: {
            long long s = 0;
            const num_status st = parse_long_strict(tok, s);
            if (st != num_status::ok)
                return refuse(path, no, it.name, tok, num_status_text(st));
            if (s < 0 || s > 4294967295LL)
                return refuse(path, no, it.name, tok, "must lie between 0 and 4294967295");
            *static_cast<std::uint32_t*>(it.dest) = static_cast<std::uint32_t>(s);
            continue;
        }
        case item_kind::integer: {
            int i = 0;
            const num_status st = parse_int_strict(tok, i);
            if (st != num_status::ok)
                return refuse(path, no, it.name, tok, num_status_text(st));
            v = i;
            break;
        }
        case item_kind::real: {
            const num_status st = parse_double_strict(tok, v);
            if (st != num_status::ok)
                return refuse(path, no, it.name, tok, num_status_text(st));
            break;
        }
        }
        if ((it.low_open ? v <= it.low : v < it.low) || v > it.high) {
            char range[128];
            if (it.high >= no_limit)
                std::snprintf(range, sizeof range, "must be %s %g", it.low_open ? "above" : "at least", it.low);
            else
                std::snprintf(range, sizeof range, "must lie in %s%.15g, %.15g]", it.low_open ? "(" : "[", it.low,
                              it.high);
            return refuse(path, no, it.name, tok, range);
        }
        if (it.kind == item_kind::integer)
            *static_cast<int*>(it.dest) = static_cast<int>(v);
        else
            *static_cast<double*>(it.dest) = v;
    }
    if (tokens.size() > items.size()) {
        std::printf("Error in file %s: unexpected text \"%s\" after its %zu items.\n", path,
                    tokens[items.size()].c_str(), items.size());
        return 1;
    }
    return 0;
}

} // namespace

int ReadMlslControl(const char* path, mlsl_settings& s)
{
    return read_items(path, {
                                {"sample size", item_kind::integer, 1, run_limit, false, &s.samples},
                                {"gamma", item_kind::real, 0, 1, false, &s.gamma},
                                {"sigma", item_kind::real, 0, no_limit, true, &s.sigma},
                                {"end-point distance", item_kind::real, 0, no_limit, false, &s.end_distance},
                                {"seed choice", item_kind::choice, 0, 0, false, &s.choice},
                                {"seed", item_kind::seed, 0, 0, false, &s.seed},
                                {"maximum MLSL iterations", item_kind::integer, 1, run_limit, false,
                                 &s.max_iterations},
                                {"maximum local searches", item_kind::integer, 1, run_limit, false, &s.max_searches},
                                {"maximum local searches without improvement", item_kind::integer, 0, run_limit,
                                 false, &s.max_searches_no_gain},
                                {"maximum MLSL iterations without improvement", item_kind::integer, 0, run_limit,
                                 false, &s.max_iterations_no_gain},
                                {"negligible fraction", item_kind::real, 0, 1, false, &s.negligible},
                            });
}

int ReadMultistartControl(const char* path, multistart_settings& s)
{
    return read_items(path, {
                                {"seed", item_kind::seed, 0, 0, false, &s.seed},
                                {"pre-inversion runs", item_kind::integer, 0, run_limit, false, &s.runs},
                            });
}

int ReadTrajrepControl(const char* path, trajrep_settings& s)
{
    return read_items(path, {
                                {"seed choice", item_kind::choice, 0, 0, false, &s.choice},
                                {"seed", item_kind::seed, 0, 0, false, &s.seed},
                                {"pre-inversion runs", item_kind::integer, 1, run_limit, false, &s.runs},
                                {"maximum inversions", item_kind::integer, 1, run_limit, false, &s.max_inversions},
                                {"runs without improvement", item_kind::integer, 0, run_limit, false,
                                 &s.runs_no_gain},
                                {"negligible fraction", item_kind::real, 0, 1, false, &s.negligible},
                            });
}

int CheckStrategyTables(const char* path, const char* strategy, const pest_control& pc, double samples,
                        double searches)
{
    // Per sample: its parameter values, phi and the group contributions;
    // per search: its start point and up to NOPTMAX iterates.
    const double per_search = (pc.noptmax > 0 ? pc.noptmax : 0) + 1.0;
    const double values =
        samples * (pc.npar + 1.0 + pc.nobsgp + 1.0) + searches * per_search * (pc.npar + 1.0);
    if (values <= static_cast<double>(pest_matrix_values_max))
        return 0;
    std::printf("Error in file %s: the %s tables of %.0f samples and %.0f local searches of up to %.0f points "
                "over %d parameters would hold %.0f values, more than the %lld a strategy may hold.\n",
                path, strategy, samples, searches, per_search, pc.npar, values, pest_matrix_values_max);
    return 1;
}

int CheckGlobalStart(int argc, char** argv, const pest_control& pc, const char* strategy)
{
    if (argc >= 4 && std::strcmp(argv[3], "/r") == 0) {
        std::printf("The restart switch /r cannot be used with %s: a global search cannot be resumed.\n",
                    strategy);
        return 1;
    }
    for (int i = 1; i <= pc.npar; ++i) {
        const pest_param& p = pc.params[i];
        if (is_adjustable(p) && !(p.upper > p.lower)) {
            std::printf("Parameter %s has equal lower and upper bounds; %s needs a range for every "
                        "adjustable parameter.\n",
                        p.name.c_str(), strategy);
            return 1;
        }
    }
    return 0;
}
