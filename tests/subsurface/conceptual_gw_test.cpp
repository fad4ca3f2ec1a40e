// The conceptual groundwater model: its parameter file's messages, the
// reservoir's exact bookkeeping, the weights by contributing area on a
// small network and the lateral inflow into a dry channel.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "channel/chan_routing.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "subsurface/lumped_models.h"
#include "subsurface/lumped_reader_fixture.h"
#include "subsurface/soil_tables.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct read_result : lumped_read {
    cgw_model m;
};

read_result read_text(const std::string& text)
{
    read_result r;
    static_cast<lumped_read&>(r) =
        read_lumped_text("cgw_reader", "p.cgw", text, [&](model_state& s, file_rec& f) {
            dvec area; // no upslope area asked for
            read_conceptual_gw(s, f, r.m, area);
        });
    return r;
}

const char* const cards = "slow_max 100\nFAST_MAX 20\nslow_rate 0.01\nfast_rate 0.2\nslow_content 0.5\n"
                          "fast_content 0.1\nunderflow_percent 0.1\n";

} // namespace

TEST(ConceptualGwReader, CardsWarningsAndMessages)
{
    read_result r = read_text("TORVA_CONCEPTUAL_GW\ntorva_conceptual_gw\n" + std::string(cards));
    ASSERT_FALSE(r.stopped) << r.out << r.err;
    EXPECT_EQ(r.m.slow_content, 50.0);
    EXPECT_EQ(r.m.fast_content, 2.0);
    EXPECT_DOUBLE_EQ(r.m.max_out, 20.0 * 0.2 + 100.0 * 0.01);

    std::string c = cards;
    c.replace(c.find("slow_max 100"), 12, "slow_max -5");
    c.replace(c.find("underflow_percent 0.1"), 21, "underflow_percent 2");
    r = read_text("TORVA_CONCEPTUAL_GW\n" + c);
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.err, "WARNING:slow_max changed!\nWARNING:underflow_percent changed!\n");
    EXPECT_EQ(r.m.slow_max, 10.0);
    EXPECT_EQ(r.m.underflow_percent, 0.01);

    r = read_text("CONCEPTUAL\n" + std::string(cards));
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.err,
              "have the proper header: TORVA_CONCEPTUAL_GW \nProgram terminated in read_conceptual_gw\n");

    c = cards;
    c.replace(c.find("underflow_percent 0.1"), 21, "fast_rate 0.2");
    r = read_text("TORVA_CONCEPTUAL_GW\n" + c);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.err, "Duplicate cards read in Conceptual_GW parameter file.\n"
                     "There should be only 8 different cards in the file\nwith no duplicates.\n"
                     "Program terminated in read_conceptual_gw\n");

    r = read_text("TORVA_CONCEPTUAL_GW\nslow_max 100\n");
    EXPECT_TRUE(r.stopped);
    EXPECT_NE(r.out.find("Premature end-of-file in the Conceptual GW parameter input file.\n"
                         "The file should contain 9 parameters.  Only 1 parameters read.\n"
                         "Program terminated in read_conceptual_gw.\n"),
              std::string::npos)
        << r.out;
}

TEST(CongwReservoir, OverfillGoesToTheFastStoreAndTheVolumeIsKept)
{
    cgw_model m;
    m.slow_max = 10.0, m.fast_max = 10.0, m.slow_rate = 0.1, m.fast_rate = 0.5;
    m.slow_content = 9.0, m.fast_content = 1.0;
    double slow = 0.0, fast = 0.0;
    // Drained: slow 8.1, fast 0.5; the slow share 20/6 exceeds its room 1.9.
    const double out = congw_reservoir_step(20.0, m, slow, fast);
    EXPECT_NEAR(slow, 0.9, 1e-12);
    EXPECT_NEAR(fast, 0.5, 1e-12);
    EXPECT_NEAR(out, 1.4, 1e-12);
    EXPECT_NEAR(m.slow_content, 10.0, 1e-12);
    EXPECT_NEAR(m.fast_content, 0.5 + 20.0 - 1.9, 1e-12);
    EXPECT_NEAR(m.slow_content + m.fast_content + out - 10.0, 20.0, 1e-12);
    // Without input the stores only drain.
    congw_reservoir_step(0.0, m, slow, fast);
    EXPECT_NEAR(m.slow_content, 9.0, 1e-12);
    EXPECT_NEAR(m.fast_content, 18.6 * 0.5, 1e-12);
}

