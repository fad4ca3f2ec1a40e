// The shuffled complex evolution search: a population drawn inside the
// bounds is split into complexes that evolve by simplex steps on randomly
// chosen sub-complexes and are shuffled back together, until the trial
// limit, a stalled best value or a collapsed population ends it. The order
// of the random draws fixes the sequence of trials for a given seed.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "calibration/sce_ctx.h"

namespace
{

enum point_kind { uniform_point = 1, normal_point = 2 };

// Points of nopt values, 1-based in both the point and the parameter.
struct point_set {
    int nopt = 0;
    std::vector<double> values; // (count + 1) x (nopt + 1)
    std::vector<double> f;      // criterion value per point

    void resize(int count, int n)
    {
        nopt = n;
        values.assign(static_cast<std::size_t>(count + 1) * static_cast<std::size_t>(n + 1), 0.0);
        f.assign(static_cast<std::size_t>(count) + 1, 0.0);
    }
    double* row(int i) { return &values[static_cast<std::size_t>(i) * static_cast<std::size_t>(nopt + 1)]; }
    const double* row(int i) const
    {
        return &values[static_cast<std::size_t>(i) * static_cast<std::size_t>(nopt + 1)];
    }
    void copy_point(int to, const point_set& from, int at)
    {
        std::copy(from.row(at) + 1, from.row(at) + nopt + 1, row(to) + 1);
        f[static_cast<std::size_t>(to)] = from.f[static_cast<std::size_t>(at)];
    }
};

struct search {
    sce_ctx& ctx;
    int nopt;
    int ngs;
    int npt;
    int icall = 1;
    double bestf = 99999999.0;
    std::vector<double> bound;  // upper - lower
    std::vector<double> unit;   // spread of uniform points
    std::vector<double> spread; // population std / bound
    double gnrng = 0.0;
    point_set pop;

