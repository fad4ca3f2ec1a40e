// The nutrient example end to end through the executable: two contaminants
// of the contaminant table and the nutrient module's water constituents on
// still water from an overland hotstart. The printed initial masses match
// depth x concentration x cell area summed here from the example's own
// grids, nothing moves, and with rain, infiltration and the soil column the
// balances close on one and four threads alike.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "quality/summary_text.h"
#include "support/test_support.h"

using namespace torva_test;
using summary_text::section;
using summary_text::value;

namespace
{

const char* const example_files[] = {
    "still.prj",   "soil.prj",   "still.pre",   "nutr.msk",     "nutr.ele",    "nutr.ovh", "nutr.idx",
    "nutr_do.map", "nutr_k.map", "nutr_hc.map", "nutr_por.map", "nutr_m0.map", "nutr.cmt", "nutr.env"};

// Copies the example into the folder (the project through `edit`) and runs
// the project.
void run_example(const std::string& folder, const char* project, int threads,
                 std::string (*edit)(std::string) = nullptr)
{
    for (const char* name : example_files) {
        std::string text = read_file(std::string(TORVA_EXAMPLES) + "/nutrients/" + name);
        if (edit && std::string(name) == project)
            text = edit(text);
        write_file(folder + "/" + name, text);
    }
    std::string out;
    ASSERT_EQ(run_command("cd '" + folder + "' && OMP_NUM_THREADS=" + std::to_string(threads) + " '" +
                              torva_exe() + "' " + project + " 2>&1",
                          out),
              0)
        << out;
    ASSERT_EQ(out.find("not available yet"), std::string::npos) << out;
}

// The values of a grid file of the example, row by row (six header lines).
std::vector<double> grid_values(const std::string& file)
{
    std::istringstream in(read_file(std::string(TORVA_EXAMPLES) + "/nutrients/" + file));
    std::string line;
    for (int k = 0; k < 6; ++k)
        std::getline(in, line);
    std::vector<double> v;
    double x;
    while (in >> x)
        v.push_back(x);
    return v;
}

// A constituent as the example gives it: its title in the summaries and its
// concentration (mg/L) and land value (kg per cell) in zones 1 and 2; a
// negative concentration is read from the dissolved-oxygen map.
struct constituent {
    const char* title;
    double conc[2];
    double land[2];
};
const constituent constituents[] = {
    {"Tracer", {2, 6}, {3, 1.5}},
    {"Salt", {10, 4}, {0.25, 0.5}},
    {"Nitrite (NO2-)", {0.05, 0.02}, {0, 0}},
    {"Nitrate (NO3-)", {2, 6}, {0, 0}},
    {"Ammonium (NH4+)", {0.5, 0.5}, {0, 0}}, // a number on its card
    {"Organic Nitrogen (Organic N)", {0.8, 1.2}, {0, 0}},
    {"Organic Phosphorous (Organic P)", {0, 0}, {0, 0}},
    {"Algae", {10, 5}, {0, 0}},
    {"Carbonaceous Biochemical Oxygen Demand", {3, 2}, {0, 0}},
    {"Dissolved Oxygen (O2)", {-1, -1}, {0, 0}},
};

// Dissolved and land masses (kg) computed from the grids.
void expected_masses(const constituent& c, double& dissolved, double& land)
{
    const std::vector<double> mask = grid_values("nutr.msk"), depth = grid_values("nutr.ovh"),
                              zone = grid_values("nutr.idx"), oxygen = grid_values("nutr_do.map");
    dissolved = land = 0.0;
    for (std::size_t k = 0; k < mask.size(); ++k) {
        if (mask[k] == 0)
            continue;
        const int z = zone[k] == 1 ? 0 : 1;
        const double conc = c.conc[z] < 0 ? oxygen[k] : c.conc[z];
        dissolved += depth[k] * conc * 100.0 / 1000.0; // g/m3 x m3, in kg
        land += c.land[z];
    }
}

const double rounding = 0.0051; // kilograms print with two decimals

} // namespace

