// The contaminant example end to end through the executable: contaminated
// rain on a sloping plane soaks into a two-layer soil column, exchanges with
// the surface water and decays; the soil and overland balances of both
// constituents close, every flow shows in the summary, and one and four
// threads write the same files. A contaminant load map sets the first
// constituent's mass on the land cell by cell.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "quality/summary_text.h"
#include "quality/contaminant_example_files.h"
#include "support/example_variant.h"
#include "support/test_support.h"

using namespace torva_test;
using summary_text::section;
using summary_text::value;

namespace
{

const auto& example_files = contaminant_example::files;

// Copies the example into the folder (the project through `edit`) and runs
// it; the run leaves its output in out.txt.
void run_example(const std::string& folder, int threads, std::string (*edit)(std::string) = nullptr)
{
    for (const char* name : example_files) {
        std::string text = read_file(std::string(TORVA_EXAMPLES) + "/contaminant/" + name);
        if (edit && std::string(name) == "contam.prj")
            text = edit(text);
        write_file(folder + "/" + name, text);
    }
    std::string out;
    ASSERT_EQ(run_command("cd '" + folder + "' && OMP_NUM_THREADS=" + std::to_string(threads) + " '" +
                              torva_exe() + "' contam.prj 2>&1",
                          out),
              0)
        << out;
    write_file(folder + "/out.txt", out);
    ASSERT_EQ(out.find("not available yet"), std::string::npos) << out;
}

const double rounding = 0.015; // the summary prints kilograms to two decimals

// Both balances of both constituents close, and the soil books what the
// land hands over.
void expect_balances_close(const std::string& sum)
{
    struct constituent {
        const char* name;
        bool decays;
    };
    for (const constituent c : {constituent{"Decaying", true}, constituent{"Conservative", false}}) {
        SCOPED_TRACE(c.name);
        const std::string soil =
            section(sum, std::string("Soil Contaminant Transport Summary for ") + c.name);
        const std::string ov =
            section(sum, std::string("Overland Contaminant Transport Summary for ") + c.name);
        ASSERT_FALSE(soil.empty()) << sum;
        ASSERT_FALSE(ov.empty()) << sum;
        EXPECT_LT(std::fabs(value(soil, "Soil mass balance error")), 0.01) << soil;
        EXPECT_LT(std::fabs(value(ov, "Dissolved mass balance error")), 0.01) << ov;

        // Initial + inputs - outputs - decay = final, from the printed terms.
        const double infiltrated = value(soil, "Mass added by infiltration");
        const double decayed = value(soil, "Soil decay mass");
        const double from_soil = value(soil, "Surface water exchange from soil");
        const double to_soil = value(soil, "Surface water exchange to soil");
        EXPECT_NEAR(value(soil, "Initial Mass in Soil Column") + infiltrated + to_soil - from_soil -
                        value(soil, "Mass seepage to water table") - decayed,
                    value(soil, "Final Mass in Soil Column"), 3 * rounding)
            << soil;
        EXPECT_NEAR(value(ov, "Initial Dissolved Mass on Overland") + value(ov, "Precipitation gain") +
                        value(ov, "Uptake from soil") - value(ov, "Infiltration") - value(ov, "Outlet flux") -
                        value(ov, "Decay loss") - value(ov, "Negative mass"),
                    value(ov, "Final Dissolved Mass on Overland"), 3 * rounding)
            << ov;
        // The land and soil sides book the same hand-overs.
        EXPECT_NEAR(value(ov, "Infiltration"), infiltrated, rounding) << sum;
        EXPECT_NEAR(value(ov, "Uptake from soil"), from_soil - to_soil, rounding) << sum;
        EXPECT_GT(infiltrated, 0.05) << soil;
        if (c.decays)
            EXPECT_GT(decayed, 0.01) << soil; // 2 per day on the dissolved part
        else
            EXPECT_EQ(decayed, 0.0) << soil;
    }
}

// The run's soil and overland balances at the end of the summary close
// within the limit (percent) for both constituents.
void expect_run_balances_close(const std::string& sum, double limit)
{
    const char* const names[] = {"Decaying", "Conservative"};
    for (int k = 1; k <= 2; ++k) {
        SCOPED_TRACE(names[k - 1]);
        const std::string soil =
            section(sum, std::string("Soil Constituent Transport Summary for ") + names[k - 1] + " \n");
        const std::string ov = section(sum, "Overland Constituent Transport Summary for Constituent     " +
                                                std::to_string(k) + " (" + names[k - 1] + ")\n");
        ASSERT_FALSE(soil.empty()) << sum;
        ASSERT_FALSE(ov.empty()) << sum;
        EXPECT_LT(std::fabs(value(soil, "Soil mass balance error")), limit) << soil;
        EXPECT_LT(std::fabs(value(ov, "Contam mass balance error")), limit) << ov;
        EXPECT_GT(value(soil, "Mass added by infiltration"), 0.05) << soil;
    }
}

} // namespace

