// The files a run leaves behind: a storm stopped before its rain ends
// writes overland and channel hotstarts that a second run starts from, with
// the first run's remaining volumes as its initial ones; the hotstart grids
// open in GDAL; failed opens and writes name their file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "input/grid_map.h"
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

// The companion hydrograph file is written while the run still holds the
// outlet and location hydrographs open: it must hold every row of both.
TEST(RunEndFiles, CompanionHydrographHoldsEveryRowOfTheRunsHydrographs)
{
    scratch_dir dir("vks_run");
    copy_hotstart_example(dir);
    std::string out;
    ASSERT_EQ(run_in(dir, "storm.prj", out), 0) << out;

    // Column 2 of the outlet file, columns 2 and 3 of the location file.
    std::vector<std::vector<double>> expected(3);
    for (const std::string& l : lines_of(read_file(dir.file("storm.otl")))) {
        double t = 0.0, q = 0.0;
        ASSERT_EQ(std::sscanf(l.c_str(), "%lf %lf", &t, &q), 2) << l;
        expected[0].push_back(q);
    }
    for (const std::string& l : lines_of(read_file(dir.file("storm.hlo")))) {
        double t = 0.0, q1 = 0.0, q2 = 0.0;
        ASSERT_EQ(std::sscanf(l.c_str(), "%lf %lf %lf", &t, &q1, &q2), 3) << l;
        expected[1].push_back(q1);
        expected[2].push_back(q2);
    }
    ASSERT_EQ(expected[0].size(), 21u) << "one row a minute over 20 minutes";

    const std::string vks = read_file(dir.file("storm.vks"));
    std::istringstream in(vks);
    std::string title;
    int locations = 0, date = 0, time = 0, steps = 0, rows = 0;
    in >> title >> locations >> date >> time >> steps >> rows;
    EXPECT_EQ(locations, 2) << vks;
    EXPECT_EQ(rows, 21) << vks;
    for (int k = 0; k < 2 * locations; ++k) {
        int link_or_node = 0;
        in >> link_or_node;
    }
    for (int block = 0; block < 3; ++block)
        for (std::size_t i = 0; i < expected[block].size(); ++i) {
            double v = NAN;
            ASSERT_TRUE(in >> v) << "block " << block << " ends at row " << i + 1 << "\n" << vks;
            EXPECT_NEAR(v, expected[block][i], 5.1e-5) << "block " << block << ", row " << i + 1;
        }
    double extra = 0.0;
    EXPECT_FALSE(in >> extra) << vks;
}

namespace
{

struct EndGrids : summary_test::SummaryFixture {
    // A 2 x 3 grid whose mask is 0 1 1 / 1 0 1.
    void grid()
    {
        cells(4, 10.0);
        s->grid_rows = s->num_rows = s->rows = 2;
        s->grid_cols = s->num_cols = s->cols = 3;
        s->grid_north = 20.0;
        s->grid_south = 0.0;
        s->grid_east = 30.0;
        s->grid_west = 0.0;
        s->mask.assign(2, 3, 0);
        s->mask[1][2] = 1;
        s->mask[1][3] = 2;
        s->mask[2][1] = 3;
        s->mask[2][3] = 4;
        const double depth[] = {0.1234567, 0.0, 2.5, 1e-7};
        s->soil_moisture.assign(4, 0.0);
        for (int i = 1; i <= 4; ++i) {
            s->ov_depth[i] = depth[i - 1];
            s->soil_moisture[i] = 0.05 * i;
        }
    }
    std::string run_end(bool expect_ok = true)
    {
        testing::internal::CaptureStdout();
        EXPECT_EQ(write_run_end_files(*s), expect_ok);
        return testing::internal::GetCapturedStdout();
    }
};

} // namespace

TEST_F(EndGrids, HotstartGridsReadBackAndWriteTheSameFileAgain)
{
    grid();
    s->cards.write_ov_hotstart_given = s->cards.write_sm_hotstart_given = 1;
    s->write_ov_hotstart_name = dir.file("ov.hot");
    s->write_sm_hotstart_name = dir.file("sm.hot");
    EXPECT_EQ(run_end(), "");
    const std::string ov = read_file(dir.file("ov.hot"));
    EXPECT_EQ(
        ov, "north:     20.00\nsouth:      0.00\neast:     30.00\nwest:      0.00\nrows:     2\ncols:     3\n"
            "0.000000 0.123457 0.000000 \n2.500000 0.000000 0.000000 \n");
    // Read back as the next run would, and written again: the same files.
    for (const char* name : {"ov.hot", "sm.hot"}) {
        file_rec in;
        ASSERT_TRUE(file_rec_open(in, dir.file(name), "r"));
        dvec back;
        back.assign(4, -1.0);
        testing::internal::CaptureStdout();
        read_cell_reals(*s, in, dir.file(name), back);
        const std::string said = testing::internal::GetCapturedStdout();
        ASSERT_FALSE(error_state.raised) << name << "\n" << said;
        const std::string first = read_file(dir.file(name));
        (std::string(name) == "ov.hot" ? s->ov_depth : s->soil_moisture) = back;
        run_end();
        EXPECT_EQ(read_file(dir.file(name)), first) << name;
    }
}

