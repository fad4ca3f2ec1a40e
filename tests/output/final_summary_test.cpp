// The end-of-run water balances: the stores measured at the end, the
// global balances and their reports, with golden files of the reports.
#include <gtest/gtest.h>

#include <string>

#include "output/output_steps.h"
#include "output/summary_fixture.h"
#include "support/golden_compare.h"

using namespace summary_test;

namespace
{

const torva_test::golden_tolerance exact{0.0, 0.0};

struct FinalSummary : SummaryFixture {
    // The end-of-run grids of fixed names go to the scratch folder.
    void SetUp() override
    {
        SummaryFixture::SetUp();
        std::string folder = dir.path();
        set_project_path(folder);
    }
    // Distinct values whose pairwise sums (and so differences) all differ
    // (2pk + k^2 mod p, a Sidon set for k < p), so that a line printing the
    // wrong field, or the wrong pair of fields, shows.
    int drawn = 0;
    double value()
    {
        constexpr int p = 401;
        ++drawn;
        EXPECT_LT(drawn, p) << "more values than the set holds";
        return 2.5 * (2.0 * p * drawn + (drawn * drawn) % p);
    }
};

} // namespace

TEST_F(FinalSummary, ReportsOfARunWithGroundwaterLakesDrainsAndBoundaries)
{
    // Two cells of 10 m; one channel lake and one overland lake; every
    // optional line of the reports switched on.
    model_state& m = *s;
    cells(2, 10.0);
    m.ov_depth[1] = 0.5;
    m.ov_depth[2] = 0.25;
    m.gw_simulation = 1;
    m.elevgw.assign(2, 9.0);
    m.bottom_elev.assign(2, 4.0);
    m.gw_porosity.assign(2, 0.3); // 2 x 5 m x 0.3 x 100 m2 = 300 m3
    m.soil_water_acct = 1;
    m.soil_water.assign(2, 10.0); // 2 x 0.1 m x 100 m2 = 20 m3
    m.chan_lakes = 1;
    m.num_lakes = 1;
    m.lake_volume.assign(1, 75.0);
    m.lake_gw_exchange = 1;
    m.overland_lake_on = 1;
    m.storm_sewer = 1;
    m.ov_boundary = 1;
    m.stream_loss = 1;
    m.water_table = 1;
    m.cards.xy_in.num_gw_points = 1;
    m.dike_map_given = 1;
    m.lowspot_file_given = 1;
    m.low_spot_flow_cell.assign(2, 0);
    m.low_spot_flow_cell[2] = 1;
    double* totals[] = {
        &m.surface_initial_volume,
        &m.chan_initial_volume,
        &m.soil_initial_volume_run,
        &m.soil_initial_volume,
        &m.gw_initial_volume,
        &m.lake_run_initial_volume,
        &m.oland_lake_volume,
        &m.superlink_volume_remaining,
        &m.precip_total,
        &m.interception_total,
        &m.infil_total,
        &m.evap_total,
        &m.direct_evap_total,
        &m.exfil_vol_total,
        &m.gw_recharge_total,
        &m.gw_pumping_total,
        &m.unsat_down_flux_total,
        &m.gw_boundary_flux_total,
        &m.ov_point_vol_total,
        &m.chan_point_total,
        &m.head_bc_out_total,
        &m.head_bc_in_total,
        &m.slope_bc_out_total,
        &m.discharge_bc_in_total,
        &m.discharge_bc_out_total,
        &m.discharge_bc_unmet_total,
        &m.lateral_inflow_total,
        &m.discharge_total,
        &m.river_to_gw_total,
        &m.gw_to_river_total,
        &m.lake_rain_vol,
        &m.lake_inflow_volume,
        &m.lake_outflow_volume,
        &m.lake_evap_total,
        &m.lake_to_gw_total,
        &m.gw_to_lake_total,
        &m.superlink_ov_in_total,
        &m.superlink_to_ov_total,
        &m.superlink_to_chan_total,
        &m.gw_to_tile_total,
        &m.xy_gw_gain_total,
        &m.xy_gw_loss_total,
        &m.sat_unsat_volume,
        &m.gw_inputs_total,
        &m.gw_leakage_total,
        &m.oland_lake_initial_volume,
        &m.oland_lake_inflow_volume,
        &m.oland_lake_outflow_volume,
        &m.layered_et_total,
    };
    for (double* v : totals)
        *v = value();

    write_final_summary(m);
    EXPECT_NEAR(m.gw_final_volume, 300.0, 1e-9);
    EXPECT_NEAR(m.soil_final_volume_simple, 20.0, 1e-9);
    EXPECT_NEAR(m.surface_vol, 75.0, 1e-9);
    EXPECT_NEAR(m.lake_final_volume_run, 75.0, 1e-9);
    // The balances by hand, value j of the list being 2.5 (802 j + j^2 mod 401):
    // overland lake: initial (j 46) 92507.5 + inflow (47) 94745 - volume (7) 14157.5 - outflow (48) 96987.5
    const std::string text = summary();
    EXPECT_TRUE(holds(text, "Overland lake mass bal error m^3:                     76107.50\n")) << text;
    // perennial lake: inflow (32) 64715 - outflow (33) 66882.5 - final 75 + initial (6) 12120
    //                 - evaporation (34) 69055
    EXPECT_TRUE(holds(text, "Perennial lake mass bal error m^3=                   -59177.50\n")) << text;
    // drains: in from overland (37) 74600 + from groundwater (40) 81192.5 - to overland (38) 76792.5
    //         - to channels (39) 78990 - remaining (8) 16200
    EXPECT_TRUE(holds(text, "Subsurface drain mass bal error m^3=                 -16190.00\n")) << text;
    EXPECT_TRUE(torva_test::matches_golden("final_summary_general.golden", text, exact));
}

