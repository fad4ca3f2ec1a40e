// The Sacramento model: its parameter file's messages, the store
// trajectories of the land phase against values computed by hand (an
// independent transcription of the published steps), the weights of the
// grid-stream coupling and the step's totals.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "channel/chan_routing.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "subsurface/lumped_models.h"
#include "subsurface/lumped_reader_fixture.h"
#include "subsurface/soil_tables.h"
#include "subsurface/subsurface_steps.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

const char* const good_cards =
    "uztwm 20\nUZFWM 20\nuzk 0.3\nzperc 10\nrexp 2\nlztwm 100\nlzfsm 50\nlzfpm 100\n"
    "lzsk 0.1\nlzpk 0.01\npfree 0.2\nsaved 0\nuztwc 1.0\nuzfwc 0\nlztwc 0.5\n"
    "lzfsc 0.2\nlzfpc 0.4\n";

struct read_result : lumped_read {
    sac_model m;
};

read_result read_text(const std::string& text)
{
    read_result r;
    static_cast<lumped_read&>(r) =
        read_lumped_text("sacramento_reader", "p.sac", text,
                         [&](model_state& s, file_rec& f) { read_sacramento_input(s, f, r.m); });
    return r;
}

} // namespace

TEST(SacramentoReader, ReadsCardsInAnyCaseAndTurnsFractionsIntoDepths)
{
    const read_result r = read_text("TORVA_SACRAMENTO model\nnum_basins 1\nbasin 3\nuztwmx 99\n\n" +
                                    std::string(good_cards) + "uztwm 5\n");
    ASSERT_FALSE(r.stopped) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.m.num_basins, 1);
    EXPECT_EQ(r.m.uztwm, 20.0); // "uztwmx" is another keyword; the line after the 17th card is not read
    EXPECT_EQ(r.m.uzfwm, 20.0);
    EXPECT_EQ(r.m.uztwc, 20.0);
    EXPECT_EQ(r.m.lztwc, 50.0);
    EXPECT_EQ(r.m.lzfsc, 10.0);
    EXPECT_EQ(r.m.lzfpc, 40.0);
    EXPECT_DOUBLE_EQ(r.m.pbase, 100.0 * 0.01 + 50.0 * 0.1);
}

TEST(SacramentoReader, ExactMessages)
{
    read_result r = read_text("SACRAMENTO\n" + std::string(good_cards));
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.err, "The specified Sacramento model input parameter file does not\n"
                     "have the proper header: TORVA_SACRAMENTO \nProgram terminated in read_sacramento\n");

    // A repeated card stops the run even though 17 cards were counted.
    std::string cards = good_cards;
    cards.replace(cards.find("lzfpc 0.4\n"), 10, "uzk 0.3\n");
    r = read_text("TORVA_SACRAMENTO\n" + cards);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.err, "Duplicate cards read in Sacramento parameter file.\n"
                     "There should be only 21 different cards in the file\nwith no duplicates.\n"
                     "Program terminated in read_sacramento\n");

    r = read_text("TORVA_SACRAMENTO\nuztwm 20\nuzfwm 20\nuzk 0.3\n");
    EXPECT_TRUE(r.stopped);
    EXPECT_NE(r.out.find("Premature end-of-file in the Sacramento parameter input file.\n"
                         "The file should contain 21 parameters.  Only 3 parameters read.\n"
                         "Program terminated in read_sacramento_input.\n"),
              std::string::npos)
        << r.out;

    // Clipped values, each with its warning, in the order of the checks.
    cards = good_cards;
    cards.replace(cards.find("uztwc 1.0"), 9, "uztwc 1.5");
    cards.replace(cards.find("uzfwc 0"), 7, "uzfwc -0.2");
    cards.replace(cards.find("uzk 0.3"), 7, "uzk 1.5");
    cards.replace(cards.find("lzpk 0.01"), 9, "lzpk -1");
    cards.replace(cards.find("saved 0"), 7, "saved 90");
    r = read_text("TORVA_SACRAMENTO\n" + cards);
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.err, "WARNING:uztwc changed!\nWARNING:uzfwc changed!\nWARNING:uzk changed!\n"
                     "WARNING:lzpk changed!\nWARNING:saved changed!\n");
    EXPECT_DOUBLE_EQ(r.m.uztwc, 0.99 * 20.0);
    EXPECT_DOUBLE_EQ(r.m.uzfwc, 0.01 * 20.0);
    EXPECT_EQ(r.m.uzk, 0.5);
    EXPECT_EQ(r.m.lzpk, 0.05);
    EXPECT_EQ(r.m.saved, 40.0);

    // Values that cannot be used are refused, naming the card and line.
    cards = good_cards;
    cards.replace(cards.find("lztwm 100"), 9, "lztwm nan");
    r = read_text("TORVA_SACRAMENTO\n" + cards);
    EXPECT_TRUE(r.stopped);
    EXPECT_NE(r.out.find("\"nan\" of lztwm on line 7"), std::string::npos) << r.out;
    cards = good_cards;
    cards.replace(cards.find("UZFWM 20"), 8, "UZFWM 0");
    r = read_text("TORVA_SACRAMENTO\n" + cards);
    EXPECT_TRUE(r.stopped);
    EXPECT_NE(r.out.find("of uzfwm on line 3"), std::string::npos) << r.out;
}

