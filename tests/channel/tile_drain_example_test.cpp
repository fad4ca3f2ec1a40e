// The pipe example with leaky pipes (tile drains) under a water table: the
// drains take in ground water, the groundwater block balances and the
// overall balance keeps no residual beyond the pipe network's own, both
// over the aquifer of GW_SIMULATION (accounting column, the table falling
// below the column as the drains pull it down) and over a static table
// under Richards columns. A static table without either has no aquifer
// bottom and is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

const std::string header = "north: 30.00\nsouth: 0.00\neast: 60.00\nwest: 0.00\nrows: 3\ncols: 6\n";

// A 3 x 6 map holding the example's ground elevation plus an offset, or a
// constant.
std::string ground_map(double offset)
{
    const std::string ele = read_file(std::string(TORVA_EXAMPLES) + "/pipes/pipes.ele");
    std::istringstream in(ele);
    std::string line, out;
    for (int k = 0; k < 6; ++k)
        std::getline(in, line);
    double v = 0.0;
    int i = 0;
    while (in >> v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.2f%c", v + offset, ++i % 6 == 0 ? '\n' : ' ');
        out += buf;
    }
    return header + out;
}

std::string constant_map(const char* value)
{
    std::string rows;
    for (int r = 0; r < 3; ++r)
        rows +=
            std::string(value) + " " + value + " " + value + " " + value + " " + value + " " + value + "\n";
    return header + rows;
}

// Writes the pipe example with its three pipes leaky (wall conductivity
// 50 cm/h, drains 5 m apart), each pipe stretch in one cell, the water
// table `depth` metres under the ground and the extra cards.
void write_project(const scratch_dir& dir, double depth, const std::string& cards)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/pipes/";
    for (const char* f : {"pipes.msk", "pipes.ele"})
        write_file(dir.file(f), read_file(from + f));
    std::string pip = read_file(from + "pipes.pip");
    for (size_t at = pip.find(" 0.013 "); at != std::string::npos; at = pip.find(" 0.013 ", at + 1)) {
        const size_t end = pip.find('\n', at);
        pip.replace(end - 4, 4, " 50 5"); // the last two values, 0 0
    }
    write_file(dir.file("pipes.pip"), pip);
    write_file(dir.file("pipes.gpi"), "GRIDPIPEFILE\nPIPECELLS 3\nCELLIJ 1 3\nNUMPIPES 1\nSPIPE 1 1 1.0\n"
                                      "CELLIJ 2 4\nNUMPIPES 1\nSPIPE 1 2 1.0\nCELLIJ 3 5\nNUMPIPES 1\n"
                                      "SPIPE 1 3 1.0\n");
    write_file(dir.file("wt.map"), ground_map(-depth));
    write_file(dir.file("pipes.prj"),
               read_file(from + "pipes.prj") + "GRID_PIPE pipes.gpi\nWATER_TABLE wt.map\n" + cards);
}

const char* const column_cards = "INF_REDIST\nCONDUCTIVITY k.map\nCAPILLARY hc.map\nPOROSITY por.map\n"
                                 "MOISTURE m0.map\nPORE_INDEX pi.map\nRESIDUAL_SAT rs.map\n"
                                 "SOIL_MOIST_DEPTH 1.0\nTOP_LAYER_DEPTH 0.2\n";

void write_column_maps(const scratch_dir& dir)
{
    const char* const maps[][2] = {{"k.map", "1.0"},   {"hc.map", "11.0"}, {"por.map", "0.45"},
                                   {"m0.map", "0.15"}, {"pi.map", "0.25"}, {"rs.map", "0.05"}};
    for (const auto& m : maps)
        write_file(dir.file(m[0]), constant_map(m[1]));
}

int run(const scratch_dir& dir, std::string& out)
{
    return run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' pipes.prj 2>&1",
                       out);
}

double summary_value(const std::string& text, const std::string& label)
{
    const size_t at = text.find(label);
    EXPECT_NE(at, std::string::npos) << label;
    return at == std::string::npos ? NAN : std::atof(text.c_str() + at + label.size());
}