TEST_F(FinalSummary, SacramentoReport)
{
    model_state& m = *s;
    cells(4, 10.0);
    m.sacramento = 1;
    m.sac_area = 400.0;
    m.chan_explicit = 1;
    m.sac.uztwm = 50.0, m.sac.uzfwm = 40.0, m.sac.lztwm = 120.0, m.sac.lzfsm = 30.0, m.sac.lzfpm = 0.0; // an empty store
    m.sac.uztwc = 25.0, m.sac.uzfwc = 10.0, m.sac.lztwc = 60.0, m.sac.lzfsc = 15.0, m.sac.lzfpc = 0.0;
    const double init[5] = {30.0, 20.0, 80.0, 0.0, 12.0}; // uztwc, uzfwc, lztwc, lzfpc, lzfsc
    for (int k = 0; k < 5; ++k)
        m.sac_initial_contents[k] = init[k];
    m.sac_initial_storage = 142.0;
    m.sac_rain_total = 40.0;
    m.sac_pet_total = 12.0;
    m.sac_aet_total = 10.0;
    m.sac_runoff_total = 60.0;
    m.sac_deep_recharge = 2.0;
    m.sac.residual = 0.0000125;
    m.precip_total = 100.0;
    m.discharge_total = 60.0;
    m.sac_river_to_gw = 1.5;

    write_final_summary(m);
    EXPECT_NEAR(m.sac_final_storage, 110.0, 1e-12);
    EXPECT_NEAR(m.sac_deep_recharge, 0.8, 1e-12); // mm to m3 over 400 m2
    // The balances by hand, the stores in m3 (mm x 400 m2): initial 142 mm
    // = 56.8, final 110 mm = 44, evaporation 10 mm = 4. Overall: (44 - 56.8
    // - 100 + 4 + 60) / (100 + 56.8) = -48.8 / 156.8. Surface: (100 rain -
    // 1.5 to groundwater - 60 discharge) / 100 rain.
    const std::string text = summary();
    EXPECT_TRUE(holds(text, "Overall mass balance error =                    -31.122449 percent\n")) << text;
    EXPECT_TRUE(holds(text, "Mass balance error of surface components =               38.500000 percent\n"))
        << text;
    EXPECT_TRUE(torva_test::matches_golden("final_summary_sacramento.golden", text, exact));
}

TEST_F(FinalSummary, SoilLinesNameTheSimpleSoilDepthOnlyWithoutGroundwater)
{
    struct soil_case {
        int acct, gw;
        bool simple;
    };
    for (const soil_case c : {soil_case{1, 0, true}, soil_case{1, 1, false}, soil_case{0, 0, false}}) {
        SetUp();
        cells(1, 10.0);
        s->soil_water_acct = c.acct;
        s->gw_simulation = c.gw;
        write_final_summary(*s);
        const std::string text = summary();
        EXPECT_EQ(holds(text, "Initial volume in soil over simple soil depth   "), c.simple)
            << c.acct << c.gw;
        EXPECT_EQ(holds(text, "Final volume in soil over simple soil depth     "), c.simple)
            << c.acct << c.gw;
        EXPECT_EQ(holds(text, "Initial volume in soils=                        "), !c.simple)
            << c.acct << c.gw;
        EXPECT_EQ(holds(text, "Final volume in soils=                          "), !c.simple)
            << c.acct << c.gw;
        EXPECT_TRUE(holds(text, "Final volume in groundwater=                              0.00\n"));
    }
}

