// Seepage between a trapezoidal reach and the aquifer against hand values:
// gaining and losing nodes, a dry channel over a deep or a high water
// table, no water table at all, a node shared by two stream cells, and the
// lake-bed exchange.
#include <gtest/gtest.h>

#include <memory>

#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

// One trapezoid link (bottom 2 m, side slope 1) of three nodes with the bed
// at 10 m, bed conductivity 3.6 per hour (0.001 per second) through 1 m;
// node k lies in river cell k (ground 12 m, aquifer bottom 0).
std::unique_ptr<model_state> reach(double head, double depth)
{
    auto s = std::make_unique<model_state>();
    error_state_clear();
    s->num_cells = 3;
    s->num_links = 1;
    s->stream_loss = 1;
    s->water_table = 1;
    s->gw_simulation = 1;
    s->gridsize = 10.0;
    s->ltype.assign(1, 4);
    s->nx.assign(1, 3);
    s->og_nx1.assign(1, 3);
    for (dnode_mat* m : {&s->bel, &s->chan_depth, &s->bottom, &s->sslope, &s->sslope2, &s->bankfull_dep,
                         &s->Krb, &s->Mrb, &s->qriv})
        m->assign(3, 1, 0.0);
    for (int k = 1; k <= 3; ++k) {
        s->bel[k][1] = 10.0;
        s->chan_depth[k][1] = depth;
        s->bottom[k][1] = 2.0;
        s->sslope[k][1] = 1.0;
        s->Krb[k][1] = 3.6;
        s->Mrb[k][1] = 1.0;
    }
    s->gst_ncells = 3;
    s->gst_ncellsingrid.assign(3, 1);
    s->gst_link.assign(3, 1, 1);
    s->gst_node.assign(3, 1, 0);
    s->gst_gnum.assign(3, 1, 0);
    s->gst_pct.assign(3, 1, 1.0);
    s->gst_qriv.assign(3, 1, 0.0);
    s->gwbound.assign(3, 4);
    for (dvec* v : {&s->elevgw, &s->bottom_elev, &s->ground_elev})
        v->assign(3, 0.0);
    for (int c = 1; c <= 3; ++c) {
        s->gst_node[c][1] = c;
        s->gst_gnum[c][1] = c;
        s->elevgw[c] = head;
        s->ground_elev[c] = 12.0;
    }
    return s;
}

} // namespace

TEST(StreamGwExchange, GainingLosingAndDryReachesByHand)
{
    struct row {
        const char* name;
        double head, depth;
        int water_table, result;
        double q; // per node, m2/s
    } rows[] = {
        // Head 0.5 m above the surface: wetted 1 m (head - bed), width 4 m.
        {"gaining", 11.0, 0.5, 1, 1, 0.001 * 0.5 * 4.0},
        // Head between bed and surface: wetted 0.5 m, width 3 m.
        {"losing", 10.2, 0.5, 1, 2, 0.001 * (10.2 - 10.5) * 3.0},
        {"dry over a deep table", 5.0, 0.0, 1, 0, 0.0},
        // A dry channel under a table 0.3 m above its bed still gains.
        {"dry under a high table", 10.3, 0.0, 1, 1, 0.001 * 0.3 * 2.6},
        // Without a water table every wet node loses by its depth.
        {"no water table", 99.0, 0.5, 0, 2, -(0.5 * 0.001) * 3.0},
    };
    for (const row& r : rows) {
        auto s = reach(r.head, r.depth);
        s->water_table = r.water_table;
        EXPECT_EQ(stream_gw_exchange(*s), r.result) << r.name;
        for (int k = 1; k <= 3; ++k) {
            EXPECT_NEAR(s->qriv[k][1], r.q, 1e-15) << r.name << " node " << k;
            EXPECT_NEAR(s->gst_qriv[k][1], r.q, 1e-15) << r.name << " node " << k;
        }
    }
}

TEST(StreamGwExchange, ANodeSharedByTwoCellsSumsItsEntriesByTheirFractions)
{
    auto s = reach(11.0, 0.5);
    // Cell 3's entry joins node 2, with 40 % of the reach beside cell 2's 60 %.
    s->gst_node[3][1] = 2;
    s->gst_pct[2][1] = 0.6;
    s->gst_pct[3][1] = 0.4;
    s->elevgw[3] = 10.2;
    EXPECT_EQ(stream_gw_exchange(*s), 1);
    EXPECT_NEAR(s->qriv[2][1], 0.6 * 0.002 + 0.4 * (0.001 * -0.3 * 3.0), 1e-15);
    EXPECT_EQ(s->qriv[3][1], 0.0);
}

TEST(StreamGwExchange, LakeBedsExchangeByTheHeadAboveOrTheLevelOverTheGround)
{
    auto s = reach(5.0, 0.0);
    s->stream_loss = 0;
    s->lake_gw_exchange = 1;
    s->lake_mask.assign(3, 1);
    s->lake_mask[3] = 0;
    s->lake_elev.assign(1, 13.0);
    s->lake_bed_thick.assign(1, 50.0); // cm
    s->dist_ksat.assign(3, 1e-5);
    s->lake_gw_rate.assign(3, 7.0);
    s->gwbound[1] = 7; // lake cell: head 5 m lies below the ground, the lake loses by its depth
    s->gwbound[2] = 1; // not a lake cell of the aquifer: no exchange
    EXPECT_EQ(stream_gw_exchange(*s), 0);
    EXPECT_NEAR(s->lake_gw_rate[1], -(13.0 - 12.0) * 1e-5 / 0.5 * 10.0, 1e-15);
    EXPECT_EQ(s->lake_gw_rate[2], 0.0);
    EXPECT_EQ(s->lake_gw_rate[3], 0.0);
    // A head above the ground feeds the lake by its height over the level.
    s->elevgw[1] = 14.0;
    stream_gw_exchange(*s);
    EXPECT_NEAR(s->lake_gw_rate[1], (14.0 - 13.0) * 1e-5 / 0.5 * 10.0, 1e-15);
}