TEST(ContaminantExample, SoilAndOverlandBalancesCloseOnEveryThreadCount)
{
    scratch_dir one("contam1");
    scratch_dir four("contam4");
    run_example(one.path(), 1);
    run_example(four.path(), 4);
    const std::string sum = read_file(one.file("contam.sum"));
    expect_balances_close(sum);
    expect_run_balances_close(sum, 0.01);
    for (const char* name : {"Decaying", "Conservative"}) {
        SCOPED_TRACE(name);
        const std::string soil = section(sum, std::string("Soil Contaminant Transport Summary for ") + name);
        const std::string ov =
            section(sum, std::string("Overland Contaminant Transport Summary for ") + name);

        // Every flow of the example runs: 50 mm/h for 30 min at 5 mg/L on 2,400 m2.
        EXPECT_NEAR(value(ov, "Precipitation gain"), 0.30, rounding) << ov;
        EXPECT_GT(value(ov, "Outlet flux"), 0.05) << ov;
        EXPECT_GT(std::fabs(value(soil, "Surface water exchange from soil") -
                            value(soil, "Surface water exchange to soil")),
                  0.0)
            << soil;
    }
    for (const char* name : {"contam.sum", "contam.otl"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}

// Plain Green-Ampt keeps no soil-water accounting column: the soil
// constituents then move on the infiltration clock, so what soaks in reaches
// the single soil layer and decays there.
TEST(ContaminantExample, PlainGreenAmptSoilTakesWhatSoaksIn)
{
    scratch_dir dir("contam_ga");
    run_example(dir.path(), 1, [](std::string prj) {
        prj.replace(prj.find("INF_REDIST"), 10, "GREEN_AMPT");
        for (const char* card : {"PORE_INDEX", "RESIDUAL_SAT", "TOP_LAYER_DEPTH"}) {
            const std::size_t at = prj.find(std::string("\n") + card);
            prj.erase(at + 1, prj.find('\n', at + 1) - at);
        }
        return prj;
    });
    expect_balances_close(read_file(dir.file("contam.sum")));
}

// A run that stops while ponded water still trades constituent with the soil
// counts the exchange the soil step has not yet taken, so the event's
// overland balance and the run's soil balance close at any stop time.
TEST(ContaminantExample, BalancesCloseWhenTheRunStopsMidExchange)
{
    std::string (*const stops[])(std::string) = {
        [](std::string prj) { return prj.replace(prj.find("TOT_TIME        60"), 18, "TOT_TIME        20"); },
        [](std::string prj) { return prj.replace(prj.find("TOT_TIME        60"), 18, "TOT_TIME        33"); },
    };
    for (auto edit : stops) {
        scratch_dir dir("contam_stop");
        run_example(dir.path(), 1, edit);
        const std::string sum = read_file(dir.file("contam.sum"));
        for (const char* name : {"Decaying", "Conservative"}) {
            const std::string ov =
                section(sum, std::string("Overland Contaminant Transport Summary for ") + name);
            const std::string soil =
                section(sum, std::string("Soil Contaminant Transport Summary for ") + name);
            EXPECT_LT(std::fabs(value(ov, "Dissolved mass balance error")), 0.001) << ov;
            EXPECT_LT(std::fabs(value(soil, "Soil mass balance error")), 0.001) << soil;
        }
        expect_run_balances_close(sum, 0.001);
    }
}

namespace
{

// A load map over the example's 4 x 6 plane: cell k (row by row) holds 10 k,
// 3,000 in all.
std::string load_map(int rows)
{
    std::string map =
        "north: 40.00\nsouth: 0.00\neast: 60.00\nwest: 0.00\nrows: " + std::to_string(rows) + "\ncols: 6\n";
    for (int r = 0; r < rows; ++r) {
        for (int c = 1; c <= 6; ++c)
            map += std::to_string(10 * (6 * r + c)) + " ";
        map += "\n";
    }
    return map;
}

std::string with_load_map_no_soil(std::string prj)
{
    prj.erase(prj.find("SOIL_CON_TRANS\n"), 15);
    return prj + "CONTAM_MAP      contam_load.map\n";
}

std::string with_load_map(std::string prj)
{
    return prj + "CONTAM_MAP      contam_load.map\n";
}

} // namespace

// The load map replaces the first contaminant's table value cell by cell;
// the second keeps its table value of 2 per cell. Without the soil column
// the value is the undissolved mass on the land in kg; with it, the top
// layer's concentration in mg/kg, so the layer (10 cm of soil of specific
// gravity 2.65 and porosity 0.45 under 100 m2) holds 0.014575 kg per unit.
TEST(ContaminantExample, LoadMapGivesTheFirstContaminantsLandMass)
{
    const struct {
        std::string (*edit)(std::string);
        const char* first;
        const char* second;
        const char* label;
        double per_unit; // kg in the summary per unit of the map
    } cases[] = {
        {with_load_map_no_soil, "Constituent     1 (Decaying)\n", "Constituent     2 (Conservative)\n",
         "Initial undissolved mass", 1.0},
        {with_load_map, "Soil Constituent Transport Summary for Decaying \n",
         "Soil Constituent Transport Summary for Conservative \n", "Initial Mass in Soil Column",
         0.1 * 100.0 * 2650.0 * 0.55 / 1e6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        scratch_dir dir("contam_load");
        write_file(dir.file("contam_load.map"), load_map(4));
        run_example(dir.path(), 1, c.edit);
        const std::string out = read_file(dir.file("out.txt"));
        EXPECT_NE(out.find("reading contamimant load map from file: contam_load.map\n"), std::string::npos)
            << out;
        const std::string sum = read_file(dir.file("contam.sum"));
        EXPECT_NE(sum.find("reading contaminant load map from file: contam_load.map\n"), std::string::npos);
        const std::string first = section(sum, c.first);
        const std::string second = section(sum, c.second);
        EXPECT_NEAR(value(first, c.label), 3000.0 * c.per_unit, 0.006) << first;
        EXPECT_NEAR(value(second, c.label), 48.0 * c.per_unit, 0.006) << second;
    }
}

// Each way a load map stops the run ends it with status 1 (the reader's other
// messages are tested with the inputs).
TEST(ContaminantExample, ALoadMapThatDoesNotFitOrIsNegativeStopsTheRun)
{
    const auto with_map = [](const file_edits& map) {
        file_edits edits = {{"contam.prj", with_load_map_no_soil}};
        edits.insert(edits.end(), map.begin(), map.end());
        return edits;
    };
    expect_variants(
        {
            {"no file", "contaminant", "contam.prj", with_map({}),
             {"Error: Unable to open contam file.\n  (File: contam_load.map)\n"}},
            {"a row short", "contaminant", "contam.prj", with_map({{"contam_load.map", whole(load_map(3))}}),
             {"Incorrect number of rows in map: contam_load.map\n"}},
            {"a negative load", "contaminant", "contam.prj",
             with_map({{"contam_load.map", made_from(load_map(4), replaced(" 100 ", " -100 "))}}),
             {"Error: row 2, column 4 of the contaminant load map contam_load.map holds -100; a load "
              "cannot be negative.\n"}},
        },
        refusal_checks{{"not available yet"}});
}
