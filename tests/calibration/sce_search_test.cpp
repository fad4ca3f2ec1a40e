#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "calibration/sce_ctx.h"
#include "core/file_rec.h"
#include "support/test_support.h"

namespace
{

std::vector<std::vector<double>> trials_seen;

double goldstein_price(sce_ctx&, const double* x)
{
    trials_seen.push_back({x[1], x[2]});
    const double a = x[1], b = x[2];
    const double t1 =
        1 + (a + b + 1) * (a + b + 1) * (19 - 14 * a + 3 * a * a - 14 * b + 6 * a * b + 3 * b * b);
    const double t2 = 30 + (2 * a - 3 * b) * (2 * a - 3 * b) *
                               (18 - 32 * a + 12 * a * a + 48 * b - 36 * a * b + 27 * b * b);
    return t1 * t2;
}

double rosenbrock(sce_ctx&, const double* x)
{
    trials_seen.push_back({x[1], x[2]});
    return 100 * (x[2] - x[1] * x[1]) * (x[2] - x[1] * x[1]) + (1 - x[1]) * (1 - x[1]);
}

// A context ready to search: defaults for nopt parameters in the box.
void prepare(sce_ctx& ctx, sce_trial_fn fn, int nopt, double lo, double hi, int ngs, int maxn)
{
    ctx.trial = fn;
    ctx.nopt = nopt;
    ctx.maxn = maxn;
    ctx.kstop = 5;
    ctx.pcento = 1e-4;
    ctx.ngs = ngs;
    ctx.iseed = 1969;
    ctx.ideflt = 0;
    ctx.initial.assign(static_cast<std::size_t>(nopt) + 1, 0.0);
    ctx.lower.assign(static_cast<std::size_t>(nopt) + 1, lo);
    ctx.upper.assign(static_cast<std::size_t>(nopt) + 1, hi);
    ctx.log_off = 1;
    sce_check_settings(ctx);
    ctx.input_ok = 1;
}

int search_quietly(sce_ctx& ctx)
{
    trials_seen.clear();
    testing::internal::CaptureStdout();
    const int r = SCEUA(ctx);
    testing::internal::GetCapturedStdout();
    return r;
}

TEST(SceSearch, FindsGoldsteinPriceMinimum)
{
    sce_ctx ctx;
    prepare(ctx, goldstein_price, 2, -2.0, 2.0, 2, 5000);
    const int r = search_quietly(ctx);
    EXPECT_EQ(r, static_cast<int>(trials_seen.size()));
    EXPECT_LT(r, 1500);
    EXPECT_NEAR(ctx.bestx[1], 0.0, 1e-2);
    EXPECT_NEAR(ctx.bestx[2], -1.0, 1e-2);
    sce_ctx probe;
    double x[3] = {0, ctx.bestx[1], ctx.bestx[2]};
    EXPECT_NEAR(goldstein_price(probe, x), 3.0, 1e-2);
}

TEST(SceSearch, FindsRosenbrockMinimum)
{
    sce_ctx ctx;
    prepare(ctx, rosenbrock, 2, -5.0, 5.0, 4, 10000);
    const int r = search_quietly(ctx);
    EXPECT_LT(r, 5000);
    EXPECT_NEAR(ctx.bestx[1], 1.0, 2e-2);
    EXPECT_NEAR(ctx.bestx[2], 1.0, 4e-2);
}

TEST(SceSearch, SameSeedGivesSameTrialsAndInitialPointComesFirst)
{
    sce_ctx a;
    prepare(a, rosenbrock, 2, -5.0, 5.0, 2, 300);
    a.iniflg = 1;
    a.initial = {0.0, 0.25, -0.75};
    search_quietly(a);
    const auto first = trials_seen;
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0], (std::vector<double>{0.25, -0.75}));
    sce_ctx b;
    prepare(b, rosenbrock, 2, -5.0, 5.0, 2, 300);
    b.iniflg = 1;
    b.initial = a.initial;
    search_quietly(b);
    EXPECT_EQ(trials_seen, first);
    for (const auto& x : first)
        for (double v : x) {
            EXPECT_GE(v, -5.0);
            EXPECT_LE(v, 5.0);
        }
}

