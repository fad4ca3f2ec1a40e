// Sediment-bound contaminants end to end through the executable: the
// contaminant example's plane made to erode, with one constituent that sorbs
// strongly. Eroded sediment carries the sorbed mass down the plane, takes up
// dissolved mass from the runoff and lays it back on the soil; the soil and
// overland balances of both constituents close, dissolved + attached + soil
// mass is conserved, and one and four threads write the same files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "quality/summary_text.h"
#include "quality/contaminant_example_files.h"
#include "support/test_support.h"

using namespace torva_test;
using summary_text::section;
using summary_text::value;

namespace
{

const auto& example_files = contaminant_example::files;

const char* const erosion_tables = "SEDIMENTS\n"
                                   "NUM_SED 3\n"
                                   "NAME                                    SG    D(mm)  FB  OUTPUT\n"
                                   "clay                                    2.65 0.002 0.0 clay.out\n"
                                   "silt                                    2.65 0.03 0.0 silt.out\n"
                                   "sand                                    2.65 0.25 0.0 sand.out\n"
                                   "SOIL_EROSION_PROPS Soils\n"
                                   "NUM_IDS 1\n"
                                   "NUM_SED 3\n"
                                   "ID   DESCRIPTION   SPLASH  DETACH_COEF  DETACH_EXP  DETACH_CRIT  SED_K  "
                                   "CLAY  SILT  SAND\n"
                                   "     1                                                                   "
                                   "             60 0.00002 1.0 0.5 1.0 0.2 0.5 0.3\n";

const char* const erosion_cards = "SOIL_EROSION    3\n"
                                  "SAND_SIZE       0.0625\n"
                                  "WATER_TEMP      20\n"
                                  "SED_POROSITY    0.4\n"
                                  "OUTLET_SED_FLUX contam.sed\n"
                                  "MIXING_LAYER_DEPTH 1.0\n"
                                  "SEDIMENT_CONTAM\n";

// Writes the eroding contaminant project into the folder and runs it.
void run_project(const std::string& folder, int threads)
{
    for (const char* name : example_files) {
        std::string text = read_file(std::string(TORVA_EXAMPLES) + "/contaminant/" + name);
        const std::string file(name);
        if (file == "contam.prj")
            text += erosion_cards;
        if (file == "contam.cmt") {
            text.insert(text.find('\n', text.find("INDEX_MAP")) + 1, "INDEX_MAP contam.idx Soils\n");
            // The decaying constituent sorbs strongly.
            text.replace(text.find("PARTITION 0.5"), 13, "PARTITION 50");
            text += erosion_tables;
        }
        write_file(folder + "/" + name, text);
    }
    std::string out;
    ASSERT_EQ(run_command("cd '" + folder + "' && OMP_NUM_THREADS=" + std::to_string(threads) + " '" +
                              torva_exe() + "' contam.prj 2>&1",
                          out),
              0)
        << out;
    ASSERT_EQ(out.find("not available yet"), std::string::npos) << out;
}

const double rounding = 0.015; // the summary prints kilograms to two decimals

} // namespace