// Every grid the end of the run writes opens in GDAL as it is, north up,
// with each cell's value at its own row and column.
TEST_F(EndGrids, EveryEndGridOpensInGdalWithItsCellsInPlace)
{
    if (!gdal_available())
        GTEST_SKIP() << "gdalinfo is not installed";
    grid();
    set_output_folder(dir.path()); // the fixed-name grids land here
    s->gw_simulation = 1;
    s->elevgw.assign(4, 0.0);
    s->yes_exfil.assign(4, 0);
    for (int i = 1; i <= 4; ++i) {
        s->elevgw[i] = 90.0 + i;
        s->ground_elev[i] = 100.5 + i;
    }
    s->gw_exfil_any = 1;
    s->yes_exfil[1] = s->yes_exfil[3] = 1;
    s->cards.adjust_elev_given = 1;
    s->cards.adjust_elev = dir.file("elev.asc");
    s->cards.write_ov_hotstart_given = s->cards.write_sm_hotstart_given = 1;
    s->write_ov_hotstart_name = dir.file("ov.hot");
    s->write_sm_hotstart_name = dir.file("sm.hot");
    EXPECT_EQ(run_end(), "");

    // The five grids as the bands of one virtual raster, which places each
    // by its own header: one look-up at the four cell centres reads them all.
    const char* const files[] = {"hotstart_file", "elev.asc", "satsource_file", "ov.hot", "sm.hot"};
    std::string command = "cd '" + dir.path() + "' && gdalbuildvrt -q -separate all.vrt";
    for (const char* f : files)
        command += std::string(" ") + f;
    command +=
        " 2>&1 && printf '15 15\\n25 15\\n5 5\\n25 5\\n' | gdallocationinfo -valonly -geoloc all.vrt 2>&1";
    std::string out;
    ASSERT_EQ(run_command(command, out), 0) << out;
    // Per cell, the value of each grid in the order above (the grids hold
    // single-precision reals).
    const double expected[4][5] = {{91.0, 101.5, 1.0, 0.123457, 0.05},
                                   {92.0, 102.5, 0.0, 0.0, 0.1},
                                   {93.0, 103.5, 1.0, 2.5, 0.15},
                                   {94.0, 104.5, 0.0, 0.0, 0.2}};
    std::istringstream values(out);
    for (int cell = 0; cell < 4; ++cell)
        for (int g = 0; g < 5; ++g) {
            double v = NAN;
            ASSERT_TRUE(values >> v) << out;
            EXPECT_NEAR(v, expected[cell][g], 1e-6) << files[g] << ", cell " << cell + 1;
        }
}

TEST_F(EndGrids, FailedOpensAndWritesNameTheirFile)
{
    grid();
    s->cards.write_ov_hotstart_given = 1;
    s->write_ov_hotstart_name = "/no/such/folder/ov.hot";
    EXPECT_TRUE(holds(run_end(), "Can't open overland hotstart file for writing: /no/such/folder/ov.hot\n"));
    EXPECT_FALSE(error_state.raised) << "the end of the run goes on";

    if (file_exists("/dev/full")) {
        s->write_ov_hotstart_name = "/dev/full";
        const std::string out = run_end();
        EXPECT_TRUE(holds(out, "Error: writing to the file /dev/full failed: No space left on device.\n"))
            << out;
    }

    s->cards.write_sm_hotstart_given = 1;
    s->write_sm_hotstart_name = dir.file("sm.hot");
    s->soil_moisture.reset();
    EXPECT_TRUE(holds(run_end(), "the run keeps no soil moisture, so the soil-moisture hotstart"));

    // The adjusted elevation grid stops the end of the run: nothing after it.
    s->cards.adjust_elev_given = 1;
    s->cards.adjust_elev = "/no/such/folder/elev.asc";
    s->write_ov_hotstart_name = dir.file("ov.hot");
    const std::string out = run_end(false);
    EXPECT_TRUE(holds(out, "Can't open adjusted elevation map for writing: /no/such/folder/elev.asc\n"))
        << out;
    EXPECT_TRUE(error_state.raised);
    EXPECT_FALSE(file_exists(dir.file("ov.hot")));
}