    explicit search(sce_ctx& c) : ctx(c), nopt(c.nopt), ngs(c.ngs), npt(c.ngs * c.npg) {}
};

double sce_uniform_deviate(sce_ctx& ctx)
{
    return uniform_deviate(ctx.idum, ctx.table);
}

double sce_normal_deviate(sce_ctx& ctx)
{
    if (ctx.normal_cached) {
        ctx.normal_cached = 0;
        return ctx.normal_value;
    }
    double x, y, r;
    do {
        const double a = sce_uniform_deviate(ctx);
        const double b = sce_uniform_deviate(ctx);
        x = 2.0 * a - 1.0;
        y = 2.0 * b - 1.0;
        r = x * x + y * y;
    } while (r >= 1.0 || r == 0.0);
    const double f = std::sqrt(-2.0 * std::log(r) / r);
    ctx.normal_value = x * f;
    ctx.normal_cached = 1;
    return y * f;
}

bool inside(const sce_ctx& ctx, int j, double v)
{
    const auto k = static_cast<std::size_t>(j);
    return !(v < ctx.lower[k] || v > ctx.upper[k]);
}

// A random point: value_j = centre_j + bound_j x r x d_j; a component outside
// its bounds is drawn again.
void sce_get_point(search& s, int kind, const std::vector<double>& d, const double* centre, double* out)
{
    sce_ctx& ctx = s.ctx;
    for (;;) {
        for (int j = 1; j <= s.nopt; ++j) {
            const auto k = static_cast<std::size_t>(j);
            do {
                const double r = kind == uniform_point ? sce_uniform_deviate(ctx) : sce_normal_deviate(ctx);
                out[j] = centre[j] + s.bound[k] * (r * d[k]);
            } while (!inside(ctx, j, out[j]));
        }
        bool all_inside = true;
        for (int j = 1; j <= s.nopt; ++j)
            all_inside = all_inside && inside(ctx, j, out[j]);
        if (all_inside)
            return;
    }
}

void log_line(sce_ctx& ctx, int number, double value, double bestf, const double* x)
{
    std::FILE* f = ctx.log_file.fp;
    std::fprintf(f, "%-5d  %9.4lf %9.4lf  : ", number, value, bestf);
    for (int j = 1; j <= ctx.nopt; ++j)
        std::fprintf(f, " %le", x[j]);
    std::fprintf(f, "\n");
}

void sce_log_population(search& s)
{
    for (int i = 1; i <= s.npt; ++i)
        s.bestf = std::min(s.bestf, s.pop.f[static_cast<std::size_t>(i)]);
    sce_ctx& ctx = s.ctx;
    if (ctx.log_off)
        return;
    if (!ctx.log_file.fp) {
        if (!file_rec_open(ctx.log_file, std::string("sce_log_file.txt"), "w")) {
            std::printf("Error: unable to open the log file.\n");
            ctx.log_off = 1;
            return;
        }
        std::fprintf(ctx.log_file.fp, "Sim No.   Cost     Minimum Cost:  Parameter Values\n");
    }
    for (int i = 1; i <= s.npt; ++i)
        log_line(ctx, i, s.pop.f[static_cast<std::size_t>(i)], s.bestf, s.pop.row(i));
    std::fflush(ctx.log_file.fp);
}

void sce_log_trial(sce_ctx& ctx, int number, double value, double bestf, const double* x)
{
    if (ctx.log_off || !ctx.log_file.fp)
        return;
    log_line(ctx, number, value, bestf, x);
    std::fflush(ctx.log_file.fp);
}

// A trial made inside the shuffling loops: best value, log line, counter.
double trial(search& s, const double* x)
{
    const double f = s.ctx.trial(s.ctx, x);
    if (f < s.bestf)
        s.bestf = f;
    sce_log_trial(s.ctx, s.icall, f, s.bestf, x);
    ++s.icall;
    return f;
}

// Heap sort of an index by the values a[1..n] (n >= 2).
void sce_index_heapsort(int n, const double* a, std::vector<int>& idx)
{
    idx.assign(static_cast<std::size_t>(n) + 1, 0);
    for (int j = 1; j <= n; ++j)
        idx[static_cast<std::size_t>(j)] = j;
    if (n < 2)
        return;
    const auto at = [&](int k) { return a[idx[static_cast<std::size_t>(k)]]; };
    int l = n / 2 + 1;
    int ir = n;
    for (;;) {
        int t;
        if (l > 1) {
            --l;
            t = idx[static_cast<std::size_t>(l)];
        } else {
            t = idx[static_cast<std::size_t>(ir)];
            idx[static_cast<std::size_t>(ir)] = idx[1];
            --ir;
            if (ir == 1) {
                idx[1] = t;
                return;
            }
        }
        const double q = a[t];
        int i = l;
        int j = 2 * l;
        while (j <= ir) {
            if (j < ir && at(j) < at(j + 1))
                ++j;
            if (q < at(j)) {
                idx[static_cast<std::size_t>(i)] = idx[static_cast<std::size_t>(j)];
                i = j;
                j *= 2;
            } else {
                break;
            }
        }
        idx[static_cast<std::size_t>(i)] = t;
    }
}

// Sorts points 1..n ascending by value.
void sce_sort_population(point_set& p, int n)
{
    std::vector<int> idx;
    sce_index_heapsort(n, p.f.data(), idx);
    point_set work;
    work.resize(n, p.nopt);
    for (int i = 1; i <= n; ++i)
        work.copy_point(i, p, idx[static_cast<std::size_t>(i)]);
    for (int i = 1; i <= n; ++i)
        p.copy_point(i, work, i);
}

void sce_sort_ints(std::vector<int>& list, int n)
{
    std::vector<double> values(static_cast<std::size_t>(n) + 1, 0.0);
    for (int k = 1; k <= n; ++k)
        values[static_cast<std::size_t>(k)] = list[static_cast<std::size_t>(k)];
    std::vector<int> idx;
    sce_index_heapsort(n, values.data(), idx);
    for (int k = 1; k <= n; ++k)
        list[static_cast<std::size_t>(k)] =
            static_cast<int>(values[static_cast<std::size_t>(idx[static_cast<std::size_t>(k)])]);
}

void sce_population_stats(search& s)
{
    sce_ctx& ctx = s.ctx;
    double gsum = 0.0;
    for (int j = 1; j <= s.nopt; ++j) {
        const auto k = static_cast<std::size_t>(j);
        double largest = -1e20;
        double smallest = 1e20;
        double sum = 0.0;
        double squares = 0.0;
        for (int i = 1; i <= s.npt; ++i) {
            const double v = s.pop.row(i)[j];
            largest = std::max(largest, v);
            smallest = std::min(smallest, v);
            sum += v;
            squares += v * v;
        }
        const double mean = sum / s.npt;
        double variance = squares / s.npt - mean * mean;
        if (variance <= 1e-20)
            variance = 1e-20;
        s.spread[k] = std::sqrt(variance) / s.bound[k];
        ctx.stat_max[k] = largest;
        ctx.stat_min[k] = smallest;
        ctx.stat_mean[k] = mean;
        gsum += std::log((largest - smallest) / s.bound[k] + 1e-20);
    }
    s.gnrng = std::exp(gsum / s.nopt);
}

// One simplex step on the sub-complex sub (sorted ascending).
void sce_cce_step(search& s, point_set& sub, int nps)
{
    const int nopt = s.nopt;
    const double* sb = sub.row(1);
    const double* sw = sub.row(nps);
    const double fw = sub.f[static_cast<std::size_t>(nps)];
    std::vector<double> ce(static_cast<std::size_t>(nopt) + 1, 0.0);
    std::vector<double> snew(static_cast<std::size_t>(nopt) + 1, 0.0);
    for (int j = 1; j <= nopt; ++j) {
        double sum = 0.0;
        for (int i = 1; i < nps; ++i)
            sum += sub.row(i)[j];
        ce[static_cast<std::size_t>(j)] = sum / (nps - 1);
    }
    bool outside = false;
    for (int j = 1; j <= nopt; ++j) {
        const auto k = static_cast<std::size_t>(j);
        snew[k] = ce[k] + (ce[k] - sw[j]);
        outside = outside || !inside(s.ctx, j, snew[k]);
    }
    if (outside)
        sce_get_point(s, normal_point, s.spread, sb, snew.data());
    double fnew = trial(s, snew.data());
    if (fnew > fw) {
        for (int j = 1; j <= nopt; ++j) {
            const auto k = static_cast<std::size_t>(j);
            snew[k] = ce[k] - 0.5 * (ce[k] - sw[j]);
        }
        fnew = trial(s, snew.data());
        if (fnew > fw) {
            sce_get_point(s, normal_point, s.spread, sb, snew.data());
            fnew = trial(s, snew.data());
        }
    }
    std::copy(snew.begin() + 1, snew.end(), sub.row(nps) + 1);
    sub.f[static_cast<std::size_t>(nps)] = fnew;
}

// Position of a sub-complex point: small positions (better points) are the
// more likely.
int draw_position(search& s, int npg)
{
    const double u = sce_uniform_deviate(s.ctx);
    const double g = npg + 0.5;
    return 1 + static_cast<int>(g - std::sqrt(g * g - npg * (npg + 1.0) * u));
}

void sce_cce(search& s, int igs)
{
    sce_ctx& ctx = s.ctx;
    const int npg = ctx.npg;
    const int nps = ctx.nps;
    point_set cx;
    cx.resize(npg, s.nopt);
    for (int k = 1; k <= npg; ++k)
        cx.copy_point(k, s.pop, igs + (k - 1) * s.ngs);
    std::vector<int> lcs(static_cast<std::size_t>(nps) + 1, 0);
    point_set sub;
    sub.resize(nps, s.nopt);
    for (int loop = 1; loop <= ctx.nspl; ++loop) {
        if (nps == npg) {
            for (int k = 1; k <= nps; ++k)
                lcs[static_cast<std::size_t>(k)] = k;
        } else {
            lcs[1] = draw_position(s, npg);
            for (int k = 2; k <= nps; ++k) {
                int pos;
                bool taken;
                do {
                    pos = draw_position(s, npg);
                    taken = std::find(lcs.begin() + 1, lcs.begin() + k, pos) != lcs.begin() + k;
                } while (taken);
                lcs[static_cast<std::size_t>(k)] = pos;
            }
            sce_sort_ints(lcs, nps);
        }
        for (int k = 1; k <= nps; ++k)
            sub.copy_point(k, cx, lcs[static_cast<std::size_t>(k)]);
        sce_cce_step(s, sub, nps);
        for (int k = 1; k <= nps; ++k)
            cx.copy_point(lcs[static_cast<std::size_t>(k)], sub, k);
        sce_sort_population(cx, npg);
    }
    for (int k = 1; k <= npg; ++k)
        s.pop.copy_point(igs + (k - 1) * s.ngs, cx, k);
}

// From ngs complexes to ngs - 1: the last complex's points are dropped and
// the population stays sorted.
void sce_drop_complex(search& s)
{
    const int npg = s.ctx.npg;
    const int old_ngs = s.ngs;
    const int new_ngs = old_ngs - 1;
    point_set work;
    work.resize(npg * new_ngs, s.nopt);
    for (int igs = 1; igs <= new_ngs; ++igs)
        for (int p = 1; p <= npg; ++p)
            work.copy_point((p - 1) * new_ngs + igs, s.pop, (p - 1) * old_ngs + igs);
    s.ngs = new_ngs;
    s.npt = npg * new_ngs;
    for (int i = 1; i <= s.npt; ++i)
        s.pop.copy_point(i, work, i);
}

void write_loop_report(search& s, int loop, double best, double worst)
{
    sce_ctx& ctx = s.ctx;
    std::FILE* f = ctx.out_file.fp;
    if (!f)
        return;
    const int nopt = s.nopt;
    std::fprintf(f, "%5d %5d   %5d %10.3lf %10.3lf %10.3lf\n", loop, s.icall, s.ngs, best, worst, s.gnrng);
    for (int j = 1; j <= std::min(nopt, 8); ++j)
        std::fprintf(f, "%10.3lf ", ctx.bestx[static_cast<std::size_t>(j)]);
    std::fprintf(f, "\n");
    if (nopt > 8) {
        for (int j = 9; j <= nopt; ++j)
            std::fprintf(f, "%10.3lf ", ctx.bestx[static_cast<std::size_t>(j)]);
        std::fprintf(f, "\n");
    }
    if (ctx.iprint == 1) {
        std::fprintf(f, " POPULATION AT LOOP %d\n", loop);
        for (int i = 1; i <= s.npt; ++i) {
            std::fprintf(f, "%10.5lf ", s.pop.f[static_cast<std::size_t>(i)]);
            for (int j = 1; j <= std::min(nopt, 8); ++j)
                std::fprintf(f, "%10.5lf ", s.pop.row(i)[j]);
            std::fprintf(f, "\n");
            if (nopt > 8) {
                for (int j = 9; j <= nopt; ++j)
                    std::fprintf(f, "%10.3lf ", s.pop.row(i)[j]);
                std::fprintf(f, "\n");
            }
        }
    }
    std::fflush(f);
}

void sort_and_measure(search& s)
{
    sce_sort_population(s.pop, s.npt);
    std::copy(s.pop.row(1), s.pop.row(1) + s.nopt + 1, s.ctx.bestx.begin());
    s.ctx.bestx[0] = 0.0;
    sce_population_stats(s);
}

} // namespace