TEST(SceSearch, TrialLimitAtPopulationSize)
{
    for (int extra : {0, 1}) {
        sce_ctx ctx;
        prepare(ctx, rosenbrock, 2, -5.0, 5.0, 2, 0);
        ctx.maxn = ctx.ngs * ctx.npg + extra; // 10 or 11
        EXPECT_EQ(search_quietly(ctx), 10);
        EXPECT_EQ(trials_seen.size(), 10u);
    }
    sce_ctx ctx;
    prepare(ctx, rosenbrock, 2, -5.0, 5.0, 2, 9);
    trials_seen.clear();
    testing::internal::CaptureStdout();
    EXPECT_EQ(SCEUA(ctx), -1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Error: maximum number of function calls is less than the number of points in the "
                       "initial population\nIncrease the number of function calls to at least 10\n"),
              std::string::npos);
    EXPECT_TRUE(trials_seen.empty());
    sce_ctx unusable;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SCEUA(unusable), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: unable to successufully setup SCE-UA. Unable to run.\n");
}

TEST(SceSearch, StopsAfterOneLoopWithKstopZeroAndDropsComplexes)
{
    torva_test::scratch_dir dir("sce_kstop");
    reset_file_name_globals();
    sce_ctx ctx;
    prepare(ctx, rosenbrock, 2, -5.0, 5.0, 3, 10000);
    ctx.kstop = 0;
    ctx.mings = 1;
    ASSERT_TRUE(file_rec_open(ctx.out_file, dir.file("sce_output.out"), "w"));
    const int r = search_quietly(ctx);
    file_rec_close(ctx.out_file);
    const std::string out = torva_test::read_file(dir.file("sce_output.out"));
    EXPECT_NE(
        out.find(" *** OPTIMIZATION TERMINATED BECAUSE THE CRITERION VALUE HAS NOT\n CHANGED  0.01 PERCENT "
                 "IN     0 SHUFFLING LOOPS ***\n"),
        std::string::npos)
        << out;
    // One loop: 15 initial trials, 3 complexes x 5 steps of 1 to 3 trials.
    EXPECT_GE(r, 15 + 15);
    EXPECT_LE(r, 15 + 45);
    EXPECT_EQ(out.rfind("ENTER THE SHUFFLED COMPLEX EVOLUTION GLOBAL SEARCH\n", 0), 0u);
    EXPECT_NE(out.find("\n *** PRINT THE FINAL PARAMETER ESTIMATE AND ITS CRITERION VALUE ***\n"),
              std::string::npos);

    // kstop 5: loops run on, one complex fewer each loop down to mings.
    sce_ctx more;
    prepare(more, rosenbrock, 2, -5.0, 5.0, 3, 10000);
    more.mings = 1;
    more.pcento = 0.0;
    ASSERT_TRUE(file_rec_open(more.out_file, dir.file("more.out"), "w"));
    search_quietly(more);
    file_rec_close(more.out_file);
    const std::string loops = torva_test::read_file(dir.file("more.out"));
    // Complex counts of loops 1, 2 and 3 in the loop reports.
    int ngs1 = 0, ngs2 = 0, ngs3 = 0, loop = 0, calls = 0;
    std::size_t at = loops.find('\n') + 1;
    std::sscanf(loops.c_str() + at, "%d %d %d", &loop, &calls, &ngs1);
    at = loops.find('\n', loops.find('\n', at) + 1) + 1;
    std::sscanf(loops.c_str() + at, "%d %d %d", &loop, &calls, &ngs2);
    at = loops.find('\n', loops.find('\n', at) + 1) + 1;
    std::sscanf(loops.c_str() + at, "%d %d %d", &loop, &calls, &ngs3);
    EXPECT_EQ(ngs1, 3);
    EXPECT_EQ(ngs2, 2);
    EXPECT_EQ(ngs3, 1);
    EXPECT_EQ(loop, 3);
}

struct settings_case {
    const char* name;
    int ideflt, nopt, ngs, kstop, npg, nps, nspl, mings;
    int result;
    int ngs_after, kstop_after, npg_after, nps_after, nspl_after, mings_after;
    const char* screen;
};

