// The eroding plane draining into an erodible channel, end to end: every
// class erodes and enters the channel, sand and wash load leave through the
// outlet, the event summary's overland and channel sediment balances
// close, the outlet and location series agree, and one and four threads
// write the same files. With a pond on the ditch, the pond's wash-load
// balance closes too, and pipe inlets take their share of the suspended
// load.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

const std::vector<std::string> channel_files = {
    "erosion_channel.prj", "erosion_channel.ele", "erosion_channel.msk", "erosion_soil.idx",
    "erosion_channel.cmt", "erosion_channel.chn", "erosion_channel.gst", "erosion_channel.slc"};
const std::vector<std::string> lake_files = {"erosion_lake.prj", "erosion_lake.ele",      "erosion_lake.msk",
                                             "erosion_lake.cmt", "erosion_lake_soil.idx", "erosion_lake.chn",
                                             "erosion_lake.gst"};

void run_example(const std::string& folder, int threads, const std::vector<std::string>& files)
{
    for (const std::string& name : files)
        write_file(folder + "/" + name, read_file(std::string(TORVA_EXAMPLES) + "/erosion_channel/" + name));
    std::string out;
    ASSERT_EQ(run_command("cd '" + folder + "' && OMP_NUM_THREADS=" + std::to_string(threads) + " '" +
                              torva_exe() + "' " + files.front() + " 2>&1",
                          out),
              0)
        << out;
}

// The number printed after the label (-1e9 when the label is missing).
double summary_value(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    double v = -1e9;
    if (at != std::string::npos)
        std::sscanf(text.c_str() + at + label.size(), "%lf", &v);
    return v;
}

