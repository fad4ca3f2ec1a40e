// Embankment low spots: their checks at start-up and the weir flow over
// them; and the depth-dependent roughness.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/error_state.h"
#include "overland/overland_fixture.h"
#include "overland/overland_steps.h"

using overland_test::make_plane;
using overland_test::plane_desc;

namespace
{

// Two cells, ground 100.0 and 99.9, with an embankment between them
// (right side of cell 1, left side of cell 2) and one low spot on it.
std::unique_ptr<model_state> diked_pair(const lowspot_rec& spot)
{
    plane_desc desc;
    desc.cols = 2;
    auto s = make_plane(desc);
    s->dike_map_given = 1;
    s->lowspot_file_given = 1;
    s->lowspot_file_name = "spots.txt";
    s->dike_mask.assign(2, 0);
    s->dike_mask[1] = 2;
    s->dike_mask[2] = 8;
    s->lowspots.assign(2, lowspot_rec{});
    s->lowspots[1] = spot;
    s->lowspot_count = 1;
    return s;
}

lowspot_rec spot(int col, int side, double fraction, double elevation)
{
    lowspot_rec r;
    r.row = 1;
    r.col = col;
    r.side = side;
    r.fraction = fraction;
    r.elevation = elevation;
    r.discharge = 5.0;
    return r;
}

struct Embankment : testing::Test {
    void SetUp() override { error_state_clear(); }
    void TearDown() override { error_state_clear(); }
};

} // namespace

TEST_F(Embankment, LowSpotChecks)
{
    struct check_case {
        const char* name;
        lowspot_rec spot;
        void (*change)(model_state&);
        const char* message; // start of the screen text; empty when valid
    };
    const check_case cases[] = {
        {"valid", spot(1, 2, 1.0, 100.5), nullptr, ""},
        {"fraction 1.5 passes", spot(1, 2, 1.5, 100.5), nullptr, ""},
        {"crest at the ground passes", spot(1, 2, 1.0, 100.0), nullptr, ""},
        {"fraction above 1.5", spot(1, 2, 1.5000001, 100.5), nullptr,
         "\nThe fraction of the grid-size specified for the lowspot in the grid at\n"
         "row 1 col 1 is unreasonable, with a value of 1.500000.  Acceptable\n"
         " values range from 0.0 to 1.5.  Change the value.  Program terminated.\n"},
        {"side 3", spot(1, 3, 1.0, 100.5), nullptr,
         "\nThe low spot flow direction specified in row 1 col 1 in the file spots.txt\n"
         "is not valid."},
        {"no embankment at the cell", spot(1, 2, 1.0, 100.5), [](model_state& s) { s.dike_mask[1] = 0; },
         "\nYou have specified an overland flow dike in row 1 col 1\n"
         "There is no dike adjacent to this grid cell.  Program stopped.\n"},
        {"no cell across", spot(1, 8, 1.0, 100.5), nullptr,
         "\nYou have specified a low spot on the left boundary of the grid\n"
         "cell at row 1 col 1.  Either the side you have specified is not on\n"},
        {"crest below the cell", spot(1, 2, 1.0, 99.95), nullptr,
         "\nThe elevation of the overland flow dike low spot you specified in the grid\n"
         "cell located at row 1 col 1 is 99.950000 m.  This elevation is lower than the\n"
         "elevation of the grid cell, which is 100.000000 m.  This situation is impossible.\n"
         "Please raise the low spot elevation to be greater than the grid cell elevation.\n"
         "Dike / low spot on right side of cell\nProgram terminated\n"},
        {"crest below the cell across", spot(1, 2, 1.0, 100.05),
         [](model_state& s) { s.ground_elev[2] = 100.1; },
         "\nThe elevation of the overland flow dike low spot you specified in the grid\n"
         "cell located at row 1 col 1 is 100.050000 m.  This elevation is lower than the\n"
         "elevation of the grid cell on the other side of the dike, which is 100.100000 m.\n"},
        {"along the embankment", spot(1, 2, 1.0, 100.5), [](model_state& s) { s.dike_mask[2] = 4; },
         "\nThe low spot you have specified in the grid at row 1  col 1 does not\n"
         "cross the dike.  Rather, it runs _along_ the dike.  You specified flow\n"
         "at this low spot across the right boundary of the cell, while the dike\n"
         "is running in a different direction than along the right side of the cell.\n"
         "Program terminated.\n"},
    };
    for (const check_case& c : cases) {
        error_state_clear();
        auto s = diked_pair(c.spot);
        if (c.change)
            c.change(*s);
        testing::internal::CaptureStdout();
        build_cell_connectivity(*s);
        const std::string text = testing::internal::GetCapturedStdout();
        const bool valid = *c.message == '\0';
        EXPECT_EQ(error_state.raised, valid ? 0 : 1) << c.name;
        if (!valid) {
            EXPECT_EQ(text.find(c.message), 0u) << c.name << "\n" << text;
        } else {
            EXPECT_EQ(s->lowspots[1].discharge, 0.0) << c.name;
            EXPECT_EQ(s->low_spot_flow_cell.size(), 3) << c.name;
        }
    }

    // Without the low-spot file no record is examined.
    error_state_clear();
    auto s = diked_pair(spot(1, 3, 9.0, 0.0));
    s->lowspot_file_given = 0;
    build_cell_connectivity(*s);
    EXPECT_EQ(error_state.raised, 0);
    EXPECT_TRUE(s->low_spot_flow_cell.empty());
}