TEST(SedimentContamExample, BalancesCloseAndSorbedMassIsConserved)
{
    scratch_dir one("sedcon1");
    scratch_dir four("sedcon4");
    run_project(one.path(), 1);
    run_project(four.path(), 4);
    const std::string sum = read_file(one.file("contam.sum"));
    for (const char* name : {"Decaying", "Conservative"}) {
        SCOPED_TRACE(name);
        const std::string soil = section(sum, std::string("Soil Contaminant Transport Summary for ") + name);
        const std::string ov =
            section(sum, std::string("Overland Contaminant Transport Summary for ") + name);
        ASSERT_FALSE(soil.empty()) << sum;
        ASSERT_FALSE(ov.empty()) << sum;
        EXPECT_LT(std::fabs(value(soil, "Soil mass balance error")), 0.01) << soil;
        EXPECT_LT(std::fabs(value(ov, "Dissolved mass balance error")), 0.01) << ov;

        // What the soil gains from the sediment is what the water lost to
        // it, less what left sorbed through the outlet or stays suspended.
        EXPECT_NEAR(value(soil, "Sediment eroded(-)/deposited(+)"),
                    -value(ov, "Sediment source") - value(ov, "Attached exiting outlet") -
                        value(ov, "Final attached to susp seds"),
                    3 * rounding)
            << sum;
    }
    // The sorbing constituent really rides on the sediment; the other not.
    const std::string soil = section(sum, "Soil Contaminant Transport Summary for Decaying");
    const std::string ov = section(sum, "Overland Contaminant Transport Summary for Decaying");
    EXPECT_GT(value(soil, "Sediment eroded(-)/deposited(+)"), 0.05) << soil;
    EXPECT_LT(value(ov, "Sediment source"), -0.05) << ov;
    EXPECT_EQ(
        value(section(sum, "Overland Contaminant Transport Summary for Conservative"), "Sediment source"),
        0.0)
        << sum;
    // The end-of-run soil, overland and global balances close too, with the
    // attached mass still suspended and the attached outflow counted.
    const std::size_t run_end = sum.find("Soil Constituent Transport Summary");
    ASSERT_NE(run_end, std::string::npos) << sum;
    const std::string final_part = sum.substr(run_end);
    int balances = 0;
    for (const char* label : {"Soil mass balance error", "Contam mass balance error"})
        for (std::size_t at = final_part.find(label); at != std::string::npos;
             at = final_part.find(label, at + 1), ++balances)
            EXPECT_LT(std::fabs(value(final_part.substr(at), label)), 0.01) << final_part;
    EXPECT_EQ(balances, 6) << final_part; // soil, overland and global for two constituents
    EXPECT_NE(final_part.find("Attached to susp sediments"), std::string::npos) << final_part;
    EXPECT_NE(final_part.find("Attached exiting watershed"), std::string::npos) << final_part;
    for (const char* name : {"contam.sum", "contam.otl", "contam.sed"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}

// The channel example's eroding plane with the contaminant cards: the
// sorbed mass the sediment carries into the stream cells goes with it into
// the channel, where it is routed with the wash load and partitioned anew.
namespace
{

// A grid of one value over the whole mask (same header, same shape).
std::string uniform_grid(const std::string& mask, const char* value)
{
    std::string text;
    std::size_t at = 0;
    for (int line = 0; line < 6; ++line) {
        const std::size_t end = mask.find('\n', at);
        text += mask.substr(at, end - at + 1);
        at = end + 1;
    }
    for (; at < mask.size();) {
        std::size_t end = mask.find('\n', at);
        if (end == std::string::npos)
            end = mask.size();
        const std::size_t cells = (mask.substr(at, end - at).size() + 1) / 2;
        for (std::size_t col = 0; col < cells; ++col)
            text += std::string(col ? " " : "") + value;
        text += "\n";
        at = end + 1;
    }
    return text;
}

const char* const channel_contam_cards = "INF_REDIST\n"
                                         "CONDUCTIVITY    k.map\n"
                                         "CAPILLARY       hc.map\n"
                                         "POROSITY        por.map\n"
                                         "MOISTURE        m0.map\n"
                                         "PORE_INDEX      pi.map\n"
                                         "RESIDUAL_SAT    rs.map\n"
                                         "SOIL_MOIST_DEPTH 30.0\n"
                                         "TOP_LAYER_DEPTH  10.0\n"
                                         "OV_CON_TRANS\n"
                                         "SOIL_CON_TRANS\n"
                                         "CHAN_CON_TRANS\n"
                                         "MIXING_LAYER_DEPTH 1.0\n"
                                         "SEDIMENT_CONTAM\n";

// The sorbing constituent falls with the rain at 500 mg/L so that the
// printed kilograms resolve its paths; the other does not sorb.
const std::string channel_contam_table = "CONTAMINANT_TRANSPORT\n"
                                         "NUM_CONTAM 2\n"
                                         "\"Sorbing\" \"Plane\" \"sorb\"\n"
                                         "PRECIP_CONC 500\n"
                                         "PARTITION 2000\n"
                                         "NUM_IDS 1\n"
                                         "ID\n"
                                         "     1" +
                                         std::string(80, ' ') +
                                         "1 2 0.5 2 0 0 0 0\n"
                                         "\"Dissolved\" \"Plane\" \"diss\"\n"
                                         "PRECIP_CONC 5\n"
                                         "PARTITION 0\n"
                                         "NUM_IDS 1\n"
                                         "ID\n"
                                         "     1" +
                                         std::string(80, ' ') + "1 0 0.5 2 0 0 0 0\n";

// Writes one project of the erosion example set (its stem, the files it
// reads as they are, and its soil index map) into the folder with the
// soil-water maps and the contaminant cards and table added, and runs it.
void run_erosion_project(const std::string& folder, int threads, const std::string& stem,
                         const std::vector<std::string>& files, const std::string& soil_idx)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/erosion_channel/";
    for (const std::string& f : files)
        write_file(folder + "/" + f, read_file(from + f));
    const std::string mask = read_file(from + stem + ".msk");
    const char* const maps[][2] = {{"k.map", "0.3"},   {"hc.map", "11.0"}, {"por.map", "0.45"},
                                   {"m0.map", "0.15"}, {"pi.map", "0.25"}, {"rs.map", "0.05"}};
    for (const auto& m : maps)
        write_file(folder + "/" + m[0], uniform_grid(mask, m[1]));
    write_file(folder + "/" + stem + ".prj", read_file(from + stem + ".prj") + channel_contam_cards);
    std::string table = read_file(from + stem + ".cmt");
    table.insert(table.find('\n', table.find("INDEX_MAP")) + 1, "INDEX_MAP " + soil_idx + " \"Plane\"\n");
    write_file(folder + "/" + stem + ".cmt", table + channel_contam_table);
    std::string out;
    // Passive waiting keeps four threads quick on a busy machine.
    ASSERT_EQ(run_command("cd '" + folder + "' && OMP_WAIT_POLICY=passive OMP_NUM_THREADS=" +
                              std::to_string(threads) + " '" + torva_exe() + "' " + stem + ".prj 2>&1",
                          out),
              0)
        << out;
    ASSERT_EQ(out.find("not available yet"), std::string::npos) << out;
}

void run_channel_project(const std::string& folder, int threads)
{
    run_erosion_project(folder, threads, "erosion_channel",
                        {"erosion_channel.msk", "erosion_channel.ele", "erosion_channel.chn",
                         "erosion_channel.gst", "erosion_channel.slc", "erosion_soil.idx"},
                        "erosion_soil.idx");
}

} // namespace

TEST(SedimentContamExample, SorbedMassEntersTheChannelsWithTheSediment)
{
    scratch_dir one("sedchan1");
    scratch_dir four("sedchan4");
    run_channel_project(one.path(), 1);
    run_channel_project(four.path(), 4);
    const std::string sum = read_file(one.file("erosion_channel.sum"));
    const std::size_t run_end = sum.find("Soil Constituent Transport Summary");
    ASSERT_NE(run_end, std::string::npos) << sum;
    const std::string event = sum.substr(0, run_end);
    const std::string final_part = sum.substr(run_end);
    for (const char* name : {"Sorbing", "Dissolved"}) {
        SCOPED_TRACE(name);
        const std::string soil =
            section(event, std::string("Soil Contaminant Transport Summary for ") + name);
        const std::string ov =
            section(event, std::string("Overland Contaminant Transport Summary for ") + name);
        const std::string chan =
            section(event, std::string("Channel Contaminant Transport Summary for ") + name);
        ASSERT_FALSE(chan.empty()) << event;
        EXPECT_LT(std::fabs(value(soil, "Soil mass balance error")), 0.01) << soil;
        EXPECT_LT(std::fabs(value(ov, "Dissolved mass balance error")), 0.01) << ov;
        EXPECT_LT(std::fabs(value(chan, "Contam mass balance error")), 0.1) << chan;
        // The land books as leaving to the channels what the channels book
        // as their lateral attached input, and the sorbed mass that left the
        // water is in the soil, in the channels or still suspended.
        EXPECT_EQ(value(ov, "Attached entering channels"), value(chan, "Lateral flow into channels")) << sum;
        EXPECT_NEAR(value(soil, "Sediment eroded(-)/deposited(+)"),
                    -value(ov, "Sediment source") - value(ov, "Attached entering channels") -
                        value(ov, "Final attached to susp seds"),
                    3 * rounding)
            << sum;
    }
    // A good part of what the sorbing constituent's sediment took up from
    // the water reaches the channels (the rest settles upslope).
    const std::string ov = section(event, "Overland Contaminant Transport Summary for Sorbing");
    EXPECT_GT(value(ov, "Attached entering channels"), 0.2 * -value(ov, "Sediment source")) << ov;
    EXPECT_GT(value(ov, "Attached entering channels"), 1.0) << ov;

    // The run-end summary: balances, the hand-over on both sides, and the
    // attached phase in the channels (in + exchange = final + outlet).
    for (const char* label : {"Soil mass balance error", "Contam mass balance error"})
        for (std::size_t at = final_part.find(label); at != std::string::npos;
             at = final_part.find(label, at + 1))
            EXPECT_LT(std::fabs(value(final_part.substr(at), label)), 0.01) << final_part;
    for (std::size_t at = final_part.find("Dissolved mass balance error"); at != std::string::npos;
         at = final_part.find("Dissolved mass balance error", at + 1))
        EXPECT_LT(std::fabs(value(final_part.substr(at), "Dissolved mass balance error")), 0.1) << final_part;
    const std::string land =
        section(final_part, "Overland Constituent Transport Summary for Constituent     1");
    const std::string chan =
        final_part.substr(final_part.find("Channel Contaminant Transport Summary for Contaminant     1"));
    const double lateral = value(chan, "Lateral flow into channels");
    EXPECT_EQ(value(land, "Attached entering streams"), lateral) << final_part;
    EXPECT_EQ(lateral, value(section(event, "Overland Contaminant Transport Summary for Sorbing"),
                             "Attached entering channels"));
    EXPECT_NEAR(lateral + value(chan, "Exchange with dissolved"),
                value(chan, "Final suspended") + value(chan, "Exiting outlet"), 2 * rounding)
        << chan;
    for (const char* name : {"erosion_channel.sum", "erosion_channel.otl", "erosion_channel.sed"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}

// The pond example of the erosion set with the contaminant cards: the
// sorbed mass reaches the pond from its own slopes and from the ditch,
// settles with the pond's fine sediment or is split anew between the
// pond's water and its suspended sediment.
namespace
{

void run_lake_project(const std::string& folder, int threads)
{
    run_erosion_project(folder, threads, "erosion_lake",
                        {"erosion_lake.msk", "erosion_lake.ele", "erosion_lake.chn", "erosion_lake.gst",
                         "erosion_lake_soil.idx"},
                        "erosion_lake_soil.idx");
}

} // namespace

TEST(SedimentContamExample, SorbedMassSettlesInChannelLakes)
{
    scratch_dir one("sedlake1");
    scratch_dir four("sedlake4");
    run_lake_project(one.path(), 1);
    run_lake_project(four.path(), 4);
    const std::string sum = read_file(one.file("erosion_lake.sum"));
    const std::size_t run_end = sum.find("Soil Constituent Transport Summary");
    ASSERT_NE(run_end, std::string::npos) << sum;
    const std::string event = sum.substr(0, run_end);
    for (const char* name : {"Sorbing", "Dissolved"}) {
        SCOPED_TRACE(name);
        const std::string soil =
            section(event, std::string("Soil Contaminant Transport Summary for ") + name);
        const std::string ov =
            section(event, std::string("Overland Contaminant Transport Summary for ") + name);
        const std::string chan =
            section(event, std::string("Channel Contaminant Transport Summary for ") + name);
        const std::string lake =
            section(event, std::string("Lake Contaminant Transport Summary for ") + name);
        ASSERT_FALSE(lake.empty()) << event;
        EXPECT_LT(std::fabs(value(soil, "Soil mass balance error")), 0.01) << soil;
        EXPECT_LT(std::fabs(value(ov, "Dissolved mass balance error")), 0.01) << ov;
        EXPECT_LT(std::fabs(value(chan, "Contam mass balance error")), 0.1) << chan;
        EXPECT_LT(std::fabs(value(lake, "Dissolved mass balance error")), 0.1) << lake;
        // What the land and the ditch hand the pond is what the pond books.
        EXPECT_EQ(value(ov, "Attached entering lakes"), value(lake, "Overland inflow")) << sum;
        EXPECT_EQ(value(chan, "Attached entering lakes"), value(lake, "Channel inflow")) << sum;
        // The sorbed mass that left the water is in the soil, the channels,
        // the pond or still suspended.
        EXPECT_NEAR(value(soil, "Sediment eroded(-)/deposited(+)"),
                    -value(ov, "Sediment source") - value(ov, "Attached entering channels") -
                        value(ov, "Attached entering lakes") - value(ov, "Final attached to susp seds"),
                    4 * rounding)
            << sum;
    }
    const std::string lake = section(event, "Lake Contaminant Transport Summary for Sorbing");
    // The sorbing constituent reaches the pond on the sediment, and part of
    // it settles with it.
    EXPECT_GT(value(lake, "Overland inflow") + value(lake, "Channel inflow"), 0.05) << lake;
    EXPECT_GT(value(lake, "Settled"), 0.01) << lake;
    // The pond's attached phase: inflow, less what it gave the water, is
    // settled or still attached.
    EXPECT_NEAR(value(lake, "Overland inflow") + value(lake, "Channel inflow") -
                    value(lake, "Exchange with dissolved"),
                value(lake, "Settled") + value(lake, "Attached to suspended sed"), 4 * rounding)
        << lake;

    const std::string final_part = sum.substr(run_end);
    for (const char* label : {"Soil mass balance error", "Contam mass balance error"})
        for (std::size_t at = final_part.find(label); at != std::string::npos;
             at = final_part.find(label, at + 1))
            EXPECT_LT(std::fabs(value(final_part.substr(at), label)), 0.1) << final_part;
    for (const char* name : {"erosion_lake.sum", "erosion_lake.otl", "erosion_lake.sed"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}
