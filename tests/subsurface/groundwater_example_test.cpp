// The groundwater example end to end: an aquifer between fixed heads with a
// pumping well under a losing stream. The summary's groundwater balance
// closes, the well draws its cell down, the stream's seepage reaches the
// aquifer and the flux rows, and one and four threads write the same files.
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

const char* const example_files[] = {"gw.prj",       "gw.ele",     "gw.msk",     "gw.chn",     "gw.gst",
                                     "gw_k.map",     "gw_hc.map",  "gw_por.map", "gw_m0.map",  "gw_pi.map",
                                     "gw_rs.map",    "gw_wt.map",  "gw_bot.map", "gw_bnd.map", "gw_wells.tab",
                                     "gw_wells.loc", "gw_flux.loc"};

void run_example(const std::string& folder, int threads)
{
    for (const char* name : example_files)
        write_file(folder + "/" + name, read_file(std::string(TORVA_EXAMPLES) + "/groundwater/" + name));
    std::string out;
    ASSERT_EQ(run_command("cd '" + folder + "' && OMP_NUM_THREADS=" + std::to_string(threads) + " '" +
                              torva_exe() + "' gw.prj 2>&1",
                          out),
              0)
        << out;
}

// The number printed after the label (NaN when the label is missing).
double summary_value(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    double v = NAN;
    if (at != std::string::npos)
        std::sscanf(text.c_str() + at + label.size(), "%lf", &v);
    return v;
}