namespace
{

sac_model example_model()
{
    sac_model m;
    m.uztwm = 20, m.uzfwm = 20, m.uzk = 0.3, m.zperc = 10, m.rexp = 2, m.lztwm = 100, m.lzfsm = 50,
    m.lzfpm = 100;
    m.lzsk = 0.1, m.lzpk = 0.01, m.pfree = 0.2, m.saved = 0;
    m.uztwc = 20, m.uzfwc = 0, m.lztwc = 50, m.lzfsc = 10, m.lzfpc = 40;
    m.pbase = m.lzfpm * m.lzpk + m.lzfsm * m.lzsk;
    return m;
}

} // namespace

TEST(SacLandPhase, StoreTrajectoriesMatchHandValues)
{
    sac_model m = example_model();
    // 12 mm onto a full tension store and an empty free store: three
    // increments of 4 mm, with percolation, interflow and base flow.
    double et = 0.0;
    sac_land_phase(m, et, 12.0);
    EXPECT_EQ(et, 0.0);
    EXPECT_NEAR(m.uztwc, 20.0, 1e-12);
    EXPECT_NEAR(m.uzfwc, 6.84103024651968, 1e-12);
    EXPECT_NEAR(m.lztwc, 53.64816762151438, 1e-12);
    EXPECT_NEAR(m.lzfsc, 9.389953225369615, 1e-12);
    EXPECT_NEAR(m.lzfpc, 40.115834981943244, 1e-12);
    EXPECT_NEAR(m.outflow, 2.0050139246530798, 1e-12);

    // Then a dry hour with 3 mm of demand, taken from the tension water.
    et = 3.0;
    sac_land_phase(m, et, 0.0);
    EXPECT_NEAR(et, 3.0, 1e-12);
    EXPECT_NEAR(m.uztwc, 17.0, 1e-12);
    EXPECT_NEAR(m.uzfwc, 0.5570407204498433, 1e-12);
    EXPECT_NEAR(m.lztwc, 58.29546723797337, 1e-12);
    EXPECT_NEAR(m.lzfsc, 8.938477926176134, 1e-12);
    EXPECT_NEAR(m.lzfpc, 40.36576068990281, 1e-12);
    EXPECT_NEAR(m.outflow, 1.8382395008447683, 1e-12);
    EXPECT_NEAR(m.residual, 0.0, 1e-9);
}

TEST(SacLandPhase, PrimaryShareIsCappedSoTheSupplementaryStoreNeverLosesWater)
{
    // A nearly full supplementary store over an empty primary store: the
    // split would give the primary store 1.8 times the percolation.
    sac_model m = example_model();
    m.lzfsm = 10.0, m.lzfsc = 9.9, m.lzfpc = 0.0, m.uzfwc = 15.0, m.lztwc = 100.0;
    m.pbase = m.lzfpm * m.lzpk + m.lzfsm * m.lzsk;
    double et = 0.0;
    sac_land_phase(m, et, 0.0);
    EXPECT_NEAR(m.lzfsc, 9.9 * 0.9, 1e-12); // only its base flow left it
    EXPECT_NEAR(m.lzfpc, 3.7908793054100536, 1e-12);
    EXPECT_NEAR(m.uzfwc, 7.500388946966482, 1e-12);
    EXPECT_NEAR(m.residual, 0.0, 1e-9);

    // A long wet and dry sequence keeps the residual at 0 and every store
    // within its capacity.
    m = example_model();
    for (int h = 0; h < 500; ++h) {
        double demand = h % 24 < 12 ? 0.4 : 0.0;
        sac_land_phase(m, demand, h % 50 < 5 ? 30.0 : 0.0);
        ASSERT_GE(m.lzfsc, 0.0);
        ASSERT_LE(m.lzfsc, m.lzfsm + 1e-12);
        ASSERT_LE(m.lzfpc, m.lzfpm + 1e-12);
        ASSERT_LE(m.uzfwc, m.uzfwm + 1e-12);
    }
    EXPECT_NEAR(m.residual, 0.0, 1e-9);
}

