#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "slm_record_reading.h"
#include "support/example_variant.h"
#include "support/test_support.h"

namespace
{

namespace fs = std::filesystem;
using slm_test::numbers;
using namespace torva_test;

void copy_example(const scratch_dir& dir)
{
    for (const auto& entry : fs::directory_iterator(std::string(TORVA_EXAMPLES) + "/slm"))
        fs::copy_file(entry.path(), fs::path(dir.path()) / entry.path().filename());
}

int run_in(const scratch_dir& dir, const std::string& args, std::string& out)
{
    return torva_test::run_command("cd '" + dir.path() + "' && '" + torva_test::torva_exe() + "' " + args,
                                   out);
}

// The optimised values of the record's result rows that begin with word.
std::vector<double> optimised(const std::string& rec, const std::string& word)
{
    std::vector<double> found;
    const std::string key = "\t" + word + "\t";
    for (std::size_t at = rec.find(key); at != std::string::npos; at = rec.find(key, at + 1))
        found.push_back(numbers(rec.substr(at + key.size(), rec.find('\n', at) - at - key.size())).at(1));
    return found;
}

// Refusals come before any model run: no values file is written.
const torva_test::refusal_checks before_any_run = {{}, {}, {"values.in"}};

} // namespace

// Multistart on the plane of the toolbox example ("ms.in" of the example):
// the search with the lowest phi finds Manning n = 0.05 within 1 %, and a
// second run with the same "ms.in" writes the same seeds, samples and record.
TEST(MultistartExample, BestSearchRecoversTheRoughnessAndRepeats)
{
    scratch_dir dir("ms_example");
    copy_example(dir);
    std::string out;
    ASSERT_EQ(run_in(dir, "-ms case.pst", out), 0) << out;
    const std::string rec = read_file(dir.file("slm_vbq_ms1.rec"));
    const std::vector<double> n = optimised(rec, "n");
    const std::vector<double> phi = optimised(rec, "total");
    ASSERT_EQ(n.size(), 2u) << rec;
    ASSERT_EQ(phi.size(), 2u) << rec;
    const std::size_t best = phi[0] <= phi[1] ? 0 : 1;
    EXPECT_NEAR(n[best], 0.05, 0.05 * 0.01) << rec;
    EXPECT_NE(rec.find(" Results of YQ inversion run number 2 --->"), std::string::npos);
    const std::string prn = read_file(dir.file("parameters.prn"));
    const std::string seeds = read_file(dir.file("RandomNumberSeeds.prn"));
    EXPECT_EQ(numbers(prn).size(), 2u);
    EXPECT_EQ(numbers(seeds).size(), 2u);

    ASSERT_EQ(run_in(dir, "-ms case.pst", out), 0) << out;
    EXPECT_EQ(read_file(dir.file("parameters.prn")), prn);
    EXPECT_EQ(read_file(dir.file("RandomNumberSeeds.prn")), seeds);
    EXPECT_EQ(read_file(dir.file("slm_vbq_ms1.rec")), rec);
}

TEST(MultistartExample, RefusalsEndWithStatusOneBeforeAnyRun)
{
    expect_variants(
        {
            {"no ms.in",
             "slm",
             "-ms case.pst",
             {removed("ms.in")},
             {"Cannot open the file ms.in in the working folder.\n"}},
            {"a word in ms.in",
             "slm",
             "-ms case.pst",
             {{"ms.in", whole("4711 two")}},
             {"Error in file ms.in, item 2 (pre-inversion runs) \"two\": is not a number.\n"}},
            {"restart",
             "slm",
             "-ms case.pst /r",
             {{"ms.in", whole("4711 2")}},
             {"The restart switch /r cannot be used with multistart: a global search cannot be resumed.\n"}},
        },
        before_any_run);
}