TEST(SceSettings, RulesApplyInOrderWithTheirMessages)
{
    const settings_case cases[] = {
        {"defaults", 0, 3, 2, 5, 0, 0, 0, 0, 0, 2, 5, 7, 4, 7, 2, ""},
        {"kstop 0 stands", 1, 2, 2, 0, 5, 3, 5, 2, 0, 2, 0, 5, 3, 5, 2, ""},
        {"kstop 19 stands", 1, 2, 2, 19, 5, 3, 5, 2, 0, 2, 19, 5, 3, 5, 2, ""},
        {"kstop 20", 1, 2, 2, 20, 5, 3, 5, 2, 1, 2, 5, 5, 3, 5, 2,
         " **WARNING** THE NUMBER OF SHUFFLING LOOPS IN WHICH THE CRITERION VALUE\n"
         " MUST CHANGE SHOULD BE GREATER THAN 0 AND LESS THAN 10. kstop = 20 WAS\n"
         " WAS SPECIFIED.  BUT kstop = 5 WILL BE USED INSTEAD.\n"
         " *** TOTAL NUMBER OF WARNING MESSAGES IS 1\n"},
        {"kstop -1", 1, 2, 2, -1, 5, 3, 5, 2, 1, 2, 5, 5, 3, 5, 2,
         " **WARNING** THE NUMBER OF SHUFFLING LOOPS IN WHICH THE CRITERION VALUE\n"
         " MUST CHANGE SHOULD BE GREATER THAN 0 AND LESS THAN 10. kstop = -1 WAS\n"
         " WAS SPECIFIED.  BUT kstop = 5 WILL BE USED INSTEAD.\n"
         " *** TOTAL NUMBER OF WARNING MESSAGES IS 1\n"},
        {"ngs 1319", 1, 2, 1319, 5, 2, 2, 5, 1, 2, 2, 5, 5, 3, 5, 1,
         " **WARNING** THE NUMBER OF POINTS IN A COMPLEX 2 IS NOT\n"
         " A VALID CHOICE, SET IT TO DEFAULT\n"
         " **WARNING** THE NUMBER OF POINTS IN INITIAL POPULATION 6595 EXCEED\n"
         " THE POPULATION LIMIT.  SET NGS TO 2, AND NPG, NPS AND NSPL TO DEFAULTS\n"
         " *** TOTAL NUMBER OF WARNING MESSAGES IS 2\n"},
        {"ngs 1320", 1, 2, 1320, 5, 2, 2, 5, 1, -1, 1320, 5, 2, 2, 5, 1,
         " **ERROR** NUMBER OF COMPLEXES IN INITIAL POPULATION 1320 IS NOT A VALID CHOICE\n"},
        {"ngs 0", 0, 2, 0, 5, 2, 2, 5, 1, -1, 0, 5, 5, 3, 5, 0,
         " **ERROR** NUMBER OF COMPLEXES IN INITIAL POPULATION 0 IS NOT A VALID CHOICE\n"},
        {"nps 51 with npg 60", 1, 2, 2, 5, 60, 51, 5, 2, 1, 2, 5, 60, 3, 5, 2,
         " **WARNING** THE NUMBER OF POINTS IN A SUB-COMPLEX 51 IS NOT\n"
         " A VALID CHOICE, SET IT TO DEFAULT\n"
         " *** TOTAL NUMBER OF WARNING MESSAGES IS 1\n"},
        {"mings, npg, nps and nspl", 1, 2, 2, 5, 1, 1, 0, 3, 4, 2, 5, 5, 3, 5, 2,
         " **WARNING** THE MINIMUM NUMBER OF COMPLEXES 3 IS NOT A VALID CHOICE.\n"
         " SET IT TO DEFAULT\n"
         " **WARNING** THE NUMBER OF POINTS IN A COMPLEX 1 IS NOT\n"
         " A VALID CHOICE, SET IT TO DEFAULT\n"
         " **WARNING** THE NUMBER OF POINTS IN A SUB-COMPLEX 1 IS NOT\n"
         " A VALID CHOICE, SET IT TO DEFAULT\n"
         " **WARNING** THE NUMBER OF EVOLUTION STEPS TAKEN IN EACH COMPLEX\n"
         " BEFORE SHUFFLING 0 IS NOT A VALID CHOICE, SET IT TO DEFAULT\n"
         " *** TOTAL NUMBER OF WARNING MESSAGES IS 4\n"},
    };
    for (const settings_case& c : cases) {
        sce_ctx ctx;
        ctx.ideflt = c.ideflt;
        ctx.nopt = c.nopt;
        ctx.ngs = c.ngs;
        ctx.kstop = c.kstop;
        ctx.npg = c.npg;
        ctx.nps = c.nps;
        ctx.nspl = c.nspl;
        ctx.mings = c.mings;
        ctx.iniflg = ctx.iprint = 1;
        testing::internal::CaptureStdout();
        const int result = sce_check_settings(ctx);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.screen) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(ctx.ngs, c.ngs_after) << c.name;
        EXPECT_EQ(ctx.kstop, c.kstop_after) << c.name;
        EXPECT_EQ(ctx.npg, c.npg_after) << c.name;
        EXPECT_EQ(ctx.nps, c.nps_after) << c.name;
        EXPECT_EQ(ctx.nspl, c.nspl_after) << c.name;
        EXPECT_EQ(ctx.mings, c.mings_after) << c.name;
        EXPECT_EQ(ctx.iniflg, c.ideflt) << c.name; // defaults clear it
    }
}

} // namespace