TEST(CgwWeights, ContributingAreasSumToOneAndFeedADryChannel)
{
    // Links 1 and 2 join into link 3; two nodes and two stream cells each.
    auto s = std::make_unique<model_state>();
    s->num_cells = 6;
    s->gridsize = 10.0;
    s->conceptual_gw = s->chan_explicit = s->grid_stream = 1;
    s->num_links = 3;
    s->link_dx.assign(3, 10.0);
    s->ltype.assign(3, 4);
    s->nx.assign(3, 2);
    s->ndep.assign(3, 0);
    s->ndep[3] = 2;
    s->dslink.assign(3, 0);
    s->dslink[1] = s->dslink[2] = 3;
    s->uslinks.assign(3, 2, 0);
    s->uslinks[3][1] = 1;
    s->uslinks[3][2] = 2;
    s->qlat.assign(2, 3, 0.0);
    s->gst_ncells = 6;
    s->gst_max_entries = 1;
    s->gst_ncellsingrid.assign(6, 1);
    for (imat* a : {&s->gst_link, &s->gst_node, &s->gst_gnum})
        a->assign(6, 1, 0);
    s->gst_pct.assign(6, 1, 1.0);
    s->con_link.assign(6, 0);
    s->upslope_area.assign(6, 0.0);
    const double area[] = {100.0, 300.0, 200.0, 400.0, 900.0, 1000.0};
    for (int m = 1; m <= 6; ++m) {
        s->gst_link[m][1] = s->con_link[m] = (m + 1) / 2;
        s->gst_node[m][1] = 2 - m % 2;
        s->gst_gnum[m][1] = m;
        s->upslope_area[m] = area[m - 1];
    }
    error_state_clear();
    testing::internal::CaptureStdout();
    compute_cgw_weights(*s);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(error_state.code, 0);
    // Link 1 adds 300 - 200 (link 2's second area), link 2 adds 400 - 100,
    // link 3 adds 1000 - 300: shares 0.05, 0.15 and 0.35 per node sum to 1.1,
    // which is reported and scaled back to 1.
    EXPECT_NE(out.find("6  link  3 area  1000.00 \n"), std::string::npos) << out;
    EXPECT_NE(out.find("CGW Weights: 1.100000\nSummation of the cgw weights is not equal to 1.0.\n"),
              std::string::npos)
        << out;
    double sum = 0.0;
    for (int m = 1; m <= 6; ++m)
        sum += s->gst_cgw_weight[m][1];
    EXPECT_NEAR(sum, 1.0, 1e-12);
    EXPECT_NEAR(s->gst_cgw_weight[1][1], 0.05 / 1.1, 1e-12);
    EXPECT_NEAR(s->gst_cgw_weight[3][1], 0.15 / 1.1, 1e-12);
    EXPECT_NEAR(s->gst_cgw_weight[6][1], 0.35 / 1.1, 1e-12);

    // The reservoir's whole outflow reaches the channel with no cell wet.
    s->cgw_to_chan = 0.3;
    EXPECT_NEAR(lumped_channel_inflow(*s, 30.0), 0.3 * 30.0, 1e-12);
    double q = 0.0;
    for (int l = 1; l <= 3; ++l)
        for (int n = 1; n <= 2; ++n)
            q += s->qlat[n][l] * 10.0;
    EXPECT_NEAR(q, 0.3, 1e-12);
}