// The overall residual in m3 (initial storage and inputs less final storage
// and outputs) against the drain balance's residual, which is the pipe
// solver's own (printed to 1 litre), and the aquifer's (the estimate of the
// fixed-head flux).
void expect_overall_residual_is_the_drains(const std::string& sum, double external_inputs,
                                           double aquifer_residual = 0.0, double tolerance = 0.0075)
{
    double start = summary_value(sum, "Total amount of precip=") + external_inputs;
    for (const char* label : {"Initial volume on surface=", "Initial volume in channels=",
                              "Initial volume in soils=", "Initial volume in groundwater="})
        start += summary_value(sum, label);
    const double residual = summary_value(sum, "Overall mass balance error =") / 100.0 * start;
    const double drains = summary_value(sum, "Subsurface drain mass bal error m^3=");
    EXPECT_NEAR(residual, drains - aquifer_residual, tolerance) << sum;
}

} // namespace

TEST(TileDrainExample, AquiferFeedsTheDrainsWithClosedBalances)
{
    // All cells ordinary, and the first drain's cell under a fixed head
    // (its drain then draws through the boundary; the estimate of the
    // boundary flux leaves the aquifer a residual of its own).
    const char* const boundaries[] = {"1 1 1 1 1 1\n1 1 1 1 1 1\n1 1 1 1 1 1\n",
                                      "1 1 2 1 1 1\n1 1 1 1 1 1\n1 1 1 1 1 1\n"};
    for (const char* bnd : boundaries) {
        const bool fixed = std::string(bnd).find('2') != std::string::npos;
        SCOPED_TRACE(bnd);
        scratch_dir dir("tile_gw");
        write_column_maps(dir);
        write_file(dir.file("bot.map"), constant_map("90"));
        write_file(dir.file("bnd.map"), header + bnd);
        write_project(dir, 1.2,
                      std::string(column_cards) +
                          "GW_SIMULATION\nAQUIFER_BOTTOM bot.map\nGW_BOUNDFILE bnd.map\n"
                          "GW_UNIF_POROSITY 0.3\nGW_UNIF_HYCOND 36.0\nGW_TIMESTEP 60\n");
        std::string out;
        ASSERT_EQ(run(dir, out), 0) << out;
        const std::string sum = read_file(dir.file("pipes.sum"));

        const double tile = summary_value(sum, "Volume of groundwater to tile drains");
        EXPECT_GT(tile, 1.0) << sum;
        EXPECT_DOUBLE_EQ(summary_value(sum, "To tile drains"), tile);
        // What the aquifer lost, the drains' share included, is what its
        // balance books.
        const double gw_in = summary_value(sum, "Total inputs to groundwater=");
        EXPECT_LE(gw_in, -tile + 0.01) << sum;
        const double gw_residual = summary_value(sum, "GW volume end =") -
                                   summary_value(sum, "GW volume start =") - gw_in -
                                   summary_value(sum, "Flux across head boundaries=");
        EXPECT_NEAR(gw_residual, 0.0, fixed ? 0.02 : 0.01) << sum;
        // The overall balance keeps nothing beyond the two residuals.
        expect_overall_residual_is_the_drains(sum, 0.0, fixed ? gw_residual : 0.0, fixed ? 0.03 : 0.0075);
    }
}

TEST(TileDrainExample, StaticTableUnderRichardsColumnsFeedsTheDrains)
{
    scratch_dir dir("tile_static");
    const std::string from = std::string(TORVA_EXAMPLES) + "/richards/";
    write_file(dir.file("richards.tab"), read_file(from + "richards.tab"));
    write_file(dir.file("soil.map"), constant_map("1"));
    // The table lies within the 0.1 m aquifer over the pipes' inverts.
    write_project(dir, 1.45,
                  "INF_RICHARDS\nRICHARDS_C_OPTION havercamp\nSOIL_TYPE_MAP soil.map\n"
                  "SOIL_LAYER_INPUT_FILE richards.tab\n");
    std::string out;
    ASSERT_EQ(run(dir, out), 0) << out;
    const std::string sum = read_file(dir.file("pipes.sum"));
    const double tile = summary_value(sum, "Volume of groundwater to tile drains");
    EXPECT_GT(tile, 0.1) << sum;
    // The fixed table feeds the drains from outside the run.
    expect_overall_residual_is_the_drains(sum, tile);
}

TEST(TileDrainExample, StaticTableWithoutAquiferBottomIsRefused)
{
    scratch_dir dir("tile_refused");
    write_column_maps(dir);
    write_project(dir, 1.2, column_cards);
    std::string out;
    EXPECT_EQ(run(dir, out), 1) << out;
    EXPECT_NE(
        out.find("Leaky pipes over a static water table need GW_SIMULATION or INF_RICHARDS: without them "
                 "the aquifer bottom under the drains is not known.\n"),
        std::string::npos)
        << out;
}
