// Reading the observations, scoring a trial and writing the trial logs.
#include "calibration/obs_objective.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/text_parse.h"

namespace
{

constexpr double weight_floor = 1e-6;    // a weight above it counts
constexpr double missing_below = -1e-16; // a simulated value below it has no value

bool counts(double weight)
{
    return weight > weight_floor;
}

// Simulated entry i; an entry the run did not store has no value.
double sim(const std::vector<double>& v, int i)
{
    return i >= 0 && static_cast<std::size_t>(i) < v.size() ? v[static_cast<std::size_t>(i)] : calib_no_value;
}

bool no_value(double simulated)
{
    return simulated < missing_below;
}

void dashes(std::FILE* f, int n)
{
    for (int i = 0; i < n; ++i)
        std::fputc('-', f);
    std::fputc('\n', f);
}

// Fills F(lambda) of the HMLE over the counted peaks.
struct hmle_terms {
    std::vector<double> q, e, r;
    double mean_log = 0.0;

    double weighted_sum(double lambda, bool with_r) const
    {
        double sum = 0.0;
        for (std::size_t k = 0; k < q.size(); ++k) {
            const double w = std::pow(q[k], 2.0 * (lambda - 1.0));
            sum += w * e[k] * e[k] * (with_r ? r[k] : 1.0);
        }
        return sum;
    }

    double f(double lambda) const { return weighted_sum(lambda, false) / weighted_sum(lambda, true) - 1.0; }
};

// Golden-section search for the smallest |F| on [0.1, 3.0]; a point
// becomes the best only when strictly better.
double golden_lambda(const hmle_terms& t)
{
    constexpr double lo = 0.381966012;
    constexpr double hi = 0.618033988;
    double a = 0.1;
    double b = 3.0;
    double x1 = a + lo * (b - a);
    double x2 = a + hi * (b - a);
    double f1 = std::fabs(t.f(x1));
    double f2 = std::fabs(t.f(x2));
    const double fb = std::fabs(t.f(b));
    double best = a;
    double best_f = std::fabs(t.f(a));
    const auto consider = [&](double x, double fx) {
        if (fx < best_f) {
            best = x;
            best_f = fx;
        }
    };
    consider(x1, f1);
    consider(x2, f2);
    consider(b, fb);
    while (b - a > 1e-6) {
        if (f1 > f2) {
            a = x1;
            x1 = x2;
            f1 = f2;
            x2 = a + hi * (b - a);
            f2 = std::fabs(t.f(x2));
            consider(x2, f2);
        } else {
            b = x2;
            x2 = x1;
            f2 = f1;
            x1 = a + lo * (b - a);
            f1 = std::fabs(t.f(x1));
            consider(x1, f1);
        }
    }
    return best;
}

double stat_value(const calib_result& r, int stat)
{
    switch (stat) {
    case stat_cost:
        return r.cost;
    case stat_hmle:
        return r.hmle;
    case stat_rmse:
        return r.rmse;
    case stat_max_peak:
        return r.max_peak;
    case stat_max_volume:
        return r.max_volume;
    default:
        return r.log_error;
    }
}

} // namespace

bool open_log_for_append(file_rec& rec, const std::string& name, bool& created)
{
    created = false;
    if (!file_rec_open(rec, name, "a"))
        return false;
    if (std::fseek(rec.fp, 0, SEEK_END) == 0 && std::ftell(rec.fp) == 0)
        created = true;
    return true;
}

void calib_results_add(calib_results& store, calib_result record)
{
    store.records.push_back(std::move(record));
    const int pos = static_cast<int>(store.records.size()) - 1;
    const calib_result& added = store.records.back();
    for (int s = 0; s < stat_count; ++s) {
        std::vector<int>& idx = store.index[s];
        const double v = stat_value(added, s);
        const auto at = std::upper_bound(idx.begin(), idx.end(), v, [&](double value, int p) {
            return value < stat_value(store.records[static_cast<std::size_t>(p)], s);
        });
        idx.insert(at, pos);
    }
}