TEST(NutrientExample, StillWaterKeepsTheInitialMassOfEveryConstituent)
{
    scratch_dir dir("nutr_still");
    run_example(dir.path(), "still.prj", 1);
    const std::string sum = read_file(dir.file("still.sum"));
    for (const constituent& c : constituents) {
        SCOPED_TRACE(c.title);
        double dissolved, land;
        expected_masses(c, dissolved, land);
        const std::string ov =
            section(sum, std::string("Overland Contaminant Transport Summary for ") + c.title + " \n");
        ASSERT_FALSE(ov.empty()) << sum;
        EXPECT_NEAR(value(ov, "Initial Dissolved Mass on Overland"), dissolved, rounding) << ov;
        EXPECT_EQ(value(ov, "Final Dissolved Mass on Overland"),
                  value(ov, "Initial Dissolved Mass on Overland"))
            << ov;
        EXPECT_NEAR(value(ov, "Initial undissolved mass"), land, rounding) << ov;
        EXPECT_EQ(value(ov, "Final undissolved mass"), value(ov, "Initial undissolved mass")) << ov;
        EXPECT_LT(std::fabs(value(ov, "Dissolved mass balance error")), 0.01) << ov;
    }
    // The run totals of every constituent and the module's dm/dt block.
    std::size_t at = 0;
    int globals = 0;
    while ((at = sum.find("Contaminant Transport Global Summary for", at)) != std::string::npos) {
        const std::string g = section(sum.substr(at), "Contaminant Transport Global Summary for");
        EXPECT_EQ(value(g, "Total final Mass"), value(g, "Total initial mass")) << g;
        EXPECT_LT(std::fabs(value(g, "Contam mass balance error")), 0.01) << g;
        ++globals;
        ++at;
    }
    EXPECT_EQ(globals, 11) << "two contaminants and nine water constituents";
    EXPECT_NE(sum.find("QBN dm/dt Summary\n  Total dm/dt in:          0.0000\n"
                       "  Total dm/dt out:         0.0000\n"),
              std::string::npos)
        << "no reactions are modelled";
}

// Two runs of a batch in one process start from the same state and write
// the same files.
TEST(NutrientExample, BatchRunsRepeatEachOther)
{
    scratch_dir dir("nutr_batch");
    for (const char* name : example_files)
        write_file(dir.file(name), read_file(std::string(TORVA_EXAMPLES) + "/nutrients/" + name));
    std::string out;
    ASSERT_EQ(
        run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' -b2 still.prj 2>&1",
                    out),
        0)
        << out;
    for (const std::string name : {"still.sum", "total_n", "nh4_map.mass", "no3.mass"})
        EXPECT_EQ(read_file(dir.file("0000_" + name)), read_file(dir.file("0001_" + name))) << name;
    EXPECT_FALSE(read_file(dir.file("0001_total_n")).empty());
}