TEST(RunEndFiles, AnalyzersReportAtTheMomentsOfAWholeRun)
{
    scratch_dir dir("analyzer_run");
    copy_hotstart_example(dir);
    write_file(dir.file("watch.txt"), "# stages of the channel example\n"
                                      "2DS depth Ss >= 0.0 fc \"" +
                                          dir.file("depth watch.txt") +
                                          "\"\n"
                                          "2DS flow t > 1000 fc 600 " +
                                          dir.file("flow.txt") + "\n");
    write_file(dir.file("storm.prj"), read_file(dir.file("storm.prj")) + "ANALYZERS watch.txt\n");
    std::string out;
    ASSERT_EQ(run_in(dir, "storm.prj", out), 0) << out;
    EXPECT_TRUE(holds(out, "Set up 2 analyzers...\n")) << out;
    const std::string depth = read_file(dir.file("depth watch.txt"));
    const std::size_t begin = depth.find("depth at the beginning of the simulation at 01-01-2000, 12:0: 0.");
    const std::size_t end = depth.find("depth at the end of simulation at 01-01-2000, 12:20: 0.");
    ASSERT_NE(begin, std::string::npos) << depth;
    ASSERT_NE(end, std::string::npos) << depth;
    EXPECT_LT(begin, end);
    EXPECT_TRUE(holds(depth, "====> 5 out of 5 nodes passed the logic test.\n")) << depth;
    // Every ten minutes of the twenty, from the first step on.
    const std::string flow = read_file(dir.file("flow.txt"));
    int reports = 0;
    for (std::size_t at = flow.find("====>"); at != std::string::npos; at = flow.find("====>", at + 1))
        ++reports;
    EXPECT_EQ(reports, 3) << flow;
    EXPECT_TRUE(holds(flow, "flow at 01-01-2000, 12:10: 0.  Nodes with values > 1000.000000:\n")) << flow;
}

// A storm read from a gauge file starts its event in the rain step and ends
// it at the run's end: an analyzer of both moments sees the channel dry at
// the first and running at the second.
TEST(RunEndFiles, AnalyzersReportTheBeginningAndEndOfARainEvent)
{
    scratch_dir dir("analyzer_event");
    copy_hotstart_example(dir);
    std::string prj = read_file(dir.file("storm.prj"));
    for (const char* card : {"RAIN_INTENSITY", "RAIN_DURATION"}) {
        const std::size_t at = prj.find(std::string("\n") + card);
        prj.erase(at + 1, prj.find('\n', at + 1) - at);
    }
    prj.replace(prj.find("PRECIP_UNIF"), 11, "PRECIP_FILE storm.gag");
    write_file(dir.file("storm.prj"), prj + "ANALYZERS watch.txt\n");
    write_file(dir.file("storm.gag"), "EVENT storm\nNRGAG 1\nNRPDS 2\nCOORD 25.0 15.0 \"G\"\n"
                                      "RATES 2000 1 1 12 0 50.0\nRATES 2000 1 1 12 30 0.0\n");
    write_file(dir.file("watch.txt"), "2DS depth Ee > 0.01 fc events.txt\n");
    std::string out;
    ASSERT_EQ(run_in(dir, "storm.prj", out), 0) << out;
    const std::string events = read_file(dir.file("events.txt"));
    const std::size_t begin = events.find("depth at the beginning of an event at 01-01-2000, 12:0: 0.");
    const std::size_t end = events.find("depth at the end of an event at 01-01-2000, 12:20: 0.");
    ASSERT_NE(begin, std::string::npos) << events;
    ASSERT_NE(end, std::string::npos) << events;
    EXPECT_LT(begin, end);
    EXPECT_EQ(events.find("====> 0 out of 5 nodes passed", begin), events.find("====>", begin)) << events;
    EXPECT_EQ(events.find("====> 5 out of 5 nodes passed", end), events.find("====>", end)) << events;
}

TEST_F(EndGrids, ChannelHotstartHasOneLinePerRoutedNodeInLinkOrder)
{
    // Links of 2, 1 and 3 nodes and a structure link between them.
    s->num_links = 4;
    s->ltype.assign(4, 4);
    s->ltype[3] = 64;
    s->nx.assign(4, 0);
    s->nx[1] = 2;
    s->nx[2] = 1;
    s->nx[3] = 1;
    s->nx[4] = 3;
    s->yp.assign(3, 4, 0.0);
    s->qp.assign(3, 4, 0.0);
    for (int l = 1; l <= 4; ++l)
        for (int n = 1; n <= 3; ++n) {
            s->yp[n][l] = 100.0 + l + 0.1 * n;
            s->qp[n][l] = 0.5 * l + 0.01 * n;
        }
    ASSERT_TRUE(file_rec_open(s->chan_depth_hotstart_out, dir.file("c.dht"), "w"));
    ASSERT_TRUE(file_rec_open(s->chan_flow_hotstart_out, dir.file("c.qht"), "w"));
    write_channel_hotstart(*s);
    EXPECT_EQ(read_file(dir.file("c.dht")), "1 1 101.100000 \n2 1 101.200000 \n1 2 102.100000 \n"
                                            "1 4 104.100000 \n2 4 104.200000 \n3 4 104.300000 \n");
    EXPECT_EQ(read_file(dir.file("c.qht")), "1 1 0.510000\n2 1 0.520000\n1 2 1.010000\n"
                                            "1 4 2.010000\n2 4 2.020000\n3 4 2.030000\n");
}