TEST_F(FinalSummary, WettedZoneAboveTheWaterTableOfLayeredSoils)
{
    // Layers of 30 and 20 cm: a water table 0.8 m down leaves a wetted zone
    // of 0.3 m; at 0.5 m there is none.
    cells(2, 10.0);
    s->soil_water_acct = 1;
    s->water_table = 1;
    s->inf_layered_soil = 1;
    s->soil_layers[2].depth[0] = 30.0;
    s->soil_layers[2].depth[1] = 20.0;
    s->soiltype.assign(2, 2);
    s->soil_water.assign(2, 0.0);
    s->ground_elev.assign(2, 10.0);
    s->elevgw.assign(2, 9.2);
    s->elevgw[2] = 9.5;
    s->gw_inf_redist_theta.assign(2, 0.25);
    write_final_summary(*s);
    EXPECT_NEAR(s->soil_final_volume, 0.3 * 0.25 * 100.0, 1e-9);
}

TEST_F(FinalSummary, ErrorsWithoutADenominatorAreDefined)
{
    // Groundwater that held nothing at the start, and a run in which no
    // water was stored or came in.
    cells(1, 10.0);
    s->gw_simulation = 1;
    const std::string text = written_by([&] { write_final_summary(*s); });
    EXPECT_EQ(s->gw_balance_error, 0.0);
    EXPECT_EQ(s->overall_balance_error, 0.0);
    EXPECT_TRUE(holds(text, "Mass Balance error =                       0.00 %  \n"
                            "Note: the groundwater held no water at the start, so its mass balance error is "
                            "given as 0.\n"))
        << text;
    EXPECT_TRUE(holds(text, "Overall mass balance error =                              0.000000 percent\n \n"
                            "Note: no water was stored at the start or came in, so the overall mass balance "
                            "error is given as 0.\n"))
        << text;

    // The Sacramento model without rain, storage or capacities.
    SetUp();
    cells(1, 10.0);
    s->sacramento = 1;
    const std::string sac = written_by([&] { write_final_summary(*s); });
    EXPECT_FALSE(has_bad_number(sac)) << sac;
    EXPECT_TRUE(holds(sac, "uztwc:       0.000 mm,     0.00%\n")) << sac;
    EXPECT_TRUE(holds(sac, "Note: no rainfall was input, so the mass balance error of surface components is "
                           "given as 0.\n"))
        << sac;

    // A run that lost water has a positive overall error.
    SetUp();
    cells(1, 10.0);
    s->precip_total = 100.0;
    s->discharge_total = 90.0;
    write_final_summary(*s);
    EXPECT_NEAR(s->overall_balance_error, 10.0, 1e-12);
}

TEST_F(FinalSummary, DikeBlockWithoutOvertopping)
{
    cells(2, 10.0);
    s->dike_map_given = 1;
    s->lowspot_file_given = 1;
    s->low_spot_flow_cell.assign(2, 0);
    const std::string text = written_by([&] { write_final_summary(*s); });
    EXPECT_TRUE(holds(text, "You specifed overland dikes and lowspots \n"
                            "The following cells experienced flow from over the embankment \n"
                            "If no cells are listed then there was no flow overtopping the dike \n"
                            "Check the 'maskmap' to see the location of these cells \n"
                            "\n"))
        << text;
    EXPECT_FALSE(holds(text, "Dike Overtopped in cell:"));
}

TEST_F(FinalSummary, InitialSnowAndTheWaterInItsPacketsCloseTheRunBalance)
{
    // 10 m3 of snow at the start: 2 m3 left as snow, 3 m3 waiting in the
    // melt packets and 5 m3 melted onto the surface.
    cells(1, 10.0);
    s->snow_present = 1;
    s->snow_initial_volume_run = 10.0;
    s->snow_swe.assign(1, 0.02);
    s->snow_retention_kind = 1;
    s->Melt_Waves.assign(1, 6, 3, 0.0);
    s->Melt_Waves[1][1][2] = s->Melt_Waves[1][1][3] = 0.03;
    s->ov_depth[1] = 0.05;
    write_final_summary(*s);
    EXPECT_NEAR(s->snow_final_volume_run, 5.0, 1e-12);
    EXPECT_NEAR(s->overall_balance_error, 0.0, 1e-12);
}

TEST_F(FinalSummary, TheMassLeftInTheSystemIsMeasuredAfreshWhateverTheSwitches)
{
    // Channel transport on without explicit routing: neither the lakes nor
    // the channels add a part, and the last event close's value must not stay.
    cells(1, 10.0);
    s->num_constituents = 2;
    s->chan_con_trans = 1;
    checked_array_grow(s->GLOBAL_MASS_FINAL, 2);
    s->GLOBAL_MASS_FINAL[1] = 5.0;
    s->GLOBAL_MASS_FINAL[2] = 7.0;
    write_final_summary(*s);
    EXPECT_EQ(s->GLOBAL_MASS_FINAL[1], 0.0);
    EXPECT_EQ(s->GLOBAL_MASS_FINAL[2], 0.0);
}