TEST_F(Embankment, WeirFlowOverALowSpot)
{
    auto s = diked_pair(spot(1, 2, 1.0, 100.5));
    build_cell_connectivity(*s);
    const double area = 100.0;

    // Surfaces within 0.001 m: nothing moves, the last discharge stays.
    s->lowspots[1].discharge = 5.0;
    s->ov_depth[1] = 0.6;
    s->ov_depth[2] = 0.7005;
    double out = 0.0;
    double in = 0.0;
    embankment_flow(*s, 60.0, out, in);
    EXPECT_EQ(s->lowspots[1].discharge, 5.0);
    EXPECT_EQ(s->ov_depth[1], 0.6);

    // Cell 1 stands 0.01 m above the crest: the weir would move 0.09 m in
    // 600 s, but the source never drops below the crest.
    s->ov_depth[1] = 0.51;
    s->ov_depth[2] = 0.0;
    embankment_flow(*s, 600.0, out, in);
    EXPECT_NEAR(s->lowspots[1].discharge, 1.48 * 10.0 * std::pow(0.01, 1.5), 1e-12);
    EXPECT_NEAR(s->ov_depth[1], 0.5, 1e-12);
    EXPECT_NEAR(s->ov_depth[2], 0.01, 1e-12);
    EXPECT_EQ(s->low_spot_flow_cell[1], 1);
    EXPECT_EQ(s->low_spot_flow_cell[2], 1);

    // A channel lake on the high side gives lake volume instead of depth.
    s->chan_lakes = 1;
    s->num_lakes = 1;
    s->lake_mask.assign(2, 0);
    s->lake_mask[1] = 1;
    s->lake_elev.assign(1, 100.6);
    s->lake_volume.assign(1, 50.0);
    alloc_overland_routing(*s);
    s->ov_depth[2] = 0.0;
    embankment_flow(*s, 1.0, out, in);
    const double moved = 1.48 * 10.0 * std::pow(0.1, 1.5);
    EXPECT_NEAR(s->lake_volume[1], 50.0 - moved, 1e-12);
    EXPECT_NEAR(s->lake_out_dv[1], moved, 1e-12);
    EXPECT_NEAR(s->ov_depth[2], moved / area, 1e-12);
    EXPECT_EQ(out, 0.0);
    EXPECT_EQ(in, 0.0);
}

TEST(EffectiveRoughness, ExponentAndRange)
{
    const double nb[7] = {0, 0.05, 0.05, 0.05, 0.05, 0.05, 0.05};
    const double b[7] = {0, 0.0, 2.0, 0.0, 1.0, 0.0, 3.0};
    const double h[7] = {0, 0.5, 0.5, 1.0, 1.0, 0.0, 1.0};
    double out[7] = {0, 9, 9, 9, 9, 9, 9};
    effective_roughness(5, nb, b, h, out);
    EXPECT_EQ(out[1], 0.05);
    EXPECT_DOUBLE_EQ(out[2], 0.05 * std::exp(-1.0));
    EXPECT_DOUBLE_EQ(out[4], 0.05 * std::exp(-1.0));
    EXPECT_EQ(out[5], 0.05);
    EXPECT_EQ(out[6], 9.0); // above n: untouched
}