// Every series that is on gets one row per output time of the outlet
// hydrograph, in its fixed layout; the overland total maps are complete
// datasets with one step per map time.
TEST(NutrientExample, SeriesAndMapsHaveOneEntryPerOutputTime)
{
    scratch_dir dir("nutr_series");
    run_example(dir.path(), "still.prj", 1);
    std::istringstream otl(read_file(dir.file("still.otl")));
    std::vector<double> times;
    for (std::string line; std::getline(otl, line);)
        times.push_back(std::stod(line));
    ASSERT_EQ(times.size(), 3u);
    for (const char* name : {"no3.conc", "no3.mass", "nh4.conc", "nh4.mass", "oxygen.conc", "oxygen.mass"}) {
        SCOPED_TRACE(name);
        std::istringstream in(read_file(dir.file(name)));
        std::size_t rows = 0;
        for (std::string line; std::getline(in, line); ++rows) {
            ASSERT_LT(rows, times.size()) << line;
            char expect[64];
            std::snprintf(expect, sizeof expect, "%16.8lf %11.4lf", times[rows], 0.0);
            EXPECT_EQ(line, expect);
        }
        EXPECT_EQ(rows, times.size());
    }
    EXPECT_FALSE(file_exists(dir.file("no2.conc")));

    // Total_ov_N on a cell of 0.75 m in zone 1: NO2, NO3, NH4 and organic N
    // (g) plus the ammonia in equilibrium at 20 deg C and pH 7.2.
    const double volume = 75.0, nh4 = 0.5 * volume;
    const double ka = std::pow(10.0, -(0.09018 + 2729.92 / 293.15));
    const double nh3 = nh4 / 18.039 / volume * ka / std::pow(10.0, -7.2) * 17.031 * volume;
    const double total_n = (0.05 + 2.0 + 0.8) * volume + nh4 + nh3;
    for (const char* name : {"total_n", "total_p", "nh4_map.mass", "nh4_map.conc"}) {
        SCOPED_TRACE(name);
        const std::string text = read_file(dir.file(name));
        std::size_t steps = 0;
        for (std::size_t at = 0; (at = text.find("\nTS 1 ", at)) != std::string::npos; ++at)
            ++steps;
        EXPECT_EQ(steps, 2u) << "map times at 10 s and 5 min 10 s";
        ASSERT_GE(text.size(), 6u);
        EXPECT_EQ(text.substr(text.size() - 6), "ENDDS\n");
    }
    const std::string n = read_file(dir.file("total_n"));
    std::istringstream in(n.substr(n.find("TS 1 ")));
    std::string line;
    for (int k = 0; k <= 20; ++k)
        std::getline(in, line); // the time and twenty statuses
    double outside = -1.0, first = 0.0;
    in >> outside >> first;
    EXPECT_EQ(outside, 0.0) << "the first cell of the grid is outside";
    EXPECT_NEAR(first, total_n, 1e-6);

    // Binary datasets: a 100-byte header, two steps of 4 + 2 + 8 + 20 x 2 +
    // 20 x 8 bytes, and the end card 210.
    scratch_dir binary("nutr_binary");
    run_example(binary.path(), "still.prj", 1, [](std::string prj) {
        return prj.replace(prj.find("MAP_TYPE        1"), 17, "MAP_TYPE        2");
    });
    for (const char* name : {"total_n", "total_p", "nh4_map.mass", "nh4_map.conc"}) {
        SCOPED_TRACE(name);
        const std::string bytes = read_file(binary.file(name));
        ASSERT_EQ(bytes.size(), 100u + 2u * 214u + 4u);
        EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\xd2\0\0\0", 4));
    }
}