// Trajectory repulsion on the plane ("tr.in" of the example): the best search of the summary finds
// n = 0.05 within 1 %; the seeds written with "Y" and read back with "N"
// repeat the record.
TEST(TrajrepExample, BestSearchRecoversTheRoughnessAndSeedsRepeatIt)
{
    scratch_dir dir("tr_example");
    copy_example(dir);
    std::string out;
    ASSERT_EQ(run_in(dir, "-tr case.pst", out), 0) << out;
    const std::string rec = read_file(dir.file("slm_vbq_ms2.rec"));
    const std::vector<double> n = optimised(rec, "n");
    const std::vector<double> phi = optimised(rec, "total");
    ASSERT_FALSE(n.empty()) << rec;
    ASSERT_EQ(n.size(), phi.size());
    const std::string key = "This value was obtained from inversion run number ";
    const std::size_t at = rec.find(key);
    ASSERT_NE(at, std::string::npos) << rec;
    const int best = std::atoi(rec.c_str() + at + key.size());
    ASSERT_GE(best, 1);
    ASSERT_LE(best, int(n.size()));
    EXPECT_NEAR(n[best - 1], 0.05, 0.05 * 0.01) << rec;
    for (double v : phi)
        EXPECT_GE(v, phi[best - 1]);
    EXPECT_EQ(numbers(read_file(dir.file("RandomNumberSeeds.prn"))).size(), 3u);

    write_file(dir.file("tr.in"), "N 1 3 2 5 0.01\n");
    ASSERT_EQ(run_in(dir, "-tr case.pst", out), 0) << out;
    std::string again = read_file(dir.file("slm_vbq_ms2.rec"));
    // Only the seed item of the heading differs.
    const std::string seed_line = "Input unsigned long random seed                             : ";
    again.replace(again.find(seed_line) + seed_line.size(), 1, "4711");
    EXPECT_EQ(again, rec);
}

TEST(TrajrepExample, RefusalsEndWithStatusOneBeforeAnyRun)
{
    const std::string seeds = "RandomNumberSeeds.prn";
    expect_variants(
        {
            {"no tr.in",
             "slm",
             "-tr case.pst",
             {removed("tr.in")},
             {"Cannot open the file tr.in in the working folder.\n"}},
            {"no seed file",
             "slm",
             "-tr case.pst",
             {{"tr.in", whole("N 1 3 2 5 0.01")}},
             {"The seed choice is N, but there is no seed file RandomNumberSeeds.prn to read the seeds "
              "from.\n"}},
            {"too few seeds",
             "slm",
             "-tr case.pst",
             {{"tr.in", whole("N 1 3 2 5 0.01")}, {seeds, whole("-5\n-6\n")}},
             {"The seed file RandomNumberSeeds.prn holds 2 seeds, fewer than the 3 samples to be drawn.\n"}},
            {"no inversions",
             "slm",
             "-tr case.pst",
             {{"tr.in", whole("Y 1 3 0 5 0.01")}},
             {"Error in file tr.in, item 4 (maximum inversions) \"0\": must lie in [1, 1000000].\n"}},
            {"seed choice in lower case",
             "slm",
             "-tr case.pst",
             {{"tr.in", whole("y 1 3 2 5 0.01")}},
             {"Error in file tr.in, item 1 (seed choice) \"y\": must be Y or N.\n"}},
        },
        before_any_run);
}

// MLSL on the plane ("mlsl.in" of the example): the summary's best phi is
// that of the best result block, whose n is 0.05 within 1 %; the record
// names a stop reason; the seeds written with "Y" and read back with "N"
// repeat the record.
TEST(MlslExample, BestSearchRecoversTheRoughnessAndSeedsRepeatIt)
{
    scratch_dir dir("mlsl_example");
    copy_example(dir);
    std::string out;
    ASSERT_EQ(run_in(dir, "-mlsl case.pst", out), 0) << out;
    const std::string rec = read_file(dir.file("slm_vbq_mlsl.rec"));
    const std::vector<double> n = optimised(rec, "n");
    const std::vector<double> phi = optimised(rec, "total");
    ASSERT_FALSE(n.empty()) << rec;
    ASSERT_EQ(n.size(), phi.size());
    std::size_t best = 0;
    for (std::size_t b = 1; b < phi.size(); ++b)
        if (phi[b] < phi[best])
            best = b;
    EXPECT_NEAR(n[best], 0.05, 0.05 * 0.01) << rec;
    const std::string key = "The global search process yielded a total objective function value of ";
    const std::size_t at = rec.find(key);
    ASSERT_NE(at, std::string::npos) << rec;
    EXPECT_NEAR(std::atof(rec.c_str() + at + key.size()), phi[best], 1e-6);
    const std::size_t reason = rec.find("\nStopped because ", at);
    ASSERT_NE(reason, std::string::npos) << rec;
    EXPECT_EQ(rec.find("\n\n", reason + 1), rec.size() - 2) << "the stop reason ends the record";
    const std::string seeds = read_file(dir.file("RandomNumberSeeds.prn"));
    const std::string sampled = "Sampling Phase: Iteration ";
    std::size_t iterations = 0;
    for (std::size_t p = rec.find(sampled); p != std::string::npos; p = rec.find(sampled, p + 1))
        ++iterations;
    EXPECT_EQ(numbers(seeds).size(), 4 * iterations);

    write_file(dir.file("mlsl.in"), "4 0.5 2.0 0.01 N 1 3 4 2 2 0.01\n");
    ASSERT_EQ(run_in(dir, "-mlsl case.pst", out), 0) << out;
    std::string again = read_file(dir.file("slm_vbq_mlsl.rec"));
    const std::string seed_line = "Input unsigned long random seed                             : ";
    again.replace(again.find(seed_line) + seed_line.size(), 1, "4711");
    EXPECT_EQ(again, rec);
}

