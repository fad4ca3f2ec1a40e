// The end-of-run sediment summaries fed with synthetic totals: a fine and a
// sand class (the sand class eroded nothing), channels with a lake, and the
// bed-elevation report of a network with a lake and a structure link.
#include <gtest/gtest.h>

#include <string>

#include "output/output_steps.h"
#include "output/summary_fixture.h"
#include "quality/sediment_block.h"
#include "support/golden_compare.h"

using namespace summary_test;

namespace
{

struct FinalSediment : SummaryFixture {
    void fill()
    {
        set_output_folder(dir.path());
        s->sed.soil_erosion = 1;
        s->ov_sed_scheme = 1;
        s->sed.num_sed = 2;
        s->sand.assign(2, 0);
        s->sand[2] = 1;
        s->ov_sed = std::make_unique<sediment_table>();
        s->ov_sed->class_tally.assign(2, sed_tally{});
        s->ov_sed->class_tally[1] = {0.0, -10.0, 1.0, 3.0, 0.0};
        s->ov_sed->class_tally[2] = {0.0, 0.0, 0.0, 0.5, 0.0}; // nothing eroded
        s->chan_sed_on = 1;
        s->chan_lakes = 1;
        s->num_lakes = 1;
        s->chan_sed_in_total.assign(2, 0.0);
        s->chan_sed_in_total[0] = 5.0;
        s->chan_sed_in_total[1] = 5.0;
        s->chan_sed_in_total[2] = 0.25;
        s->sed_vol_overland_to_lake.assign(1, 2, 0.0);
        s->sed_vol_overland_to_lake[0][1] = 0.5;
        s->sed_vol_overland_to_lake[0][2] = 0.125;
        s->chan_sand_initial_total = 2.0;
        s->chan_sand_from_ov_total = 0.25;
        s->chan_sand_out_total = 1.0;
        s->chan_sand_final = 1.0;
        s->tot_lake_sand_in.assign(1, 0.0);
        s->tot_lake_sand_in[0] = s->tot_lake_sand_in[1] = 0.25;
        s->tot_lake_depo_in.assign(1, 0.0);
        s->tot_lake_depo_in[0] = s->tot_lake_depo_in[1] = 0.125;
        for (dmat* m : {&s->GLOBAL_SS_vol_lake_to_chan, &s->GLOBAL_SS_vol_chan_to_lake,
                        &s->GLOBAL_SS_vol_overland_to_lake, &s->GLOBAL_SS_vol_lake_settled, &s->SS_vol_lake,
                        &s->SS_conc_vol_lake, &s->SS_conc_lake})
            m->assign(1, 2, 0.0);
        s->GLOBAL_SS_vol_lake_to_chan[0][0] = s->GLOBAL_SS_vol_lake_to_chan[1][0] = 1.0;
        s->GLOBAL_SS_vol_chan_to_lake[0][0] = s->GLOBAL_SS_vol_chan_to_lake[1][0] = 2.0;
        s->GLOBAL_SS_vol_overland_to_lake[1][0] = 0.5;
        s->GLOBAL_SS_vol_lake_settled[1][0] = 1.5;
        s->SS_vol_lake[1][0] = 0.75;
        s->SS_conc_vol_lake[1][0] = 0.000001;
        s->SS_conc_lake[1][0] = 2.65;
        s->chan_washload_out_total = 3.0;
        s->chan_wash_final = 0.5;
        s->lake_washload_in_total = 12.34;
        s->lake_washload_settled_total = 5.5;

        // Links: a two-node trapezoid, a lake and a one-node structure.
        s->num_links = 3;
        s->ltype.assign(3, 0);
        s->ltype[1] = 4 | 2;
        s->ltype[2] = 32;
        s->ltype[3] = 64;
        s->og_nx1.assign(3, 0);
        s->og_nx1[1] = 2;
        s->og_nx1[2] = 3;
        s->og_nx1[3] = 1;
        for (dnode_mat* m : {&s->bel, &s->new_bel, &s->org_bel})
            m->assign(3, 3, 0.0);
        s->org_bel[1][1] = s->bel[1][1] = 100.0;
        s->org_bel[2][1] = s->bel[2][1] = 99.5;
        s->new_bel[1][1] = 100.125;
        s->new_bel[2][1] = 99.25;
        s->org_bel[1][3] = s->bel[1][3] = s->new_bel[1][3] = 98.0;
    }
};

} // namespace

TEST_F(FinalSediment, SummariesAndBedReportMatchTheirGoldenFiles)
{
    fill();
    const std::string text = written_by([&] { EXPECT_TRUE(write_final_sediment_summary(*s)); });
    EXPECT_TRUE(torva_test::matches_golden("final_sediment.golden", text, {}));
    EXPECT_TRUE(torva_test::matches_golden("new_bed_elevations.golden",
                                           torva_test::read_file(dir.file("new_bed_elevations.txt")), {}));

    // With ADJUST_CHANNEL_BED the report gives the bed the nodes now have.
    s->sed.adjust_channel_bed = 1;
    ASSERT_TRUE(write_bed_elevation_report(*s));
    const std::string adjusted = torva_test::read_file(dir.file("new_bed_elevations.txt"));
    EXPECT_TRUE(holds(adjusted, "1 1    100.000    100.000 0 \n")) << adjusted;
}

TEST_F(FinalSediment, WithoutErosionOnlyTheClosingLineAndNoOverlandBlockWithSchemeTwo)
{
    EXPECT_EQ(written_by([&] { write_final_sediment_summary(*s); }), "\n");
    fill();
    s->ov_sed_scheme = 2;
    s->chan_sed_on = 0;
    EXPECT_EQ(written_by([&] { write_final_sediment_summary(*s); }), "\n\n");
}
