// Structure links on a loaded network: the elements follow their series,
// the flow is limited by the water it draws from, a dry structure passes
// nothing, and elements and links the routing cannot evaluate are refused.
#include <gtest/gtest.h>

#include <string>

#include "channel/channel_fixture.h"
#include "channel/channel_steps.h"
#include "channel/hydraulic_structures.h"
#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"

using namespace torva_test;

namespace
{

// Link 1 (a trapezoid, four points 10 m apart, bed 100 m), structure link 2
// holding `elements`, link 3 (a trapezoid, bed 99 m) to the outlet.
std::string structure_network(const std::string& elements, int count = 1)
{
    std::string t = "TORVA_CHAN\nALPHA 1\nBETA 1\nTHETA 0.5\nLINKS 3\nMAXNODES 4\n"
                    "CONNECT 1 2 0\nCONNECT 2 3 1 1\nCONNECT 3 0 1 2\n";
    for (int l : {1, 3}) {
        const double bed = l == 1 ? 100.0 : 99.0;
        t += "LINK " + std::to_string(l) + "\nTRAPEZOID\nMANNINGS_N 0.03\nDX 10\nNODES 4\n";
        for (int k = 1; k <= 4; ++k) {
            t += "NODE " + std::to_string(k) + "\nELEV " + std::to_string(bed - 0.01 * (k - 1)) + "\n";
            if (k == 1)
                t += "XSEC\nBOTTOM_WIDTH 2\nSIDE_SLOPE 1\nBANKFULL_DEPTH 3\n";
        }
        if (l == 1)
            t += "LINK 2\nSTRUCTURE\nNUMSTRUCTS " + std::to_string(count) + "\n" + elements;
    }
    return t;
}

const char* gst = "GRIDSTREAMFILE\nSTREAMCELLS 1\nCELLIJ 2 2\nNUMNODES 1\nLINKNODE 1 1 1.0\n";

struct StructureLink : ChannelProject {
    bool load_structure(const std::string& elements, int count = 1)
    {
        file("es.txt", "TORVA_ES\nstage_q\n100 0\n101 2\n102 6\nEND_ES\n");
        if (!load_network(structure_network(elements, count), gst))
            return false;
        init_channel_state(*s);
        return error_state.raised == 0;
    }
    // Levels on both sides (deep water on each), then the link's flow.
    double flow(double up, double down, double dt = 1.0)
    {
        model_state& m = *s;
        const int n = m.nx[1];
        m.chan_depth[n][1] = up - m.bel[n][1];
        m.chan_depth[1][3] = down - m.bel[1][3];
        m.area[n][1] = m.area[1][3] = 10.0;
        return structure_link_flow(m, 2, dt);
    }
};

} // namespace

TEST_F(StructureLink, SeriesElementsFollowTheirSeries)
{
    ASSERT_TRUE(load_structure("STRUCTTYPE RATING_CURVE stage_q\n")) << out;
    EXPECT_DOUBLE_EQ(flow(100.5, 99.0), 1.0); // linear
    EXPECT_DOUBLE_EQ(flow(101.5, 99.0), 4.0);
    ASSERT_TRUE(load_structure("STRUCTTYPE RULE_CURVE stage_q\n")) << out;
    EXPECT_DOUBLE_EQ(flow(100.5, 99.0), 0.0); // stepwise: the interval's left end
    EXPECT_DOUBLE_EQ(flow(101.5, 99.0), 2.0);
    ASSERT_TRUE(load_structure("STRUCTTYPE SCHEDULED_RELEASE release\n")) << out;
    s->current_time = julian_date(2000, 1, 1, 12, 0, 0.0);
    EXPECT_DOUBLE_EQ(flow(100.5, 99.0), 1.5); // in time: 1.0 at midnight, 2.0 a day later
    // Elements add up.
    ASSERT_TRUE(load_structure("STRUCTTYPE RATING_CURVE stage_q\nSTRUCTTYPE RULE_CURVE stage_q\n", 2)) << out;
    EXPECT_DOUBLE_EQ(flow(101.5, 99.0), 6.0);
}