void calib_results_clear(calib_results& store)
{
    store.records.clear();
    for (auto& idx : store.index)
        idx.clear();
}

int obs_objective::read(const std::string& path)
{
    file_rec rec;
    if (!file_rec_open(rec, path, "r"))
        return -1;
    std::string line;
    int n = 0;
    if (!read_line_rec(line, rec)) {
        std::printf("Error: the observation file %s is empty.\n", rec.name.c_str());
        file_rec_close(rec);
        return -1;
    }
    std::string_view view(line);
    const num_status st = pop_int_strict(view, n);
    if (st != num_status::ok) {
        std::printf("Error: line 1 of the observation file %s must hold the number of entries; it %s.\n",
                    rec.name.c_str(), num_status_text(st));
        file_rec_close(rec);
        return -1;
    }
    if (n <= 0) {
        std::printf("Error: line 1 of the observation file %s gives %d entries; it must give 1 or more.\n",
                    rec.name.c_str(), n);
        file_rec_close(rec);
        return -1;
    }
    obs_peak.assign(1, 0.0);
    obs_volume.assign(1, 0.0);
    peak_weight.assign(1, 0.0);
    volume_weight.assign(1, 0.0);
    nevents = 0;
    for (int k = 1; k <= n; ++k) {
        if (!read_line_rec(line, rec)) {
            std::printf("Error: the observation file %s ends after %d of %d entries.\n", rec.name.c_str(),
                        k - 1, n);
            file_rec_close(rec);
            return -1;
        }
        double v[4] = {};
        std::string_view rest(line);
        for (int j = 0; j < 4; ++j) {
            const num_status s = pop_double_strict(rest, v[j]);
            if (s == num_status::ok)
                continue;
            if (s == num_status::empty)
                std::printf("Error: line %d of the observation file %s needs four numbers (peak, peak "
                            "weight, volume, volume weight).\n",
                            k + 1, rec.name.c_str());
            else
                std::printf("Error: line %d of the observation file %s: value %d %s.\n", k + 1,
                            rec.name.c_str(), j + 1, num_status_text(s));
            file_rec_close(rec);
            error_state.code = err_obs_format;
            return -1;
        }
        std::string extra;
        if (pop_token(rest, extra)) {
            std::printf(
                "Error: line %d of the observation file %s holds \"%s\" after its four numbers (peak, "
                "peak weight, volume, volume weight).\n",
                k + 1, rec.name.c_str(), extra.c_str());
            file_rec_close(rec);
            error_state.code = err_obs_format;
            return -1;
        }
        obs_peak.push_back(v[0]);
        peak_weight.push_back(v[1]);
        obs_volume.push_back(v[2]);
        volume_weight.push_back(v[3]);
    }
    nevents = n;
    file_rec_close(rec);
    scale = observation_scale();
    return 1;
}

double obs_objective::observation_scale() const
{
    if (nevents <= 0)
        return 1.0;
    double peak = -1.0;
    double volume = -1.0;
    for (int i = 1; i <= nevents; ++i) {
        peak = std::max(peak, obs_peak[static_cast<std::size_t>(i)]);
        volume = std::max(volume, obs_volume[static_cast<std::size_t>(i)]);
    }
    return peak / volume;
}

double obs_objective::calc_hmle(const std::vector<double>& peaks, const std::vector<double>& volumes) const
{
    if (peaks.empty() || volumes.empty())
        return calib_fail_value;
    if (nevents <= 0)
        return -1.0;
    int counted = 0;
    hmle_terms t;
    for (int i = 1; i <= nevents; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (counts(peak_weight[k])) {
            if (no_value(sim(peaks, i)))
                return calib_fail_value;
            ++counted;
            t.q.push_back(obs_peak[k]);
            t.e.push_back(obs_peak[k] - sim(peaks, i));
        }
        if (counts(volume_weight[k])) {
            if (no_value(sim(volumes, i)))
                return calib_fail_value;
            ++counted;
        }
    }
    if (counted == 0)
        return -1.0;
    // No counted peak, or a peak whose logarithm is undefined: no estimate.
    if (t.q.empty())
        return calib_fail_value;
    for (double q : t.q)
        if (q <= 0.0)
            return calib_fail_value;
    const double m = static_cast<double>(t.q.size());
    double log_sum = 0.0;
    for (double q : t.q)
        log_sum += std::log(q);
    t.mean_log = log_sum / m;
    for (double q : t.q)
        t.r.push_back(std::log(q) / t.mean_log);
    const double lambda = golden_lambda(t);
    return t.weighted_sum(lambda, false) / m / std::exp(2.0 * (lambda - 1.0) * t.mean_log);
}