// Rain carrying nutrients and a contaminant soaks into the soil column:
// the soil takes the contaminants' land values as concentrations in its
// top layer, every balance closes, and four threads print what one prints.
TEST(NutrientExample, RainIntoTheSoilColumnBalancesOnEveryThreadCount)
{
    scratch_dir one("nutr_soil1");
    scratch_dir four("nutr_soil4");
    run_example(one.path(), "soil.prj", 1);
    run_example(four.path(), "soil.prj", 4);
    const std::string sum = read_file(one.file("soil.sum"));

    // Soil initial mass: concentration x 2650 kg/m3 x (1 - porosity) x the
    // 5 cm mixing layer of a 100 m2 cell.
    const std::vector<double> mask = grid_values("nutr.msk"), zone = grid_values("nutr.idx"),
                              porosity = grid_values("nutr_por.map");
    for (const constituent& c : {constituents[0], constituents[1]}) {
        SCOPED_TRACE(c.title);
        double soil = 0.0;
        for (std::size_t k = 0; k < mask.size(); ++k)
            if (mask[k] != 0)
                soil += c.land[zone[k] == 1 ? 0 : 1] * 2650.0 * (1.0 - porosity[k]) * 0.05 * 100.0 / 1e6;
        const std::string s = section(sum, std::string("Soil Contaminant Transport Summary for ") + c.title);
        EXPECT_NEAR(value(s, "Initial Mass in Soil Column"), soil, rounding) << s;
        EXPECT_GT(value(s, "Mass added by infiltration"), 0.0) << s;
    }
    // The soil balances, the overland balances of the event and of the run,
    // and the run's global balances, of every constituent: the nutrient
    // species move between slots as they soak into the soil pools.
    const std::size_t global_at = sum.find("Global Transport Summaries");
    const std::string overland_run = sum.substr(sum.find("Overland Transport Summaries"),
                                                global_at - sum.find("Overland Transport Summaries"));
    const std::string global_run = sum.substr(global_at, sum.find("QBN dm/dt Summary") - global_at);
    const std::pair<std::string, const char*> balances[] = {{sum, "Soil mass balance error"},
                                                            {sum, "Dissolved mass balance error"},
                                                            {overland_run, "Contam mass balance error"},
                                                            {global_run, "Contam mass balance error"}};
    for (const auto& b : balances) {
        int found = 0;
        for (std::size_t at = 0; (at = b.first.find(b.second, at)) != std::string::npos; ++at, ++found)
            EXPECT_LT(std::fabs(value(b.first.substr(at), b.second)), 0.01) << b.first.substr(at, 80);
        EXPECT_GE(found, 11) << b.second;
    }
    // Two contaminants and thirteen nutrient slots (the last four soil-only
    // pools), each global block under its own title.
    int globals = 0;
    for (std::size_t at = 0; (at = global_run.find("Global Summary for ", at)) != std::string::npos; ++at)
        ++globals;
    EXPECT_EQ(globals, 15) << global_run;
    EXPECT_NE(global_run.find("Global Summary for Organic Stable Phosphorus \n"), std::string::npos);
    // What a species' water loses by infiltration its soil pool receives,
    // once: nitrate and ammonium to their own pools, organic nitrogen to the
    // active organic nitrogen.
    const std::string run_soil = sum.substr(sum.rfind("Soil Contaminant Transport Summary \n"));
    const std::pair<const char*, const char*> pools[] = {
        {"Nitrate (NO3-)", "Nitrate (NO3-)"},
        {"Ammonium (NH4+)", "Ammonium (NH4+)"},
        {"Organic Nitrogen (Organic N)", "Organic Active Nitrogen"}};
    for (const auto& p : pools) {
        SCOPED_TRACE(p.first);
        const std::string water = section(
            overland_run, std::string("Overland Constituent Transport Summary for ") + p.first + " \n");
        const std::string pool =
            section(run_soil, std::string("Soil Constituent Transport Summary for ") + p.second + " \n");
        EXPECT_GT(value(water, "Mass loss to infiltration"), 0.0) << water;
        EXPECT_EQ(value(pool, "Mass added by infiltration"), value(water, "Mass loss to infiltration"))
            << pool;
    }
    // Dissolved oxygen has no soil pool: what soaks in leaves the system,
    // and the pool in its place of the list receives nothing.
    const std::string oxygen =
        section(overland_run, "Overland Constituent Transport Summary for Dissolved Oxygen (O2) \n");
    EXPECT_GT(value(oxygen, "Mass loss to infiltration"), 0.0) << oxygen;
    EXPECT_EQ(
        value(section(global_run, "Global Summary for Dissolved Oxygen (O2) \n"), "Total mass out of system"),
        value(oxygen, "Mass loss to infiltration"));
    EXPECT_EQ(
        value(section(run_soil, "Soil Constituent Transport Summary for Mineral Solution Phosphorus \n"),
              "Mass added by infiltration"),
        0.0);
    // The nutrients came with the rain: 20 mm/h for 10 min on 1,800 m2 (6 m3)
    // at 50 mg/L of nitrate.
    const std::string no3 = section(sum, "Overland Contaminant Transport Summary for Nitrate (NO3-) \n");
    EXPECT_NEAR(value(no3, "Precipitation gain"), 6.0 * 50.0 / 1000.0, rounding) << no3;
    // The initial NH4 on the land, 0.325 kg, sits on a rounding edge of the
    // printed two decimals: the totals must be summed in one order.
    for (const char* name : {"soil.sum", "soil.otl", "no3.conc", "total_n"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}
