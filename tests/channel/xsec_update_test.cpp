// Bed change of an erodible break-point section: a V section 20 m wide and
// 10 m deep on a 100 m link. Its lowest point moves by the full change, so
// the bed moves by the volume over the section's width at the bed times
// the spacing; erosion stops at the run's floor.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

struct XsecUpdate : testing::Test {
    std::unique_ptr<model_state> s;

    void SetUp() override
    {
        error_state_clear();
        s = std::make_unique<model_state>();
        s->num_links = 1;
        s->ltype.assign(1, 8 | 2);
        s->nx.assign(1, 1);
        s->bplink.assign(1, 1);
        s->table_num.assign(1, 1, 1);
        s->numpairs.assign(1, 3);
        s->numhts.assign(1, 10);
        s->ht_spc.assign(1, 1.0);
        s->xp.assign(10, 1, 0.0);
        for (int n = 1; n <= 10; ++n)
            s->xp[n][1] = 2.0 * n * std::sqrt(2.0);
        s->link_dx.assign(1, 100.0);
        s->inv_mannings_n.assign(1, 1.0 / 0.035);
        s->xbp_lnn.assign(1, 1, 3, 0.0);
        s->ybp_lnn.assign(1, 1, 3, 0.0);
        const double x[] = {0.0, 10.0, 20.0}, y[] = {10.0, 0.0, 10.0};
        for (int k = 1; k <= 3; ++k) {
            s->xbp_lnn[1][1][k] = x[k - 1];
            s->ybp_lnn[1][1][k] = y[k - 1];
        }
        s->max_yp.assign(1, 1, 10.0);
        s->bel.assign(1, 1, 0.0);
        s->max_eros.assign(1, 1, 0.2);
        s->ch_sand_vol.assign(1, 1, 1, 0.0);
        s->ch_sand_vol0.assign(1, 1, 100.0);
        s->sed_porosity = 0.4;
    }
    void TearDown() override { error_state_clear(); }

    // Sand on the bed now (slot 0 of the node's class array).
    void sand(double v) { s->ch_sand_vol[1][1][0] = v; }
};

} // namespace

TEST_F(XsecUpdate, DepositionRaisesTheBedByTheVolumeOverTheSection)
{
    sand(160.0); // 60 m3 of sand, 100 m3 of bed with porosity 0.4
    xsec_update(*s);
    ASSERT_FALSE(error_state.raised);
    // A raise dz fills a triangle of 10 dz m2 over 100 m: 100 m3 gives 0.1 m.
    EXPECT_NEAR(s->new_bel[1][1], 0.1, 0.1 * 1e-5);
    // Without ADJUST_CHANNEL_BED the section and the bed stay.
    EXPECT_EQ(s->bel[1][1], 0.0);
    EXPECT_EQ(s->ybp_lnn[1][1][2], 0.0);
}

TEST_F(XsecUpdate, ErosionStopsAtTheFloorOfTheRunsFirstUpdate)
{
    sand(40.0); // 100 m3 eroded would lower the bed by 0.1 m
    xsec_update(*s);
    EXPECT_NEAR(s->new_bel[1][1], -0.1, 1e-6);
    sand(-200.0); // 500 m3 more: 0.5 m, floor at 0.2 m below the bed
    xsec_update(*s);
    EXPECT_DOUBLE_EQ(s->new_bel[1][1], -0.2);
    // At the floor an eroding node is left alone, a depositing one is not.
    xsec_update(*s);
    EXPECT_DOUBLE_EQ(s->new_bel[1][1], -0.2);
    sand(160.0);
    xsec_update(*s);
    EXPECT_GT(s->new_bel[1][1], -0.2);
}

TEST_F(XsecUpdate, UnchangedSandLeavesTheNodeAlone)
{
    sand(100.0);
    xsec_update(*s);
    EXPECT_EQ(s->new_bel[1][1], 0.0);
}

TEST_F(XsecUpdate, AChangeDeeperThanTheSectionIsCutToItsDepth)
{
    s->max_eros[1][1] = 50.0;
    sand(100000.0); // far more deposit than the section holds
    testing::internal::CaptureStdout();
    xsec_update(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(
        out.find("In xsec_update - 3\nIt is impossible that change of stream bed elevation is greater than "
                 "maximum channel depth\nSetting the change in stream bed elevation equal to the depth of "
                 "the channel\n"),
        std::string::npos)
        << out;
    EXPECT_FALSE(error_state.raised);
    EXPECT_NEAR(s->new_bel[1][1], 10.0, 1e-4);
}
