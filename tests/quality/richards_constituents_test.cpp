// Constituents over Richards columns: the cut of a column at the depth of
// the soil constituent layer, the washout of that layer by steady
// percolation against the exponential of a mixed layer, contaminated rain
// soaking into the sand plot of the Richards example with every balance
// closing, and groundwater exfiltrating onto the plot, bringing the water
// table's concentration onto the land or up through the soil layer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "quality/summary_text.h"
#include "subsurface/infiltration.h"
#include "subsurface/richards_layer.h"
#include "support/test_support.h"

using namespace torva_test;
using summary_text::section;
using summary_text::value;

TEST(RichardsLayerCut, WaterAndFluxOfTheTopOfAColumn)
{
    // Nodes 1..4 of 2 cm, the bottom node 5 (index 0 unused).
    const double dz[] = {0.0, 2.0, 2.0, 2.0, 2.0, 2.0};
    const double theta[] = {0.0, 0.30, 0.20, 0.10, 0.10, 0.40};
    const double q[] = {0.0, 5.0, 4.0, 3.0, 2.0, 1.0}; // q[l] enters node l
    struct cut_case {
        double depth;
        int node;
        double part, water, flux;
    };
    const cut_case cases[] = {
        {1.0, 1, 1.0, 0.30, 4.5},  // inside the first node
        {2.0, 1, 2.0, 0.60, 4.0},  // on an interface: that interface's flux
        {5.0, 3, 1.0, 1.10, 2.5},  // half-way down node 3
        {8.0, 4, 2.0, 1.40, 1.0},  // at the top of the bottom node
        {11.0, 5, 3.0, 2.60, 1.0}, // into the saturated bottom node
        {0.0, 0, 0.0, 0.0, 0.0},   // no layer
    };
    for (const cut_case& c : cases) {
        SCOPED_TRACE(c.depth);
        const richards_cut cut = richards_layer_cut(dz, 5, c.depth);
        EXPECT_EQ(cut.node, c.node);
        EXPECT_DOUBLE_EQ(cut.part, c.part);
        EXPECT_NEAR(richards_layer_water(theta, dz, cut), c.water, 1e-12);
        EXPECT_NEAR(richards_cut_flux(q, dz, 5, cut), c.flux, 1e-12);
    }
    // A one-node saturated column (groundwater at the surface) is wholly
    // saturated at any depth.
    const richards_cut flooded = richards_layer_cut(dz, 1, 5.0);
    EXPECT_EQ(flooded.node, 1);
    EXPECT_NEAR(richards_layer_water(theta, dz, flooded) / 5.0, 0.30, 1e-12);
}

namespace
{

// Haverkamp's sand of the Richards example: the conductivity (cm/h) at a
// water content.
double sand_conductivity(double theta)
{
    const double ths = 0.287, thr = 0.075, beta = 3.96, ks = 33.984, a = 1.175e6, b = 4.74;
    const double alpha = std::pow(1.611e6, 1.0 / beta);
    const double h = alpha * std::pow((ths - thr) / (theta - thr) - 1.0, 1.0 / beta);
    return ks * a / (a + std::pow(h, b));
}

const char* const richards_files[] = {"richards.msk", "richards.ele", "richards_soil.map", "richards.tab",
                                      "richards_theta.loc"};

// One contaminant row of the table: decay (per day), soil concentration
// (mg/kg), rain concentration (mg/L), partition coefficient and the water
// table's concentration (mg/L).
std::string contaminant(const char* name, double decay, double soil, double rain, double kd,
                        double table = 0.0)
{
    char row[320];
    std::snprintf(
        row, sizeof row,
        "\"%s\" \"Sand\" \"c\"\nPRECIP_CONC %g\nPARTITION %g\nNUM_IDS 1\nID\n     1%80s1 %g 0 %g %g 0 0 0\n",
        name, rain, kd, "", decay, soil, table);
    return row;
}

// The Richards example in the folder with soil and overland constituents;
// `table` replaces its soil table when given, `cards` are added to the
// project.
void write_project(const scratch_dir& dir, const std::string& cmt, const std::string& cards,
                   const std::string& table = "", bool soil = true)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/richards/";
    for (const char* f : richards_files)
        write_file(dir.file(f), read_file(from + f));
    if (!table.empty())
        write_file(dir.file("richards.tab"), table);
    write_file(dir.file("r.cmt"), "TORVA_INDEX_MAP_TABLES\nINDEX_MAP richards_soil.map \"Sand\"\n"
                                  "CONTAMINANT_TRANSPORT\n" +
                                      cmt);
    std::string prj = read_file(from + "richards.prj");
    prj.replace(prj.find('\n') + 1, 0, "PROJECT_PATH " + dir.path() + "\n");
    write_file(dir.file("richards.prj"),
               prj + "OV_CON_TRANS\n" + (soil ? "SOIL_CON_TRANS\n" : "") + "MAPPING_TABLE r.cmt\n" + cards);
}

