// The stream-aquifer exchange of the groundwater step while the channel
// routing is idle: a losing node drains by its seepage or, when it holds
// less, empties into the cell below; a gaining reach starts the routing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "channel/channel_fixture.h"
#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/groundwater.h"

using namespace torva_test;

namespace
{

// One trapezoid link (bottom 1 m, side slope 1) of three nodes 10 m apart,
// bed at 100 m; node 1 lies in a river cell (ground 102 m), the bed passes
// 0.001 per second through 1 m.
const char* reach =
    "TORVA_CHAN\nALPHA 1\nBETA 1\nTHETA 0.5\nLINKS 1\nMAXNODES 4\nCONNECT 1 0 0\nLINK 1\n"
    "TRAPEZOID\nMANNINGS_N 0.03\nDX 10\nNODES 4\nNODE 1\nELEV 100\nXSEC\nBOTTOM_WIDTH 1\n"
    "SIDE_SLOPE 1\nBANKFULL_DEPTH 5\nNODE 2\nELEV 99.99\nNODE 3\nELEV 99.98\nNODE 4\nELEV 99.97\n";
const char* one_cell = "GRIDSTREAMFILE\nSTREAMCELLS 1\nCELLIJ 2 2\nNUMNODES 1\nLINKNODE 1 1 1.0\n";

} // namespace

TEST_F(ChannelProject, IdleChannelLosesWhatItHoldsOrStartsTheRoutingWhenGaining)
{
    struct row {
        const char* name;
        double head, dt;
        int state;
    } rows[] = {
        {"losing part of its water", 0.0, 60.0, 2},
        {"losing more than it holds", 0.0, 3600.0, 2},
        {"gaining", 101.0, 60.0, 1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(load_network(reach, one_cell, "STREAM_LOSS\nK_RIVER 3.6\nM_RIVER 1\n")) << out;
        model_state& m = *s;
        init_channel_state(m);
        ASSERT_EQ(error_state.raised, 0);
        const int c = m.gst_gnum[1][1];
        m.gwbound[c] = 4;
        if (r.head > 0.0) {
            m.water_table = m.gw_simulation = 1;
            m.elevgw.assign(m.num_cells, r.head);
            m.bottom_elev.assign(m.num_cells, 0.0);
        }
        m.gw_dt = 10800.0;
        m.gw_dt_days = m.gw_dt / 86400.0;
        m.current_time = 2451545.0;
        m.area[1][1] = 1.0; // depth (sqrt 5 - 1) / 2
        ex_section(m, 1);
        const double y = m.chan_depth[1][1];
        ASSERT_NEAR(y, (std::sqrt(5.0) - 1.0) / 2.0, 1e-9);
        const double q = y * 0.001 * (1.0 + 2.0 * y); // m2/s
        EXPECT_EQ(gw_idle_channel_exchange(m, r.dt), r.state);
        ASSERT_EQ(error_state.raised, 0);
        if (r.state == 2) {
            const double held = 10.0, lost = std::fmin(q * 10.0 * r.dt, held);
            EXPECT_NEAR(m.gw_chan_exchange[c], -lost, 1e-9);
            EXPECT_NEAR(m.area[1][1] * 10.0, held - lost, 1e-9);
            EXPECT_EQ(m.gw_step_count, 0);
        } else {
            EXPECT_EQ(m.gw_chan_exchange[c], 0.0);
            EXPECT_EQ(m.gw_step_count, 1);
            EXPECT_EQ(m.chan_routing_active, 1);
            EXPECT_EQ(m.chan_dt, 2700.0); // 10800 s halved to at most an hour
            EXPECT_EQ(m.chan_next, m.current_time);
            EXPECT_NEAR(m.chan_last, m.current_time - m.gw_dt_days, 1e-12);
            EXPECT_NEAR(m.area[1][1], 1.0, 1e-12);
        }
    }
}