TEST(MlslExample, RefusalsEndWithStatusOneBeforeAnyRun)
{
    const std::string seeds = "RandomNumberSeeds.prn";
    const auto mlsl = [](const char* label, const char* mlsl_in, const char* args, const char* message,
                         const file_edits& more = {}) {
        file_edits edits = {{"mlsl.in", whole(mlsl_in)}};
        edits.insert(edits.end(), more.begin(), more.end());
        return example_variant{label, "slm", args, edits, {message}};
    };
    expect_variants(
        {
            {"no mlsl.in",
             "slm",
             "-mlsl case.pst",
             {removed("mlsl.in")},
             {"Cannot open the file mlsl.in in the working folder.\n"}},
            mlsl("gamma above 1", "4 1.5 2.0 0.01 Y 4711 3 4 2 2 0.01", "-mlsl case.pst",
                 "Error in file mlsl.in, item 2 (gamma) \"1.5\": must lie in [0, 1].\n"),
            mlsl("an item missing", "4 0.5 2.0 0.01 Y 4711 3 4 2 2", "-mlsl case.pst",
                 "Error in file mlsl.in: item 11 (negligible fraction) is missing.\n"),
            mlsl("seed choice in lower case", "4 0.5 2.0 0.01 y 4711 3 4 2 2 0.01", "-mlsl case.pst",
                 "Error in file mlsl.in, item 5 (seed choice) \"y\": must be Y or N.\n"),
            mlsl("no seed file", "4 0.5 2.0 0.01 N 4711 3 4 2 2 0.01", "-mlsl case.pst",
                 "The seed choice is N, but there is no seed file RandomNumberSeeds.prn to read the seeds "
                 "from.\n"),
            mlsl(
                "a word for a seed", "4 0.5 2.0 0.01 N 4711 3 4 2 2 0.01", "-mlsl case.pst",
                "Error in the seed file RandomNumberSeeds.prn, line 3: the seed \"seven\" is not a number.\n",
                {{seeds, whole("-5\n-6\nseven\n")}}),
            mlsl("too few seeds", "4 0.5 2.0 0.01 N 4711 3 4 2 2 0.01", "-mlsl case.pst",
                 "The seed file RandomNumberSeeds.prn holds 2 seeds, fewer than the 4 samples to be drawn.\n",
                 {{seeds, whole("-5\n-6\n")}}),
            mlsl("tables beyond the stated limit", "400000 0.5 2.0 0.01 Y 4711 30000 4 2 2 0.01",
                 "-mlsl case.pst",
                 "Error in file mlsl.in: the MLSL tables of 12000000000 samples and 4 local searches of up "
                 "to 31 "
                 "points over 1 parameters would hold 48000000248 values, more than the 67108864 a strategy "
                 "may hold.\n"),
            mlsl("restart", "4 0.5 2.0 0.01 Y 4711 3 4 2 2 0.01", "-mlsl case.pst /r",
                 "The restart switch /r cannot be used with MLSL: a global search cannot be resumed.\n"),
        },
        before_any_run);
}

// An adjustable parameter with equal bounds has no range for the
// distances: every strategy refuses it before any run.
TEST(GlobalExamples, EqualBoundsAreRefusedByEveryStrategy)
{
    const file_edits equal_bounds = {
        {"case.pst", replaced("n log factor 0.1 0.01 0.5 ", "n log factor 0.1 0.1 0.1 ")}};
    const std::string message = "Parameter n has equal lower and upper bounds;";
    expect_variants(
        {
            {"MLSL", "slm", "-mlsl case.pst", equal_bounds, {message}},
            {"multistart", "slm", "-ms case.pst", equal_bounds, {message}},
            {"trajectory repulsion", "slm", "-tr case.pst", equal_bounds, {message}},
        },
        before_any_run);
}