double last_mass = 0.0, last_theta = 0.0;
int steps_seen = 0;

void watch_middle_cell(const model_state& s)
{
    // Cell 5 is the middle of the 3 x 3 plot; the soil step sizes its work
    // record on its first call.
    if (s.soil_work.row_count < 5)
        return;
    last_mass = s.soil_mass.table[1][5][1];
    last_theta = s.soil_work.table[5][1];
    ++steps_seen;
}

int run_in_process(const scratch_dir& dir, std::string& out)
{
    reset_file_name_globals();
    error_state_clear();
    steps_seen = 0;
    run_step_observer = watch_middle_cell;
    testing::internal::CaptureStdout();
    const int rc = run_simulation(dir.file("richards.prj"), nullptr, "");
    out = testing::internal::GetCapturedStdout();
    run_step_observer = nullptr;
    reset_file_name_globals();
    error_state_clear();
    return rc;
}

} // namespace

// Clean water percolating steadily through the sand at 0.15 (its
// conductivity, under unit gradient) washes a 5 cm layer out as
// M0 exp(-q t / (theta d)).
TEST(SoilOverRichards, SteadyPercolationWashesTheLayerOutExponentially)
{
    scratch_dir dir("soil_richards_leach");
    const double theta = 0.15, d = 5.0, q = sand_conductivity(theta); // cm/h
    std::string table = read_file(std::string(TORVA_EXAMPLES) + "/richards/richards.tab");
    for (std::size_t at = table.find(" 0.10 "); at != std::string::npos; at = table.find(" 0.10 ", at))
        table.replace(at, 6, " 0.15 ");
    char rain[80];
    std::snprintf(rain, sizeof rain, "RAIN_INTENSITY  %.6f\n", 10.0 * q); // mm/h
    write_project(dir, "NUM_CONTAM 1\n" + contaminant("Tracer", 0.0, 2.0, 0.0, 0.0),
                  "MIXING_LAYER_DEPTH 0.05\n", table);
    std::string prj = read_file(dir.file("richards.prj"));
    prj.replace(prj.find("RAIN_INTENSITY  136.9\n"), 22, rain);
    write_file(dir.file("richards.prj"), prj);

    std::string out;
    ASSERT_EQ(run_in_process(dir, out), 0) << out.substr(0, 3000);
    ASSERT_GT(steps_seen, 0);
    // 2 mg/kg in 5 cm of sand of porosity 0.287 over 100 m2, in grams.
    const double m0 = 2.0 * 0.05 * 100.0 * 2650.0 * (1.0 - 0.287) / 1000.0;
    const double hours = 48.0 / 60.0;
    EXPECT_NEAR(last_theta, theta, 0.002) << "the column stays at its steady content";
    const double washed = m0 * std::exp(-q * hours / (theta * d));
    EXPECT_NEAR(last_mass, washed, 0.01 * washed) << "m0 " << m0;
}

// Contaminated rain soaks into the sand plot: what infiltrates reaches the
// soil layer, leaves it with the percolation below 5 cm and decays there;
// the event and run balances of the soil, the land and the whole watershed
// close.
TEST(SoilOverRichards, ContaminatedRainSoaksInAndEveryBalanceCloses)
{
    scratch_dir dir("soil_richards_rain");
    write_project(dir,
                  "NUM_CONTAM 2\n" + contaminant("Decaying", 20.0, 2.0, 5.0, 0.5) +
                      contaminant("Conservative", 0.0, 2.0, 5.0, 0.0),
                  "MIXING_LAYER_DEPTH 0.05\n");
    std::string out;
    ASSERT_EQ(run_in_process(dir, out), 0) << out.substr(0, 3000);
    const std::string sum = read_file(dir.file("richards.sum"));
    const double rounding = 0.015; // kg printed to two decimals
    const char* const names[] = {"Decaying", "Conservative"};
    for (int k = 1; k <= 2; ++k) {
        const std::string name = names[k - 1];
        SCOPED_TRACE(name);
        const std::string soil = section(sum, "Soil Contaminant Transport Summary for " + name);
        const std::string ov = section(sum, "Overland Contaminant Transport Summary for " + name);
        const std::string run_soil = section(sum, "Soil Constituent Transport Summary for " + name + " \n");
        const std::string run_ov =
            section(sum, "Overland Constituent Transport Summary for Constituent     " + std::to_string(k) +
                             " (" + name + ")\n");
        const std::string global =
            section(sum, "Contaminant Transport Global Summary for Contaminant     " + std::to_string(k));
        ASSERT_FALSE(soil.empty() || ov.empty() || run_soil.empty() || run_ov.empty() || global.empty())
            << sum;
        EXPECT_LT(std::fabs(value(soil, "Soil mass balance error")), 0.01) << soil;
        EXPECT_LT(std::fabs(value(ov, "Dissolved mass balance error")), 0.01) << ov;
        EXPECT_LT(std::fabs(value(run_soil, "Soil mass balance error")), 0.01) << run_soil;
        EXPECT_LT(std::fabs(value(run_ov, "Contam mass balance error")), 0.01) << run_ov;
        EXPECT_LT(std::fabs(value(global, "Contam mass balance error")), 0.01) << global;
        // Every drop soaks in: 136.9 mm/h for 48 min at 5 mg/L on 900 m2.
        EXPECT_NEAR(value(ov, "Precipitation gain"), 0.49, rounding) << ov;
        EXPECT_NEAR(value(soil, "Mass added by infiltration"), value(ov, "Infiltration"), rounding) << sum;
        EXPECT_GT(value(soil, "Mass added by infiltration"), 0.45) << soil;
        EXPECT_GT(value(soil, "Mass seepage to water table"), 0.1) << soil;
    }
    // The sorbed, decaying contaminant is held back and lost; the
    // conservative tracer leaves below the layer.
    const std::string decaying = section(sum, "Soil Constituent Transport Summary for Decaying \n");
    const std::string tracer = section(sum, "Soil Constituent Transport Summary for Conservative \n");
    EXPECT_GT(value(decaying, "Soil decay mass"), 0.0) << decaying;
    EXPECT_LT(value(decaying, "Mass seepage down to GW"), value(tracer, "Mass seepage down to GW")) << sum;
}