TEST_F(StructureLink, LimitedByTheWaterItDrawsFromAndDryPassesNothing)
{
    ASSERT_TRUE(load_structure("STRUCTTYPE RATING_CURVE stage_q\n")) << out;
    model_state& m = *s;
    EXPECT_DOUBLE_EQ(flow(101.5, 99.0, 100.0), 10.0 * 10.0 / 100.0); // 100 m3 upstream over 100 s
    m.chan_depth[m.nx[1]][1] = 0.0;
    m.chan_depth[1][3] = 0.0;
    EXPECT_EQ(structure_link_flow(m, 2, 1.0), 0.0);
    // A weir drawing back from a downstream node that holds 5 m3.
    ASSERT_TRUE(load_structure("STRUCTTYPE WEIR\nCREST_LENGTH 2\nCREST_LOW_ELEV 100.2\n"
                               "DISCHARGE_COEFF_FORWARD 0.6\nDISCHARGE_COEFF_REVERSE 0.6\n"))
        << out;
    const int n = s->nx[1];
    s->chan_depth[n][1] = 0.0;
    s->chan_depth[1][3] = 2.0;
    s->area[n][1] = 0.0;
    s->area[1][3] = 0.5;
    EXPECT_DOUBLE_EQ(structure_link_flow(*s, 2, 10.0), -0.5);
}

TEST_F(StructureLink, ElementsAndLinksTheRoutingCannotEvaluateAreRefused)
{
    const std::string culvert = "STRUCTTYPE ROUND_CULVERT\nDIAMETER 1\nUPINVERT 100\nDOWNINVERT 99\n";
    struct refusal {
        std::string elements;
        const char* message;
        const char* reported = "";
    } cases[] = {
        {"STRUCTTYPE OVAL_CULVERT\nA_VALUE 1\nB_VALUE 1\nLENGTH 10\n",
         "Error in the channel input file c.chn: structure element 1 of link 2 is an OVAL_CULVERT.\n",
         "arch culverts not yet supported in subroutine crit_calc() \n"},
        {culvert, "structure element 1 of link 2 is a culvert whose LENGTH is below 1e-4 m.\n"},
        {"STRUCTTYPE SAG_WEIR\nCREST_LENGTH 5\nSTEEP_SLOPE 0.1\nSHALLOW_SLOPE 0.1\n",
         "structure element 1 of link 2 is a sag weir that needs a positive CREST_LENGTH and a STEEP_SLOPE "
         "below its SHALLOW_SLOPE.\n"},
    };
    for (const refusal& c : cases) {
        EXPECT_FALSE(load_structure(c.elements));
        EXPECT_TRUE(printed(c.message)) << out;
        EXPECT_TRUE(printed(c.reported)) << out;
    }
    // A structure link at the outlet has no downstream level.
    std::string net = edited(structure_network(culvert + "LENGTH 10\n"),
                             "CONNECT 1 2 0\nCONNECT 2 3 1 1\nCONNECT 3 0 1 2\n",
                             "CONNECT 1 3 0\nCONNECT 3 2 1 1\nCONNECT 2 0 1 3\n");
    net = edited(net, "LINK 2\nSTRUCTURE", "LINK 9\nSTRUCTURE");
    net = edited(net, "LINK 3\n", "LINK 2\n");
    net = edited(net, "LINK 9\n", "LINK 3\n");
    ASSERT_TRUE(load_network(net, gst)) << out;
    testing::internal::CaptureStdout();
    init_channel_state(*s);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_NE(
        said.find(
            "Error: structure link 3 is the outlet link; a structure link needs a channel link or a lake "
            "downstream.\n"),
        std::string::npos)
        << said;
}