double obs_objective::calc_rmse(const std::vector<double>& peaks, const std::vector<double>& volumes) const
{
    if (peaks.empty() || volumes.empty())
        return calib_fail_value;
    const double s = observation_scale();
    double sum = 0.0;
    for (int i = 1; i <= nevents; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double p = sim(peaks, i);
        if (no_value(p))
            return calib_fail_value;
        if (counts(peak_weight[k]))
            sum += (p - obs_peak[k]) * (p - obs_peak[k]);
        const double v = sim(volumes, i);
        if (no_value(v))
            return calib_fail_value;
        if (counts(volume_weight[k]))
            sum += ((v - obs_volume[k]) * s) * ((v - obs_volume[k]) * s);
    }
    return std::sqrt(sum);
}

double obs_objective::calc_log_error(const std::vector<double>& peaks,
                                     const std::vector<double>& volumes) const
{
    if (peaks.empty() || volumes.empty())
        return calib_fail_value;
    const double s = observation_scale();
    double sum = 0.0;
    for (int i = 1; i <= nevents; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double p = sim(peaks, i);
        if (no_value(p))
            return calib_fail_value;
        if (counts(peak_weight[k]))
            sum += std::fabs(std::log(p) - std::log(obs_peak[k]));
        const double v = sim(volumes, i);
        if (no_value(v))
            return calib_fail_value;
        if (counts(volume_weight[k]))
            sum += std::fabs(std::log(v * s) - std::log(s * obs_volume[k]));
    }
    return sum;
}

double obs_objective::calc_cost(const std::vector<double>& peaks, const std::vector<double>& volumes,
                                int rank) const
{
    if (peaks.empty() || volumes.empty())
        return calib_fail_value;
    char name[32];
    std::snprintf(name, sizeof name, "%d_cost.out", rank);
    file_rec log;
    file_rec_open(log, std::string(name), "a");
    std::FILE* f = log.fp;
    double sum = 0.0;
    int points = 0;
    for (int i = 1; i <= nevents; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (counts(peak_weight[k])) {
            const double p = sim(peaks, i);
            if (no_value(p))
                return calib_fail_value; // the record closes the log
            if (f)
                std::fprintf(f, "p:%lf, %lf  ", p, p - obs_peak[k]);
            const double rel = obs_peak[k] > 1e-16 ? (p - obs_peak[k]) / obs_peak[k] : p - obs_peak[k];
            sum += std::fabs(rel * peak_weight[k]);
            ++points;
        }
        if (counts(volume_weight[k])) {
            const double v = sim(volumes, i);
            if (no_value(v))
                return calib_fail_value;
            if (f) {
                std::fprintf(f, "v:%lf, %lf  ", v, v - obs_volume[k]);
                std::fprintf(f, "\n");
            }
            const double rel = obs_volume[k] > 0.0 ? (v - obs_volume[k]) / obs_volume[k] : v - obs_volume[k];
            sum += std::fabs(rel * volume_weight[k]);
            ++points;
        }
    }
    if (points == 0)
        return -1.0;
    if (f) {
        std::fprintf(f, "Total Points: %d\n", points);
        std::fprintf(f, "cost: %lf\n", sum);
        dashes(f, 79);
    }
    return sum;
}