// The layer over the Richards columns is the mixing layer: a project that
// does not give its depth stops at start-up naming the card.
TEST(SoilOverRichards, AProjectWithoutAMixingLayerDepthIsRefused)
{
    scratch_dir dir("soil_richards_nodepth");
    write_project(dir, "NUM_CONTAM 1\n" + contaminant("Tracer", 0.0, 2.0, 5.0, 0.0), "");
    testing::internal::CaptureStderr();
    std::string out;
    EXPECT_EQ(run_in_process(dir, out), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Soil constituents over Richards columns need the depth of their soil layer: give "
                       "MIXING_LAYER_DEPTH (m) above 0"),
              std::string::npos)
        << err << out.substr(0, 2000);
}

namespace
{

// Three Richards cells of 100 m2 with groundwater standing 10 cm above the
// ground: the first under 2 cm of water (groundwater comes out), the second
// under 30 cm (the pond leaks down), the third not exfiltrating; two
// constituents at the water table's and the surface's own concentrations.
struct ExfilCells {
    std::unique_ptr<model_state> s = std::make_unique<model_state>();
    ExfilCells(bool soil)
    {
        model_state& m = *s;
        const int n = 3, c = 2;
        m.num_cells = n;
        m.gridsize = 10.0;
        m.water_table = m.ov_con_trans = 1;
        m.soil_con_trans = soil;
        m.num_constituents = c;
        for (dvec* v : {&m.ground_elev, &m.elevgw, &m.ov_depth, &m.avgks, &m.totaldz, &m.con_inf_work,
                        &m.soil_con_exfil})
            v->assign(n, 0.0);
        m.yes_exfil.assign(n, 0);
        for (row_array<double>* r : {&m.soil_con_work, &m.soil_group_rows, &m.ov_conc})
            row_array_add_rows(*r, c, n);
        for (int j = 1; j <= n; ++j) {
            m.ground_elev[j] = 100.0;
            m.elevgw[j] = 100.1;
            m.avgks[j] = 36.0; // cm/h
            m.totaldz[j] = 72.0;
            m.yes_exfil[j] = j < 3;
            for (int i = 1; i <= c; ++i) {
                m.soil_group_rows[i][j] = 10.0 * i;
                m.ov_conc[i][j] = 1.0 * i;
            }
        }
        m.ov_depth[1] = 0.02;
        m.ov_depth[2] = 0.30;
    }
};

} // namespace