int SCEUA(sce_ctx& ctx)
{
    if (!ctx.input_ok || !ctx.trial) {
        std::printf("Error: unable to successufully setup SCE-UA. Unable to run.\n");
        return -1;
    }
    std::printf(" ENTER THE SCEUA SUBROUTINE --- \n");
    std::FILE* out = ctx.out_file.fp;
    if (out)
        std::fprintf(out, "ENTER THE SHUFFLED COMPLEX EVOLUTION GLOBAL SEARCH\n");

    search s(ctx);
    ctx.idum = ctx.iseed < 0 ? ctx.iseed : -ctx.iseed;
    std::printf(" ***  Evolution Loop Number %d\n", 0);
    if (ctx.maxn < s.npt) {
        std::printf(
            "Error: maximum number of function calls is less than the number of points in the initial "
            "population\n");
        std::printf("Increase the number of function calls to at least %d\n", s.npt);
        return -1;
    }
    const auto slots = static_cast<std::size_t>(s.nopt) + 1;
    s.bound.assign(slots, 0.0);
    s.unit.assign(slots, 1.0);
    s.spread.assign(slots, 0.0);
    for (std::size_t j = 1; j < slots; ++j)
        s.bound[j] = ctx.upper[j] - ctx.lower[j];
    ctx.bestx.assign(slots, 0.0);
    ctx.stat_max.assign(slots, 0.0);
    ctx.stat_min.assign(slots, 0.0);
    ctx.stat_mean.assign(slots, 0.0);

    s.pop.resize(s.npt, s.nopt);
    for (int i = 1; i <= s.npt; ++i) {
        double* x = s.pop.row(i);
        if (i == 1 && ctx.iniflg == 1)
            std::copy(ctx.initial.begin() + 1, ctx.initial.end(), x + 1);
        else
            sce_get_point(s, uniform_point, s.unit, ctx.lower.data(), x);
        s.pop.f[static_cast<std::size_t>(i)] = ctx.trial(ctx, x);
        ++s.icall;
    }
    sce_log_population(s);
    sort_and_measure(s);

    double history[21] = {};
    if (s.icall < ctx.maxn && s.gnrng > 0.001) {
        for (int loop = 1;; ++loop) {
            std::printf(" ***  Evolution Loop Number %d\n", loop);
            for (int igs = 1; igs <= s.ngs; ++igs)
                sce_cce(s, igs);
            sort_and_measure(s);
            const double best = s.pop.f[1];
            const double worst = s.pop.f[static_cast<std::size_t>(s.npt)];
            write_loop_report(s, loop, best, worst);
            if (s.icall >= ctx.maxn) {
                std::printf(" *** OPTIMIZATION SEARCH TERMINATED BECAUSE THE LIMIT ON THE\n");
                std::printf(" MAXIMUM NUMBER OF TRIALS %d EXCEEDED.  SEARCH WAS STOPPED AT\n", ctx.maxn);
                std::printf(" SUB-COMPLEX %d OF COMPLEX %d IN SHUFFLING LOOP %d ***\n", 0, s.ngs + 1, loop);
                break;
            }
            history[20] = best;
            if (loop >= ctx.kstop + 1) {
                const double h = history[20 - ctx.kstop];
                if (ctx.pcento > std::fabs(h - best) / (std::fabs(h + best) * 0.5)) {
                    if (out) {
                        std::fprintf(out,
                                     " *** OPTIMIZATION TERMINATED BECAUSE THE CRITERION VALUE HAS NOT\n");
                        std::fprintf(out, " CHANGED %5.2lf PERCENT IN %5d SHUFFLING LOOPS ***\n",
                                     ctx.pcento * 100.0, ctx.kstop);
                    }
                    break;
                }
            }
            for (int k = 1; k <= 19; ++k)
                history[k] = history[k + 1];
            if (s.gnrng <= 0.001) {
                if (out) {
                    std::fprintf(out,
                                 " *** OPTIMIZATION TERMINATED BECAUSE THE POPULATION HAS CONVERGED INTO\n");
                    std::fprintf(out, "    %5.2lf PERCENT OF THE FEASIBLE SPACE ***\n", s.gnrng * 100.0);
                }
                break;
            }
            if (ctx.mings < s.ngs)
                sce_drop_complex(s);
        }
    }
    if (out) {
        std::fprintf(out, " *** PRINT THE FINAL PARAMETER ESTIMATE AND ITS CRITERION VALUE ***\n");
        std::fprintf(out, "%lf ", s.pop.f[1]);
        for (int j = 1; j <= s.nopt; ++j)
            std::fprintf(out, "%le ", ctx.bestx[static_cast<std::size_t>(j)]);
        std::fprintf(out, "\n");
        std::fflush(out);
    }
    return s.icall - 1;
}
