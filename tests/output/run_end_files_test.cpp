// The files a run leaves behind: a storm stopped before its rain ends
// writes overland and channel hotstarts that a second run starts from, with
// the first run's remaining volumes as its initial ones; the hotstart grids
// open in GDAL; failed opens and writes name their file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "output/output_steps.h"
#include "output/summary_fixture.h"
#include "support/test_support.h"

using namespace torva_test;
using summary_test::holds;

namespace
{

double value_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no line \"" << label << "\"";
        return NAN;
    }
    return std::strtod(text.c_str() + at + label.size(), nullptr);
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

// Copies the hotstart example into the folder.
void copy_hotstart_example(const scratch_dir& dir)
{
    for (const char* f : {"storm.prj", "restart.prj", "channel.msk", "channel.ele", "channel.chn",
                          "channel.gst", "channel.hyd"})
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/hotstart/" + f));
}

int run_in(const scratch_dir& dir, const std::string& project, std::string& out)
{
    return run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' " + project + " 2>&1", out);
}

bool gdal_available()
{
    std::string out;
    return run_command("command -v gdalinfo >/dev/null 2>&1", out) == 0;
}

} // namespace

TEST(RunEndFiles, StormHotstartsRestartTheNextRunWhereItStopped)
{
    scratch_dir dir("hotstart_example");
    copy_hotstart_example(dir);
    std::string out;
    ASSERT_EQ(run_in(dir, "storm.prj", out), 0) << out;
    const std::string storm = read_file(dir.file("storm.sum"));
    const double surface = value_after(storm, "Final volume on surface=");
    const double channel = value_after(storm, "Final volume in channels=");
    ASSERT_GT(surface, 1.0) << "the storm must leave water on the plane";
    ASSERT_GT(channel, 0.1) << "and in the channel";

    // One line per node of the one five-node link; depth lines end in a blank.
    const std::vector<std::string> dht = lines_of(read_file(dir.file("storm.dht")));
    const std::vector<std::string> qht = lines_of(read_file(dir.file("storm.qht")));
    ASSERT_EQ(dht.size(), 5u);
    ASSERT_EQ(qht.size(), 5u);
    for (int n = 1; n <= 5; ++n) {
        const std::string head = std::to_string(n) + " 1 ";
        EXPECT_EQ(dht[n - 1].rfind(head, 0), 0u) << dht[n - 1];
        EXPECT_EQ(dht[n - 1].back(), ' ') << dht[n - 1];
        EXPECT_EQ(qht[n - 1].rfind(head, 0), 0u) << qht[n - 1];
        EXPECT_NE(qht[n - 1].back(), ' ') << qht[n - 1];
    }
    // The overland hotstart is the model's own grid layout.
    const std::string ovh = read_file(dir.file("storm.ovh"));
    EXPECT_EQ(ovh.rfind("north: ", 0), 0u) << ovh;
    EXPECT_EQ(lines_of(ovh).size(), 6u + 3u);

    ASSERT_EQ(run_in(dir, "restart.prj", out), 0) << out;
    const std::string restart = read_file(dir.file("restart.sum"));
    // Depths and stages are written with six decimals: 1e-6 m over 150 m2 of
    // plane and the channel's top width.
    EXPECT_NEAR(value_after(restart, "Initial volume on surface="), surface, 0.01);
    EXPECT_NEAR(value_after(restart, "Initial volume in channels="), channel, 0.01);

    if (!gdal_available())
        GTEST_SKIP() << "gdalinfo is not installed; the grid layouts were checked above";
    std::string info;
    ASSERT_EQ(run_command("gdalinfo '" + dir.file("storm.ovh") + "' 2>&1", info), 0) << info;
    EXPECT_TRUE(holds(info, "Size is 5, 3")) << info;
}