// The largest simulated value of the counted entries, up to the first entry
// without a value.
double obs_objective::calc_max(const std::vector<double>& values, const std::vector<double>& weights) const
{
    if (values.empty())
        return calib_no_max;
    double c = calib_no_max;
    for (int i = 1; i <= nevents; ++i) {
        const double v = sim(values, i);
        if (no_value(v))
            break;
        if (counts(weights[static_cast<std::size_t>(i)]) && v > c)
            c = v;
    }
    return c;
}

double obs_objective::calc_max_peak(const std::vector<double>& peaks) const
{
    return calc_max(peaks, peak_weight);
}

double obs_objective::calc_max_volume(const std::vector<double>& volumes) const
{
    return calc_max(volumes, volume_weight);
}

void obs_objective::write_obs_log(const std::vector<double>& peaks, const std::vector<double>& volumes,
                                  int rank) const
{
    if (peaks.empty() || volumes.empty())
        return;
    char name[32];
    std::snprintf(name, sizeof name, "%d_obs.log", rank);
    file_rec log;
    if (!file_rec_open(log, std::string(name), "a"))
        return;
    std::FILE* f = log.fp;
    dashes(f, 55);
    std::fprintf(f,
                 "Event\tWeight\tObs Peak   \tSim Peak    \tDiff        \tWeight\tObs Vol     \tSim Vol     "
                 "\tDiff\n");
    for (int i = 1; i <= nevents; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double p = sim(peaks, i);
        const double v = sim(volumes, i);
        std::fprintf(f,
                     "%-5d\t%-6.2lf\t%-12.2lf\t%-12.2lf\t%-12.2lf\t%-6.2lf\t%-12.2lf\t%-12.2lf\t%-12.2lf\n",
                     i, peak_weight[k], obs_peak[k], p, obs_peak[k] - p, volume_weight[k], obs_volume[k], v,
                     obs_volume[k] - v);
    }
    std::fprintf(f, "\n\n");
    file_rec_close(log);
}

double obs_objective::evaluate(const std::vector<double>& peaks, const std::vector<double>& volumes, int rank,
                               int n, const double* x)
{
    hmle = calc_hmle(peaks, volumes);
    rmse = calc_rmse(peaks, volumes);
    cost = calc_cost(peaks, volumes, rank);
    max_peak = calc_max_peak(peaks);
    max_volume = calc_max_volume(volumes);
    log_error = calc_log_error(peaks, volumes);
    calib_result r;
    r.cost = cost;
    r.hmle = hmle;
    r.rmse = rmse;
    r.max_peak = max_peak;
    r.max_volume = max_volume;
    r.log_error = log_error;
    r.n = n;
    r.params.assign(1, 0.0);
    for (int i = 1; i <= n; ++i)
        r.params.push_back(x[i]);
    calib_results_add(results, std::move(r));
    write_obs_log(peaks, volumes, rank);
    return cost;
}

void obs_objective::write_results(int rank, int member, int /*group_id*/)
{
    if (rank == 0 && member == 0) {
        file_rec out;
        bool created = false;
        if (open_log_for_append(out, "results_all.out", created)) {
            std::FILE* f = out.fp;
            if (created)
                std::fprintf(f, "--Cost--\t----HMLE----\t----RMSE----\t-Log Error--\t--Max Peak--\t--Max "
                                "Vol---\t: params\n");
            for (int pos : results.index[stat_max_volume]) {
                const calib_result& r = results.records[static_cast<std::size_t>(pos)];
                std::fprintf(f, "%-8.2lf\t%-12.4lf\t%-12.2lf\t%-12.6lf\t%-12.2lf\t%-12.2lf\t: ", r.cost,
                             r.hmle, r.rmse, r.log_error, r.max_peak, r.max_volume);
                for (int i = 1; i <= r.n; ++i)
                    std::fprintf(f, "%-6.4lf  ", r.params[static_cast<std::size_t>(i)]);
                std::fprintf(f, "\n");
            }
            file_rec_close(out);
        }
    }
    calib_results_clear(results);
}