// The rows of a whitespace-separated numeric file.
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
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(GroundwaterExample, BalanceClosesAndThreadsAgree)
{
    scratch_dir one("gw_example1");
    scratch_dir four("gw_example4");
    run_example(one.path(), 1);
    run_example(four.path(), 4);
    const std::string sum = read_file(one.file("gw.sum"));

    // Initial storage + net inputs + head-boundary flux = final storage.
    const double start = summary_value(sum, "GW volume start =");
    const double end = summary_value(sum, "GW volume end =");
    const double inputs = summary_value(sum, "Total inputs to groundwater=");
    const double boundary = summary_value(sum, "Flux across head boundaries=");
    ASSERT_GT(start, 0.0) << sum;
    EXPECT_NEAR(start + inputs + boundary, end, 1e-6 * start) << sum;
    EXPECT_NE(boundary, 0.0);
    // The well and the stream's seepage appear in the totals.
    EXPECT_GT(summary_value(sum, "Pumping"), 0.0) << sum;
    EXPECT_GT(summary_value(sum, "vol from chan to gw  this event (cu. m):"), 0.0) << sum;

    // The run's water balance from its printed terms (2 decimals each): the
    // stream's 1.76 m3 of seepage is in the aquifer's final volume, not an
    // output. The printed error is as small as its six decimals show.
    auto value = [&](const char* label) { return summary_value(sum, label); };
    const double initial = value("Initial volume on surface=") + value("Initial volume in channels=") +
                           value("Initial volume in soils=") + value("Initial volume in groundwater=");
    const double final = value("Final volume on surface=") + value("Final volume in channels=") +
                         value("Final volume in soils=") + value("Final volume in groundwater=") +
                         value("Final volume of snow=");
    const double gains = value("Total amount of precip=") + value("Total flux of gw across bounds=") +
                         value("Total overland point sources=") + value("Total channel point sources=");
    const double losses = value("Total amount of discharge=") + value("Total amount of evaporation=") +
                          value("Total downward flux from unsaturated zone=") -
                          value("Total recharge inputs to groundwater=") + value("Leakage to deep aquifer+") +
                          value("Total pumping from groundwater=");
    EXPECT_GT(value("Total flux from river to gw="), 1.0) << sum;
    EXPECT_NEAR(initial + gains - final - losses, 0.0, 0.05) << sum;
    EXPECT_LT(std::fabs(value("Overall mass balance error =")), 1e-4) << sum;

    // Well levels: the pumped cell (row 1) is drawn down below its start and
    // below the cell next to it.
    const auto wells = rows_of(read_file(one.file("gw.wel")));
    ASSERT_GE(wells.size(), 3u);
    ASSERT_EQ(wells.front().size(), 3u);
    EXPECT_EQ(wells.front()[1], 97.8);
    EXPECT_LT(wells.back()[1], 97.8);
    EXPECT_LT(wells.back()[1], wells.back()[2]);
    // The losing stream shows as negative flux rows at both nodes.
    const auto flux = rows_of(read_file(one.file("gw.gfl")));
    ASSERT_EQ(flux.size(), wells.size());
    double least = 0.0;
    for (const auto& r : flux) {
        ASSERT_EQ(r.size(), 3u);
        least = std::fmin(least, std::fmin(r[1], r[2]));
    }
    EXPECT_LT(least, 0.0);

    for (const char* name : {"gw.sum", "gw.wel", "gw.gfl", "gw.otl"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}

namespace
{

// A uniform grid of rows x cols cells of 10 m from (0, 0).
std::string uniform_grid(int rows, int cols, const std::string& value)
{
    std::string g =
        "north: " + std::to_string(10 * rows) + ".00\nsouth: 0.00\neast: " + std::to_string(10 * cols) +
        ".00\nwest: 0.00\nrows: " + std::to_string(rows) + "\ncols: " + std::to_string(cols) + "\n";
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            g += value + (c + 1 < cols ? " " : "\n");
    return g;
}

// The redistribution scheme and an aquifer with its table 3 m below the
// ground, as uniform maps in the folder; returns the cards that use them.
std::string write_aquifer(const std::string& folder, int rows, int cols)
{
    const char* maps[][2] = {{"k", "1.0"},   {"hc", "11.0"}, {"por", "0.45"}, {"m0", "0.15"}, {"pi", "0.25"},
                             {"rs", "0.05"}, {"wt", "97.0"}, {"bot", "50.0"}, {"bnd", "1"}};
    for (const auto& m : maps)
        write_file(folder + "/p_" + m[0] + ".map", uniform_grid(rows, cols, m[1]));
    return "INF_REDIST\nCONDUCTIVITY p_k.map\nCAPILLARY p_hc.map\nPOROSITY p_por.map\nMOISTURE p_m0.map\n"
           "PORE_INDEX p_pi.map\nRESIDUAL_SAT p_rs.map\nSOIL_MOIST_DEPTH 1.0\nTOP_LAYER_DEPTH 0.2\n"
           "WATER_TABLE p_wt.map\nGW_SIMULATION\nAQUIFER_BOTTOM p_bot.map\nGW_BOUNDFILE p_bnd.map\n"
           "GW_UNIF_HYCOND 36.0\nGW_UNIF_POROSITY 0.3\nGW_TIMESTEP 60\n";
}

// The pond of the channel-lake example in the folder, its lake with a 1 m
// bed (MLAKE) when `bed`; returns the example's project text.
std::string write_pond(const scratch_dir& dir, bool bed)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/chlake/";
    for (const char* f : {"chlake.msk", "chlake.ele", "chlake.gst"})
        write_file(dir.file(f), read_file(from + f));
    std::string chn = read_file(from + "chlake.chn");
    if (bed)
        chn.replace(chn.find("\nLAKE\n"), 6, "\nLAKE\nMLAKE 1.0\n");
    write_file(dir.file("chlake.chn"), chn);
    return read_file(from + "chlake.prj");
}

} // namespace

// The overland-lake example runs over an aquifer with its balances closed;
// lake beds without a conductivity to value their exchange are refused by
// name with exit status 1.
TEST(GroundwaterExample, OverlandLakesRunOverTheAquiferAndBedsNeedAConductivity)
{
    scratch_dir dir("gw_lakes");
    const std::string lake = std::string(TORVA_EXAMPLES) + "/lake/";
    for (const char* f : {"lake.msk", "lake.ele", "lake.lkm", "lake.lak", "lake.dik", "lake.spt"})
        write_file(dir.file(f), read_file(lake + f));
    write_file(dir.file("lake.prj"), read_file(lake + "lake.prj") + write_aquifer(dir.path(), 5, 7));
    std::string out;
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' lake.prj 2>&1", out), 0) << out;
    const std::string sum = read_file(dir.file("lake.sum"));
    EXPECT_LT(std::fabs(summary_value(sum, "Overall mass balance error =")), 1e-4) << sum;
    EXPECT_LT(std::fabs(summary_value(sum, "Overland lake mass bal error m^3:")), 0.01) << sum;
    EXPECT_GT(summary_value(sum, "GW volume start ="), 0.0) << sum;

    write_file(dir.file("chlake.prj"), write_pond(dir, true) + "STREAM_LOSS\n");
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' chlake.prj 2>&1", out), 1);
    EXPECT_NE(
        out.find("Error: lake beds (MLAKE) exchange with the groundwater through the saturated conductivity "
                 "of their cells: the project needs a CONDUCTIVITY map.\n"),
        std::string::npos)
        << out;
}

// The pond example over an aquifer whose table lies below the pond's bed:
// the pond loses through its 1 m bed (MLAKE, metres) into the aquifer. The
// volume the lake loses is the volume the aquifer books, the lake, the
// groundwater and the overall balances close, and a pond without MLAKE
// exchanges nothing.
TEST(GroundwaterExample, PondLosesThroughItsBedIntoTheAquifer)
{
    struct outcome {
        double lake_to_gw = NAN, gw_balance = NAN, lake_error = NAN, start = NAN;
        std::string sum;
    };
    auto run = [](bool bed) {
        scratch_dir dir("gw_pond");
        const std::string prj = write_pond(dir, bed);
        write_file(dir.file("chlake.prj"), prj + write_aquifer(dir.path(), 3, 7));
        std::string out;
        EXPECT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' chlake.prj 2>&1", out), 0)
            << out.substr(out.size() > 3000 ? out.size() - 3000 : 0);
        outcome o;
        o.sum = read_file(dir.file("chlake.sum"));
        o.lake_to_gw = summary_value(o.sum, "vol from lakes to gw this event (cu. m):");
        o.start = summary_value(o.sum, "GW volume start =");
        o.gw_balance = summary_value(o.sum, "GW volume end =") - o.start -
                       summary_value(o.sum, "Total inputs to groundwater=") -
                       summary_value(o.sum, "Flux across head boundaries=");
        o.lake_error = summary_value(o.sum, "Perennial lake mass bal error m^3=");
        return o;
    };
    const outcome with_bed = run(true);
    // A bed read as 1 cm instead of 1 m would pass a hundred times more,
    // more than the pond ever holds.
    EXPECT_GT(with_bed.lake_to_gw, 1.0) << with_bed.sum;
    EXPECT_LT(with_bed.lake_to_gw, 3.0) << with_bed.sum;
    EXPECT_NEAR(with_bed.gw_balance, 0.0, 1e-6 * with_bed.start) << with_bed.sum;
    EXPECT_NEAR(with_bed.lake_error, 0.0, 0.011) << with_bed.sum;
    // The water stays in the run: the overall balance counts it in the
    // aquifer's storage, not as a loss.
    EXPECT_LT(std::fabs(summary_value(with_bed.sum, "Overall mass balance error =")), 1e-4) << with_bed.sum;
    const outcome without = run(false);
    EXPECT_EQ(without.lake_to_gw, 0.0) << without.sum;
    EXPECT_NEAR(without.lake_error, 0.0, 0.011) << without.sum;
}

// An outer run's XY_GW_HEAD output at the pumped cell's centre carries that
// cell's heads, the ones the well-level file prints, at the same times.
TEST(GroundwaterExample, XyHeadOutputFollowsTheCellAtItsCentre)
{
    scratch_dir dir("gw_xy_out");
    run_example(dir.path(), 1);
    write_file(dir.file("pts.xy"), "1\n25.0 25.0 1\n");
    write_file(dir.file("gw.prj"),
               read_file(dir.file("gw.prj")) + "XYBDYOUTPUT_PTS    pts.xy\nXYBDYOUTPUT_GWHEAD gwhead.xy\n");
    std::string out;
    ASSERT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' gw.prj 2>&1", out), 0) << out;
    const auto wells = rows_of(read_file(dir.file("gw.wel")));
    const std::string xy = read_file(dir.file("gwhead.xy"));
    ASSERT_EQ(xy.rfind("XY_GW_HEAD\n1\n", 0), 0u) << xy;
    std::istringstream in(xy);
    std::string line;
    std::size_t row = 0;
    while (std::getline(in, line)) {
        int y = 0, mo = 0, d = 0, h = 0, mi = 0;
        double head = 0.0;
        if (std::sscanf(line.c_str(), "%d %d %d %d %d %lf", &y, &mo, &d, &h, &mi, &head) != 6)
            continue;
        ASSERT_LT(row, wells.size());
        EXPECT_EQ((h - 12) * 60 + mi, static_cast<int>(wells[row][0])) << line;
        EXPECT_NEAR(head, wells[row][1], 0.0005) << line;
        ++row;
    }
    EXPECT_EQ(row, wells.size());
}

// The pond of the channel-lake example over a static water table (no
// simulated aquifer, no stream loss): its bed (MLAKE) loses into the table
// at every routing sub-step, as it does when stream loss also refreshes the
// rates there (with a stream bed that passes nothing). Before, such a pond
// never lost a drop.
TEST(GroundwaterExample, PondBedExchangesWithoutStreamLoss)
{
    auto run = [](const std::string& extra) {
        scratch_dir dir("pond_table");
        const std::string prj = write_pond(dir, true);
        std::string soil = write_aquifer(dir.path(), 3, 7);
        soil.erase(soil.find("GW_SIMULATION")); // the table stays, the aquifer is not simulated
        write_file(dir.file("chlake.prj"), prj + soil + extra);
        std::string out;
        EXPECT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' chlake.prj 2>&1", out), 0)
            << out.substr(out.size() > 3000 ? out.size() - 3000 : 0);
        return read_file(dir.file("chlake.sum"));
    };
    const std::string alone = run("");
    const std::string refreshed = run("STREAM_LOSS\nK_RIVER 0.0\n");
    for (const char* label : {"Total flux from lakes to gw=", "Final volume in perennial lakes"})
        EXPECT_EQ(summary_value(alone, label), summary_value(refreshed, label)) << label << "\n" << alone;
    // About half a metre of water over the pond's cells through a 1 m bed of
    // 1 cm/h: a few cubic metres in the hour and a half.
    EXPECT_GT(summary_value(alone, "Total flux from lakes to gw="), 0.5) << alone;
    EXPECT_LT(summary_value(alone, "Total flux from lakes to gw="), 5.0) << alone;
    EXPECT_NEAR(summary_value(alone, "Perennial lake mass bal error m^3="), 0.0, 0.011) << alone;
    EXPECT_LT(std::fabs(summary_value(alone, "Overall mass balance error =")), 1e-4) << alone;
}

// The example under a 300 s step with GW_TIMESTEP left at its 1 s default:
// the groundwater step falls due between two base steps and runs at the
// next one, so the aquifer moves exactly as with GW_TIMESTEP 300. Before, it
// never fell due and the aquifer stayed frozen for the whole run.
TEST(GroundwaterExample, DefaultGroundwaterStepRunsUnderALongerBaseStep)
{
    auto run = [](const std::string& gw_timestep) {
        scratch_dir dir("gw_default_step");
        run_example(dir.path(), 1);
        std::string prj = read_file(dir.file("gw.prj"));
        prj.replace(prj.find("TIMESTEP           5\n"), 21, "TIMESTEP           300\n");
        const std::size_t at = prj.find("GW_TIMESTEP        60\n");
        prj.replace(at, 22, gw_timestep.empty() ? "" : "GW_TIMESTEP " + gw_timestep + "\n");
        write_file(dir.file("gw.prj"), prj);
        std::string out;
        EXPECT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' gw.prj 2>&1", out), 0) << out;
        return read_file(dir.file("gw.sum"));
    };
    const std::string by_default = run("");
    const std::string aligned = run("300");
    const double start = summary_value(by_default, "GW volume start =");
    const double end = summary_value(by_default, "GW volume end =");
    // The well takes 86.4 m3 a day: 10.8 m3 in the three hours.
    EXPECT_GT(std::fabs(summary_value(by_default, "Pumping")), 1.0) << by_default;
    EXPECT_GT(std::fabs(end - start), 0.1) << by_default;
    EXPECT_NEAR(start + summary_value(by_default, "Total inputs to groundwater=") +
                    summary_value(by_default, "Flux across head boundaries="),
                end, 1e-6 * start)
        << by_default;
    for (const char* label : {"GW volume end =", "Total inputs to groundwater=", "Pumping"})
        EXPECT_EQ(summary_value(by_default, label), summary_value(aligned, label)) << label;
}
