// The companion program's hydrograph file, written from an outlet
// hydrograph and a location hydrograph of 25 output times, against golden
// files made from the layout (ten values a line, a newline before each
// location block).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/arrays.h"
#include "output/output_steps.h"
#include "support/golden_compare.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

constexpr int rows = 25;

struct VksHydrograph : testing::Test {
    scratch_dir dir{"vks"};
    ivec links, nodes;

    void SetUp() override
    {
        std::string outlet, located;
        char line[128];
        for (int i = 1; i <= rows; ++i) {
            std::snprintf(line, sizeof line, "%8.2lf %9.3lf\n", 1.0 * i, 0.125 * i);
            outlet += line;
            std::snprintf(line, sizeof line, "%14.8lf %12.6lf %12.6lf \n", 1.0 * i, 0.01 * i,
                          1.5 + 0.002 * i);
            located += line;
        }
        write_file(dir.file("run.otl"), outlet);
        write_file(dir.file("run.hlo"), located);
        links.assign(2, 1);
        nodes.assign(2, 1);
        nodes[2] = 5;
    }

    // Writes the file with or without the location rows and returns it.
    std::string written(bool with_locations, int count = rows)
    {
        std::FILE* outlet = std::fopen(dir.file("run.otl").c_str(), "r");
        std::FILE* located = with_locations ? std::fopen(dir.file("run.hlo").c_str(), "r") : nullptr;
        std::FILE* out = std::fopen(dir.file("run.vks").c_str(), "w");
        write_vks_hydrograph_file(outlet, out, located, links, nodes, 2, 20000101, 1200, 12, count);
        std::fclose(out);
        std::fclose(outlet);
        if (located)
            std::fclose(located);
        return read_file(dir.file("run.vks"));
    }
};

} // namespace

TEST_F(VksHydrograph, OutletOnlyAndWithLocationsMatchTheirGoldenFiles)
{
    EXPECT_TRUE(matches_golden("vks_hydrograph_outlet.golden", written(false), {}));
    EXPECT_TRUE(matches_golden("vks_hydrograph_locations.golden", written(true), {}));
}

TEST_F(VksHydrograph, AnOutletFileThatEndsEarlyGivesTheValuesItHoldsAndSaysSo)
{
    testing::internal::CaptureStdout();
    const std::string text = written(false, rows + 3);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("the outlet hydrograph holds 25 of the 28 rows"), std::string::npos) << out;
    // The counts still say 28 and the 25 values are all there.
    EXPECT_NE(text.find("\n28\n"), std::string::npos);
    EXPECT_NE(text.find("     3.1250 "), std::string::npos) << text;
}