std::vector<std::vector<double>> rows_of(const std::string& text)
{
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<double> row;
        double v = 0.0;
        while (fields >> v)
            row.push_back(v);
        if (!row.empty())
            rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(ErosionChannelExample, ErodesRoutesThroughTheChannelAndBalances)
{
    scratch_dir one("erosion_channel1");
    scratch_dir four("erosion_channel4");
    run_example(one.path(), 1, channel_files);
    run_example(four.path(), 4, channel_files);
    const std::string sum = read_file(one.file("erosion_channel.sum"));
    for (int c = 1; c <= 3; ++c) {
        const std::string k = std::to_string(c);
        EXPECT_GT(summary_value(sum, "Total sediment " + k + " eroded from surface:"), 1e-4) << sum;
        EXPECT_GT(summary_value(sum, "Total sediment " + k + " transported into channels:"), 0.0) << sum;
        EXPECT_LT(std::fabs(summary_value(sum, "Mass balance error for sediment " + k)), 0.001) << sum;
    }
    EXPECT_GT(summary_value(sum, "Event sand outlet discharge:"), 0.0) << sum;
    EXPECT_GT(summary_value(sum, "Event wash-load outlet discharge:"), 0.0) << sum;
    for (const char* label :
         {"Mass conservation error for wash load:", "Mass conservation error for sand load:"})
        EXPECT_LT(std::fabs(summary_value(sum, label)), 0.001) << label << "\n" << sum;

    // The outlet's sediment rows (two fine classes, the sand class and the
    // bed layer) match the sediment location at the outlet node, 1 5.
    const auto outlet = rows_of(read_file(one.file("erosion_channel.sed")));
    const auto at_node = rows_of(read_file(one.file("erosion_channel.sdl")));
    ASSERT_FALSE(outlet.empty());
    double peak = 0.0;
    for (const auto& row : outlet) {
        ASSERT_EQ(row.size(), 5u);
        peak = std::max(peak, row[1] + row[2] + row[3] + row[4]);
    }
    EXPECT_GT(peak, 0.0);
    ASSERT_FALSE(at_node.empty());
    EXPECT_EQ(at_node.back().size(), 1u + 2u * 4u); // time, then four entries per location

    // The CHAN_SED_FLUX file gives, in cm3/s, the discharge of the three
    // size classes that the location rows give in m3/s (printed to 1e-10).
    const auto located = std::vector<std::vector<double>>(at_node.begin() + 3, at_node.end());
    std::istringstream flux(read_file(one.file("erosion_channel.csf")));
    std::string word;
    std::size_t steps = 0;
    double largest = 0.0;
    while (flux >> word) {
        if (word != "TS")
            continue; // the header
        int number = -1, entries = 0;
        ASSERT_TRUE(flux >> number >> entries);
        ASSERT_EQ(entries, 5);
        double node[6] = {0.0};
        for (int k = 1; k <= 5; ++k) {
            int code = 0;
            ASSERT_TRUE(flux >> code >> node[k]);
        }
        ASSERT_LT(steps, located.size());
        const auto& row = located[steps++];
        const double node3 = 1e6 * (row[1] + row[2] + row[3]), node5 = 1e6 * (row[5] + row[6] + row[7]);
        EXPECT_NEAR(node[3], node3, 2e-4) << "output time " << number;
        EXPECT_NEAR(node[5], node5, 2e-4) << "output time " << number;
        largest = std::max(largest, node5);
    }
    EXPECT_EQ(steps, located.size());
    EXPECT_GT(largest, 1.0);

    for (const char* name : {"erosion_channel.sum", "erosion_channel.sed", "erosion_channel.otl",
                             "erosion_channel.tss", "erosion_channel.sdl", "erosion_channel.csf"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}

TEST(ErosionChannelExample, PondKeepsAndSettlesWhatTheDitchAndSlopesBring)
{
    scratch_dir one("erosion_lake1");
    scratch_dir four("erosion_lake4");
    run_example(one.path(), 1, lake_files);
    run_example(four.path(), 4, lake_files);
    const std::string sum = read_file(one.file("erosion_lake.sum"));
    for (int c = 1; c <= 3; ++c)
        EXPECT_LT(std::fabs(summary_value(sum, "Mass balance error for sediment " + std::to_string(c))),
                  0.001)
            << sum;
    for (const char* label :
         {"Mass conservation error for wash load:", "Mass conservation error for sand load:"})
        EXPECT_LT(std::fabs(summary_value(sum, label)), 0.001) << label << "\n" << sum;
    const double start = summary_value(sum, "Initial vol of SS in lake:");
    const double from_chan = summary_value(sum, "Event vol of SS from chan to lake");
    const double from_land = summary_value(sum, "Event net vol of SS from overland to lake");
    const double to_chan = summary_value(sum, "Event vol of SS from lake to chan");
    const double settled = summary_value(sum, "Event vol of SS settled in lake");
    const double held = summary_value(sum, "Total Suspended Sediment in lake");
    EXPECT_GT(from_chan, 0.0) << sum;
    EXPECT_GT(from_land, 0.0) << sum;
    EXPECT_GT(settled, 0.0) << sum;
    EXPECT_EQ(to_chan, 0.0) << sum; // the pond has no outlet structure
    EXPECT_NEAR(start + from_chan + from_land - to_chan - settled, held, 2e-8) << sum;
    EXPECT_GT(summary_value(sum, "Total overland sand-load settled in lake boundaries:"), 0.0) << sum;
    for (const char* name : {"erosion_lake.sum", "erosion_lake.sed", "erosion_lake.otl"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}

TEST(ErosionChannelExample, InletsTakeTheSuspendedLoadWithTheWaterTheyCapture)
{
    // The pipe example's plane, eroding: a manhole inlet captures runoff
    // and with it a share of the cells' suspended load.
    scratch_dir dir("erosion_pipes");
    const std::string pipes = std::string(TORVA_EXAMPLES) + "/pipes/";
    for (const char* name : {"pipes.ele", "pipes.msk", "pipes.pip"})
        write_file(dir.file(name), read_file(pipes + name));
    write_file(dir.file("pipes.prj"),
               read_file(pipes + "pipes.prj") +
                   "\nMAPPING_TABLE erosion_channel.cmt\nSOIL_EROSION 3\nSAND_SIZE 0.0625\n"
                   "WATER_TEMP 20\nSED_POROSITY 0.4\nOUTLET_SED_FLUX pipes.sed\n");
    write_file(dir.file("erosion_channel.cmt"),
               read_file(std::string(TORVA_EXAMPLES) + "/erosion_channel/erosion_channel.cmt"));
    write_file(dir.file("erosion_soil.idx"), "north: 30.00\nsouth: 0.00\neast: 60.00\nwest: 0.00\nrows: 3\n"
                                             "cols: 6\n1 1 1 1 1 1\n1 1 1 1 1 1\n1 1 1 1 1 1\n");
    std::string out;
    ASSERT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' pipes.prj 2>&1", out), 0) << out;
    const std::string sum = read_file(dir.file("pipes.sum"));
    EXPECT_GT(summary_value(sum, "Total sediment 1 into superlinks (event)"), 0.0) << sum;
    EXPECT_GT(summary_value(sum, "Total water carrying sediments to superlinks (event)"), 0.0) << sum;
    for (int c = 1; c <= 3; ++c)
        EXPECT_LT(std::fabs(summary_value(sum, "Mass balance error for sediment " + std::to_string(c))),
                  0.001)
            << sum;
}
