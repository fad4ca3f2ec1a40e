// Constituents sorbed to sediment: the phase split against hand-computed
// fractions, and an eroding plane under a storm on which the dissolved,
// sorbed and soil masses together keep what the run started with, less
// what left through the outlet.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/clock_step.h"
#include "core/model_state.h"
#include "core/run_steps.h"
#include "hydromet/hydromet_steps.h"
#include "input/input_fixture.h"
#include "overland/overland_steps.h"
#include "quality/quality_steps.h"
#include "quality/sed_contam.h"
#include "subsurface/subsurface_steps.h"

using namespace torva_test;

TEST(SplitPhases, FractionsFromHandCases)
{
    struct phase_case {
        const char* what;
        double kd;        // L/kg
        double conc[4];   // mg/L per class 1..3
        int sand[4];      // per class 1..3
        double volume[4]; // m3 of sediment per class
        double fract[4];  // expected, slot 0 the sum
        double class_conc[4];
    };
    // a = Kd / 1e6; a fine class takes a c / (1 + sum of a c over the fine
    // classes); the total is 12 g throughout.
    const phase_case cases[] = {
        {"no sorption", 0.0, {0, 50, 20, 0}, {0, 0, 0, 1}, {0, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"one fine class", 1e6, {0, 1, 0, 0}, {0, 0, 0, 1}, {0, 2, 0, 0}, {0.5, 0.5, 0, 0}, {3, 3, 0, 0}},
        {"two fine classes",
         1e5,
         {0, 10, 30, 0},
         {0, 0, 0, 1},
         {0, 3, 4, 0},
         {0.8, 0.2, 0.6, 0},
         {2.6, 0.8, 1.8, 0}},
        {"sand takes nothing",
         1e5,
         {0, 10, 30, 500},
         {0, 0, 0, 1},
         {0, 3, 4, 9},
         {0.8, 0.2, 0.6, 0},
         {2.6, 0.8, 1.8, 0}},
        {"no volume, no per-volume value",
         1e6,
         {0, 3, 0, 0},
         {0, 0, 1, 1},
         {0, 0, 0, 0},
         {0.75, 0.75, 0, 0},
         {0, 0, 0, 0}},
    };
    for (const phase_case& c : cases) {
        double fract[4] = {}, class_conc[4] = {};
        bool bad = false;
        const double dissolved =
            split_phases(c.kd, 3, c.conc, c.sand, 12.0, c.volume, fract, class_conc, bad);
        EXPECT_FALSE(bad) << c.what;
        EXPECT_NEAR(dissolved, 1.0 - c.fract[0], 1e-12) << c.what;
        for (int k = 0; k <= 3; ++k) {
            EXPECT_NEAR(fract[k], c.fract[k], 1e-12) << c.what << " class " << k;
            EXPECT_NEAR(class_conc[k], c.class_conc[k], 1e-12) << c.what << " class " << k;
        }
    }
}

namespace
{

// The erosion example's plane with one contaminant sorbing to its fine
// classes, and soil holding 1 kg of it per cell in the mixing layer.
struct ErodingPlane : InputProject {
    void SetUp() override
    {
        InputProject::SetUp();
        option_checks = false; // the constituent processes are still refused
        const std::string from = std::string(TORVA_EXAMPLES) + "/erosion/";
        for (const char* name : {"erosion.ele", "erosion.msk", "erosion_soil.idx"})
            file(name, read_file(from + name));
        std::string table = read_file(from + "erosion.cmt");
        // The contaminant table names its index map in quotes.
        const std::size_t maps = table.find('\n', table.find("INDEX_MAP")) + 1;
        table.insert(maps, "INDEX_MAP erosion_soil.idx \"Zones\"\n");
        table += "CONTAMINANT_TRANSPORT\nNUM_CONTAM 1\n\"Lead\" \"Zones\" \"pb\"\nPRECIP_CONC 0\n"
                 "PARTITION 2000\nNUM_IDS 2\nID\n" +
                 mapping_row(1, "0.01 0 0 0 0 0.5 0 0") + mapping_row(2, "0.01 0 0 0 0 0.5 0 0");
        file("erosion.cmt", table);
        std::string project = read_file(from + "erosion.prj");
        project = project.substr(project.find('\n') + 1);
        cards = project + "OV_CON_TRANS\nSEDIMENT_CONTAM\nSOIL_CON_TRANS\nMIXING_LAYER_DEPTH 1\n";
    }
    std::string cards;
    double soil0 = 0.0;
    double surface0 = 0.0;

    // Loads the plane and gives every cell's soil 1 kg of the contaminant,
    // a fifth of it dissolved.
    bool start()
    {
        if (!load(cards))
            return false;
        testing::internal::CaptureStdout();
        build_cell_connectivity(*s);
        compute_cell_slopes(*s);
        setup_precipitation(*s);
        init_soil_state(*s);
        sum_initial_surface_volume(*s);
        init_soil_constituents(*s);
        init_sim_clock(*s);
        out += testing::internal::GetCapturedStdout();
        if (s->soil_mass.count < 1 || s->soil_mass.cols < 1)
            return false;
        for (int j = 1; j <= s->num_cells; ++j) {
            s->soil_mass.table[1][j][1] = 1000.0;
            s->soil_sed_con.table[1][j][1] = 0.2;
            soil0 += 1000.0;
            surface0 += s->ov_mass[1][j];
        }
        return error_state.raised == 0;
    }
    // The time loop's steps that move water, sediment and the contaminant,
    // for the given number of 10 s steps.
    void storm(int steps)
    {
        using step_fn = void (*)(model_state&);
        const step_fn order[] = {clock_step,        precip_event_step,  event_start_step, precip_period_step,
                                 precip_apply_step, infiltration_step,  overland_step,    sed_contam_step,
                                 ov_contam_step,    ov_contam_mass_step};
        testing::internal::CaptureStdout();
        for (int k = 0; k < steps && error_state.code == 0; ++k)
            for (step_fn f : order) {
                if (k == 0 && f == clock_step)
                    continue; // the first iteration runs at the start time
                f(*s);
                if (error_state.code)
                    break;
            }
        out += testing::internal::GetCapturedStdout();
    }
};

} // namespace

TEST_F(ErodingPlane, DissolvedSorbedAndSoilMassTogetherAreConserved)
{
    ASSERT_TRUE(start()) << out << err;
    const int n = s->num_cells;
    storm(270); // half an hour of storm and a quarter of recession
    ASSERT_EQ(error_state.code, 0) << out;

    double surface = 0.0, taken = 0.0, dissolved = 0.0;
    for (int j = 1; j <= n; ++j) {
        surface += s->sed_con_mass[1][j]; // sorbed and dissolved
        dissolved += s->ov_mass[1][j];
        taken += s->sed_con_work[1][j];
    }
    const double soil = soil0 + taken;
    const double outlet = (s->event_ov_mass_out[1] + s->event_sed_out_mass[1]) * 1000.0;
    const double negative = s->event_ov_neg_mass[1] * 1000.0;
    EXPECT_LT(taken, -0.1) << "the storm eroded sorbed mass from the soil";
    EXPECT_GT(surface - dissolved, 0.0) << "some of it is still sorbed to suspended sediment";
    EXPECT_GT(s->event_sed_out_mass[1], 0.0) << "some left sorbed through the outlet";
    EXPECT_NEAR(surface + soil + outlet - negative, surface0 + soil0, 1e-9 * (surface0 + soil0));
    // Sorbed mass travels with its sediment: no cell is asked for more than
    // it holds.
    EXPECT_LT(negative, 1e-9 * (surface0 + soil0)) << negative;
}

// Channel cells hand their deposits to the channels: the sorbed mass laid
// down with them waits beside them (sed_con_chan_deposit) instead of joining
// the soil, and the whole is still conserved.
TEST_F(ErodingPlane, ChannelCellsKeepTheMassOfTheirDepositsForTheChannels)
{
    ASSERT_TRUE(start()) << out << err;
    const int n = s->num_cells;
    s->chan_sed_on = s->chan_con_trans = 1;
    s->channel_cells.assign(n, 0);
    for (int j = 1; j <= n; j += 3)
        s->channel_cells[j] = 1;
    storm(270);
    ASSERT_EQ(error_state.code, 0) << out;

    double surface = 0.0, taken = 0.0, kept = 0.0;
    for (int j = 1; j <= n; ++j) {
        surface += s->sed_con_mass[1][j];
        taken += s->sed_con_work[1][j];
        kept += s->sed_con_chan_deposit[1][j];
        if (s->channel_cells[j]) {
            EXPECT_LE(s->sed_con_work[1][j], 0.0) << "cell " << j; // eroded only
        } else {
            EXPECT_EQ(s->sed_con_chan_deposit[1][j], 0.0) << "cell " << j;
        }
    }
    EXPECT_GT(kept, 0.01);
    const double outlet = (s->event_ov_mass_out[1] + s->event_sed_out_mass[1]) * 1000.0;
    const double negative = s->event_ov_neg_mass[1] * 1000.0;
    EXPECT_NEAR(surface + soil0 + taken + kept + outlet - negative, surface0 + soil0,
                1e-9 * (surface0 + soil0));
}