TEST(SacramentoStep, TotalsKeepDemandAndActualEtApart)
{
    model_state s;
    s.sacramento = 1;
    s.num_cells = 4;
    s.sac_area = 400.0;
    s.sac = example_model();
    s.time_tol = 1.1574074074074074e-7;
    s.current_time = 2.0;
    s.sac_next = 2.0;
    s.sac_dt_days = 1.0 / 24.0;
    s.aet_avg = 0.5;           // cm: 5 mm of demand, more than the tension water gives
    s.sac.uztwc = 2.0;         // so the actual ET is smaller
    s.sac_inf_acc = 4 * 0.003; // 3 mm on each of the four cells
    sacramento_step(s);
    EXPECT_DOUBLE_EQ(s.sac_initial_storage, 2.0 + 0.0 + 50.0 + 10.0 + 40.0);
    EXPECT_DOUBLE_EQ(s.sac_rain_total, 3.0);
    EXPECT_DOUBLE_EQ(s.sac_infil_event, 3.0 * 0.4);
    EXPECT_DOUBLE_EQ(s.sac_pet_total, 5.0);
    EXPECT_LT(s.sac_aet_total, 5.0);
    EXPECT_GT(s.sac_aet_total, 0.0);
    EXPECT_DOUBLE_EQ(s.sac_to_chan, s.sac.outflow * 400.0 / 3600000.0);
    EXPECT_DOUBLE_EQ(s.sac_baseflow_event, s.sac.outflow * 0.4);
    EXPECT_NEAR(s.sac_next, 2.0 + 1.0 / 24.0, 1e-12);
    EXPECT_EQ(s.sac_inf_mark, s.sac_inf_acc);
}

namespace
{

// Two links of 3 nodes (node spacing 30 m and 45 m) crossing four stream
// cells; cell 4 holds two entries, one on each link.
std::unique_ptr<model_state> grid_stream_fixture()
{
    auto s = std::make_unique<model_state>();
    s->num_cells = 6;
    s->sacramento = 1;
    s->chan_explicit = 1;
    s->grid_stream = 1;
    s->super_quiet = 1;
    s->num_links = 2;
    s->link_dx.assign(2, 0.0);
    s->link_dx[1] = 30.0;
    s->link_dx[2] = 45.0;
    s->ltype.assign(2, 4);
    s->nx.assign(2, 3);
    s->qlat.assign(3, 2, 0.0);
    s->gst_ncells = 4;
    s->gst_ncellsingrid.assign(4, 1);
    s->gst_ncellsingrid[4] = 2;
    for (imat* a : {&s->gst_link, &s->gst_node, &s->gst_gnum})
        a->assign(4, 2, 0);
    for (dmat* a : {&s->gst_pct, &s->gst_sac_weight})
        a->assign(4, 2, 0.0);
    const int link[4][2] = {{1, 0}, {1, 0}, {2, 0}, {1, 2}};
    const int node[4][2] = {{1, 0}, {2, 0}, {2, 0}, {3, 1}};
    const double pct[4][2] = {{1.0, 0}, {1.0, 0}, {1.0, 0}, {0.4, 0.6}};
    for (int m = 1; m <= 4; ++m)
        for (int e = 1; e <= s->gst_ncellsingrid[m]; ++e) {
            s->gst_link[m][e] = link[m - 1][e - 1];
            s->gst_node[m][e] = node[m - 1][e - 1];
            s->gst_pct[m][e] = pct[m - 1][e - 1];
            s->gst_gnum[m][e] = m + 1;
        }
    s->sac_topo_index = 1;
    s->topo_dex.assign(6, 0.0);
    for (int c = 1; c <= 6; ++c)
        s->topo_dex[c] = 5.0 + c;
    return s;
}

} // namespace

TEST(SacramentoWeights, GridStreamWeightsSumToOneAndFeedADryChannel)
{
    for (int topo = 1; topo >= 0; --topo) {
        SCOPED_TRACE(topo ? "with TOPO_INDEX" : "evenly");
        auto s = grid_stream_fixture();
        s->sac_topo_index = topo;
        error_state_clear();
        compute_sacramento_weights(*s);
        ASSERT_EQ(error_state.code, 0);
        double sum = 0.0;
        for (int m = 1; m <= 4; ++m)
            for (int e = 1; e <= s->gst_ncellsingrid[m]; ++e) {
                EXPECT_GT(s->gst_sac_weight[m][e], 0.0);
                sum += s->gst_sac_weight[m][e];
            }
        EXPECT_NEAR(sum, 1.0, 1e-9);
        // A wetter index or a longer node spacing draws a larger share.
        if (topo) {
            EXPECT_GT(s->gst_sac_weight[2][1], s->gst_sac_weight[1][1]);
        }
        EXPECT_NEAR(s->gst_sac_weight[3][1] / s->gst_sac_weight[2][1], topo ? 45.0 * 9.0 / (30.0 * 8.0) : 1.5,
                    1e-12);

        // With no cell wet, the discharge still reaches the channel whole.
        s->sac_to_chan = 0.2;
        const double v = lumped_channel_inflow(*s, 60.0);
        EXPECT_NEAR(v, 0.2 * 60.0, 1e-12);
        double q = 0.0;
        for (int l = 1; l <= 2; ++l)
            for (int n = 1; n <= 3; ++n)
                q += s->qlat[n][l] * s->link_dx[l];
        EXPECT_NEAR(q, 0.2, 1e-12);
    }
}