TEST(ExfiltrationOntoLand, CarriesTheTableOrTheSurfaceConcentration)
{
    const double dt = 600.0, area = 100.0;
    // (head - surface) x K / column x dt: 0.08 and -0.2 m x 0.5 per hour.
    const double up = 0.08 * 0.5 * dt / 3600.0 * area, down = -0.2 * 0.5 * dt / 3600.0 * area; // m3
    ExfilCells land(false);
    exfiltrate(*land.s, dt, exfil_scheme::richards);
    model_state& s = *land.s;
    EXPECT_NEAR(s.con_inf_work[1], up, 1e-12);
    EXPECT_NEAR(s.con_inf_work[2], down, 1e-12);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_NEAR(s.soil_con_work[i][1], up * 10.0 * i, 1e-9) << "the water table's concentration";
        EXPECT_NEAR(s.soil_con_work[i][2], down * 1.0 * i, 1e-9) << "the pond's own concentration";
        EXPECT_EQ(s.soil_con_work[i][3], 0.0);
    }
    EXPECT_EQ(s.soil_con_exfil[1], 0.0);

    // With soil constituents the soil step moves the mass: only the volume
    // is handed to it.
    ExfilCells soil(true);
    exfiltrate(*soil.s, dt, exfil_scheme::richards);
    EXPECT_NEAR(soil.s->soil_con_exfil[1], up, 1e-12);
    EXPECT_NEAR(soil.s->soil_con_exfil[2], down, 1e-12);
    EXPECT_EQ(soil.s->soil_con_work[1][1], 0.0);
    EXPECT_NEAR(soil.s->con_inf_work[1], up, 1e-12);
}

// Groundwater 10 cm above the middle cell of the sand plot. Without soil
// constituents what comes up carries the water table's 100 mg/L onto the
// land; with them it rises through the soil layer, which hands the land
// what leaves its top. The event's balances close either way.
TEST(ExfiltrationOntoLand, AnExfiltratingCellKeepsTheBalances)
{
    for (const bool soil : {false, true}) {
        SCOPED_TRACE(soil ? "with soil constituents" : "without soil constituents");
        scratch_dir dir("exfil_onto_land");
        write_project(dir,
                      "NUM_CONTAM 2\n" + contaminant("Decaying", 2.0, 2.0, 5.0, 0.5, 100.0) +
                          contaminant("Conservative", 0.0, 2.0, 5.0, 0.0, 100.0),
                      std::string("WATER_TABLE wt.map\n") + (soil ? "MIXING_LAYER_DEPTH 0.05\n" : ""), "",
                      soil);
        std::string grid = read_file(dir.file("richards.ele"));
        grid = grid.substr(0, grid.find("rows:")) +
               "rows: 3\ncols: 3\n99.0 99.0 99.0\n99.0 100.1 99.0\n99.0 99.0 99.0\n";
        write_file(dir.file("wt.map"), grid);
        // The node listing of the example's soil-moisture series does not fit
        // the one-node column of the flooded cell.
        std::string prj = read_file(dir.file("richards.prj"));
        for (const char* card : {"IN_THETA_LOCATION", "OUT_THETA_LOCATION"}) {
            const std::size_t at = prj.find(card);
            prj.erase(at, prj.find('\n', at) + 1 - at);
        }
        write_file(dir.file("richards.prj"), prj);

        std::string out;
        ASSERT_EQ(run_in_process(dir, out), 0) << out.substr(0, 3000);
        const std::string sum = read_file(dir.file("richards.sum"));
        const double exfiltrated = value(sum, "volume of water exfiltrated:"); // m3, one decimal
        ASSERT_GT(exfiltrated, 1.0) << sum;
        const char* const names[] = {"Decaying", "Conservative"};
        for (int k = 1; k <= 2; ++k) {
            const std::string name = names[k - 1];
            SCOPED_TRACE(name);
            const std::string ov = section(sum, "Overland Contaminant Transport Summary for " + name);
            ASSERT_FALSE(ov.empty()) << sum;
            EXPECT_LT(std::fabs(value(ov, "Dissolved mass balance error")), 0.01) << ov;
            // The run's balances count the masses clipped at zero where the
            // water from the flooded cell soaks into its neighbours.
            const std::string run_ov =
                section(sum, "Overland Constituent Transport Summary for Constituent     " +
                                 std::to_string(k) + " (" + name + ")\n");
            const std::string global =
                section(sum, "Contaminant Transport Global Summary for Contaminant     " + std::to_string(k));
            EXPECT_LT(std::fabs(value(run_ov, "Contam mass balance error")), 0.01) << run_ov;
            EXPECT_LT(std::fabs(value(global, "Contam mass balance error")), 0.01) << global;
            const double table_mass = exfiltrated * 100.0 / 1000.0; // kg
            if (!soil) {
                EXPECT_NEAR(value(ov, "Exfiltration gain"), table_mass, 0.015) << ov;
                continue;
            }
            const std::string column =
                section(sum, std::string("Soil Contaminant Transport Summary for ") + name);
            EXPECT_LT(std::fabs(value(column, "Soil mass balance error")), 0.01) << column;
            EXPECT_NEAR(value(column, "Mass seepage from water table"), table_mass, 0.015) << column;
            EXPECT_GT(value(ov, "Exfiltration gain"), 0.05) << ov;
            EXPECT_NEAR(value(ov, "Exfiltration gain"), value(column, "Exfiltration mass loss"), 0.015)
                << sum;
        }
    }
}
