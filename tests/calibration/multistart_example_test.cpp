#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "slm_record_reading.h"
#include "support/test_support.h"

namespace
{

namespace fs = std::filesystem;
using slm_test::numbers;
using torva_test::file_exists;
using torva_test::read_file;
using torva_test::scratch_dir;
using torva_test::write_file;

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

} // namespace

// Multistart on the plane of the toolbox example: the search with the
// lowest phi finds Manning n = 0.05 within 1 %, and a second run with the
// same "ms.in" writes the same seeds, samples and record.
TEST(MultistartExample, BestSearchRecoversTheRoughnessAndRepeats)
{
    scratch_dir dir("ms_example");
    copy_example(dir);
    write_file(dir.file("ms.in"), "4711 2\n");
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

// Refusals come before any model run: no values file is written.
TEST(MultistartExample, RefusalsEndWithStatusOneBeforeAnyRun)
{
    struct {
        const char* ms_in; // nullptr: no file
        const char* args;
        const char* message;
    } cases[] = {
        {nullptr, "-ms case.pst", "Cannot open the file ms.in in the working folder.\n"},
        {"4711 two", "-ms case.pst", "Error in file ms.in, item 2 (pre-inversion runs) \"two\": is not a number.\n"},
        {"4711 2", "-ms case.pst /r",
         "The restart switch /r cannot be used with multistart: a global search cannot be resumed.\n"},
    };
    for (const auto& c : cases) {
        scratch_dir dir("ms_refusal");
        copy_example(dir);
        if (c.ms_in)
            write_file(dir.file("ms.in"), c.ms_in);
        std::string out;
        EXPECT_EQ(run_in(dir, c.args, out), 1) << c.message;
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
        EXPECT_FALSE(file_exists(dir.file("values.in"))) << c.message;
    }
}
