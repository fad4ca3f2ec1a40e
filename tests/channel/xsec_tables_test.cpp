// Break-point depth tables against closed forms, the guarded crossings of
// flat pieces lying at a level, the islands limit, interpolated tables, the
// cross-section hydraulics of both modes and the lake rating curve.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "channel/channel_input.h"
#include "channel/channel_services.h"
#include "channel/channel_state.h"
#include "core/error_state.h"

namespace
{

struct pt {
    double x, y;
};

// One link of `nodes` node points and the given sections, with its tables
// built; the state is sized for that link only.
struct bp_link {
    channel_state c;
    dmat x, y;
    std::vector<int> node_of{0}, pairs{0}, levels{0};
    std::string out;
    bool ok = false;

    bp_link(const std::vector<std::vector<pt>>& sections, const std::vector<int>& at, int nodes, int levels_n,
            int type = 8, double n = 0.05)
    {
        error_state_clear();
        size_t most = 0;
        for (const auto& s : sections)
            most = std::max(most, s.size());
        const int b = static_cast<int>(sections.size());
        x.assign(static_cast<int>(most), b, 0.0);
        y.assign(static_cast<int>(most), b, 0.0);
        for (int j = 1; j <= b; ++j) {
            const auto& s = sections[static_cast<size_t>(j - 1)];
            for (size_t k = 0; k < s.size(); ++k) {
                x[static_cast<int>(k) + 1][j] = s[k].x;
                y[static_cast<int>(k) + 1][j] = s[k].y;
            }
            node_of.push_back(at[static_cast<size_t>(j - 1)]);
            pairs.push_back(static_cast<int>(s.size()));
            levels.push_back(levels_n);
        }
        c.num_links = 1;
        c.node_dim = nodes + 1;
        c.table_num.assign(c.node_dim, 2, 0);
        c.bplink.assign(1, (type & 2) ? 1 : 0);
        const int tables = nodes;
        for (dmat* m : {&c.xarea, &c.xtw, &c.xk, &c.xp})
            m->assign(std::min(levels_n, 30000), tables, 0.0);
        c.numpairs.assign(tables, 0);
        c.numhts.assign(tables, 0);
        c.ht_spc.assign(tables, 0.0);
        if (type & 2) {
            c.xbp_lnn.assign(2, c.node_dim, static_cast<int>(most) + 1, 0.0);
            c.ybp_lnn.assign(2, c.node_dim, static_cast<int>(most) + 1, 0.0);
        }
        bp_link_sections in;
        in.link = 1;
        in.nodes = nodes;
        in.type = type;
        in.count = b;
        in.x = &x;
        in.y = &y;
        in.node_of = node_of.data();
        in.pairs = pairs.data();
        in.levels = levels.data();
        in.mannings_n = n;
        int counter = 0;
        testing::internal::CaptureStdout();
        ok = build_breakpoint_tables(c, in, counter);
        out = testing::internal::GetCapturedStdout();
    }
    ~bp_link() { error_state_clear(); }
};

struct closed_form {
    const char* name;
    std::vector<pt> points;
    std::function<double(double)> area, top_width, perimeter;
};

double manning_k(double n, double a, double p)
{
    return a / n * std::pow(a / p, 2.0 / 3.0);
}

void expect_rel(double expected, double actual, double rel, const char* what, int level)
{
    EXPECT_NEAR(actual, expected, rel * std::max(1.0, std::fabs(expected))) << what << " level " << level;
}

} // namespace

TEST(BreakpointTables, ClosedFormShapes)
{
    const double r2 = std::sqrt(2.0);
    const closed_form shapes[] = {
        {"V",
         {{0, 1}, {1, 0}, {2, 1}},
         [](double h) { return h * h; },
         [](double h) { return 2 * h; },
         [r2](double h) { return 2 * r2 * h; }},
        {"rectangle",
         {{0, 1}, {0, 0}, {2, 0}, {2, 1}},
         [](double h) { return 2 * h; },
         [](double) { return 2.0; },
         [](double h) { return 2 + 2 * h; }},
        {"trapezoid",
         {{0, 1}, {1, 0}, {3, 0}, {4, 1}},
         [](double h) { return h * (2 + h); },
         [](double h) { return 2 + 2 * h; },
         [r2](double h) { return 2 + 2 * r2 * h; }},
    };
    for (const closed_form& f : shapes) {
        SCOPED_TRACE(f.name);
        bp_link b({f.points}, {1}, 3, 10);
        ASSERT_TRUE(b.ok) << b.out;
        EXPECT_EQ(b.c.table_num[1][1], 1);
        EXPECT_EQ(b.c.table_num[3][1], 1);
        EXPECT_DOUBLE_EQ(b.c.ht_spc[1], 0.1);
        for (int i = 1; i <= 10; ++i) {
            const double h = i * 0.1;
            expect_rel(f.area(h), b.c.xarea[i][1], 1e-9, "area", i);
            expect_rel(f.top_width(h), b.c.xtw[i][1], 1e-9, "top width", i);
            expect_rel(f.perimeter(h), b.c.xp[i][1], 1e-9, "perimeter", i);
            expect_rel(manning_k(0.05, f.area(h), f.perimeter(h)), b.c.xk[i][1], 1e-9, "conveyance", i);
        }
    }
}

TEST(BreakpointTables, SectionsEdgeShapes)
{
    // Last point lower than the first: above it the segment stays open to
    // the section's end.
    bp_link low_end({{{0, 2}, {1, 0}, {2, 1}}}, {1}, 1, 4);
    ASSERT_TRUE(low_end.ok);
    EXPECT_DOUBLE_EQ(low_end.c.xtw[4][1], 2.0);  // level 2: from station 0 to the end
    EXPECT_DOUBLE_EQ(low_end.c.xtw[1][1], 0.75); // level 0.5: 0.75..1.5

    // A bar in the middle: two segments below its top, one above.
    bp_link bar({{{0, 2}, {1, 0}, {2, 1}, {3, 0}, {4, 2}}}, {1}, 1, 4);
    ASSERT_TRUE(bar.ok);
    EXPECT_DOUBLE_EQ(bar.c.xtw[1][1], 0.75 + 0.75); // level 0.5: 0.75..1.5 and 2.5..3.25
    EXPECT_DOUBLE_EQ(bar.c.xtw[3][1], 3.5);         // level 1.5: 0.25..3.75 over the bar
}

TEST(BreakpointTables, FlatPieceAtLevel)
{
    // Level 1 lies exactly on the flat piece between stations 1 and 2: the
    // closing crossing takes the flat's near end, nothing divides by zero.
    bp_link closing({{{0, 2}, {1, 1}, {2, 1}, {3, 0}, {4, 2}}}, {1}, 1, 2);
    ASSERT_TRUE(closing.ok) << closing.out;
    EXPECT_DOUBLE_EQ(closing.c.xtw[1][1], 1.5);
    EXPECT_DOUBLE_EQ(closing.c.xarea[1][1], 0.75);
    EXPECT_TRUE(std::isfinite(closing.c.xk[1][1]));

    // A segment opening on a flat at the level is the equal-elevation
    // error of surveyed sections ...
    bp_link opening({{{0, 0}, {1, 1}, {2, 1}, {3, 0}}}, {1}, 1, 1);
    EXPECT_FALSE(opening.ok);
    EXPECT_EQ(opening.out,
              "Error in your channel (1). Each Z values must be different from it's neighbor\n\n");

    // ... and takes the flat's far end when an erodible node is built.
    bp_link erodible({{{0, 0}, {1, 1}, {2, 1}, {3, 0}}}, {1}, 1, 1, 8 | 2);
    ASSERT_TRUE(erodible.ok) << erodible.out;
    EXPECT_DOUBLE_EQ(erodible.c.xtw[1][1], 2.0); // 0..1 and 2..3
    // The segment left open at the section's end closes with the triangle
    // from its last inner point, which lies at the level here.
    EXPECT_DOUBLE_EQ(erodible.c.xarea[1][1], 0.5);
}

TEST(BreakpointTables, FiftyIslandsStop)
{
    std::vector<pt> saw;
    for (int k = 0; k <= 100; ++k)
        saw.push_back({static_cast<double>(k), k % 2 == 0 ? 1.0 : 0.0});
    bp_link b({saw}, {1}, 1, 2);
    EXPECT_FALSE(b.ok);
    EXPECT_EQ(
        b.out.rfind(
            "\n\nThere is a serious problem with a channel cross-section in\nlink 1.  The cross-section "
            "interpolation routine has found\n",
            0),
        0u)
        << b.out;
    // Building the nodes of an erodible link: the same lines without the
    // two leading newlines.
    bp_link erodible({saw}, {1}, 1, 2, 8 | 2);
    EXPECT_FALSE(erodible.ok);
    EXPECT_EQ(erodible.out.rfind("There is a serious problem with a channel cross-section in\nlink 1.", 0),
              0u);
    saw.resize(99); // 49 valleys
    bp_link fewer({saw}, {1}, 1, 2);
    EXPECT_TRUE(fewer.ok) << fewer.out;
}

TEST(BreakpointTables, NodeBetweenSectionsInterpolated)
{
    // V sections of depth 1 (node 1) and 2 (node 5), 3 and 5 pairs.
    bp_link link({{{0, 1}, {1, 0}, {2, 1}}, {{0, 2}, {1, 0}, {2, 2}, {3, 3}, {4, 4}}}, {1, 5}, 6, 10);
    ASSERT_TRUE(link.ok) << link.out;
    EXPECT_NE(link.out.find(
                  "must be equal, which they are not for link 1.\n\n  ---> Disregarding the last 2 pairs of "
                  "the second cross-section. <---\n"),
              std::string::npos)
        << link.out;
    const channel_state& c = link.c;
    EXPECT_EQ(c.numpairs[1], 3);
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(c.table_num[k][1], k);
    EXPECT_EQ(c.table_num[6][1], 5);
    // Spacing linear along the link; node 3's rows are the mean of both
    // tables read at its own depths (linear between rows, extended above).
    EXPECT_DOUBLE_EQ(c.ht_spc[3], 0.15);
    const auto read = [](double h, double d, double depth_scale) {
        const auto f = [&](double y) { return y * y / depth_scale; };
        if (h < d)
            return h / d * f(d);
        const int j = std::min(static_cast<int>(h / d), 9);
        return f(j * d) + (h - j * d) * (f((j + 1) * d) - f(j * d)) / d;
    };
    for (int i = 1; i <= 10; ++i) {
        const double h = i * 0.15;
        expect_rel((read(h, 0.1, 1.0) + read(h, 0.2, 2.0)) / 2.0, c.xarea[i][3], 1e-12, "area", i);
    }
}

TEST(BreakpointTables, ErodibleSectionsRefused)
{
    bp_link counts({{{0, 1}, {1, 0}, {2, 1}}, {{0, 1}, {1, 0}, {2, 0}, {3, 1}}}, {1, 2}, 2, 10, 8 | 2);
    EXPECT_FALSE(counts.ok);
    EXPECT_NE(counts.out.find("erodible break-point link 1 must\nall have the same number of pairs"),
              std::string::npos);
    bp_link one({{{0, 1}}}, {1}, 1, 10, 8 | 2);
    EXPECT_FALSE(one.ok);
}

// ---- cross-section hydraulics -------------------------------------------------

namespace
{

// Link 1 a trapezoid (b, z), link 2 a break-point link on the table of the
// trapezoid (0,1),(1,0),(3,0),(4,1); three nodes each, beds at 10 m.
struct xsec_net {
    bp_link tables{{{{0, 1}, {1, 0}, {3, 0}, {4, 1}}}, {1}, 3, 10};
    dnode_mat bottom, sslope, yp, bel, area, conv, dconv, topw, depth;
    dvec inv_n;
    ivec nx, ltype, ldex;
    inode_mat table_num;
    int flag = 0;
    xsec_arrays a;

    explicit xsec_net(double b, double z)
    {
        for (dnode_mat* m : {&bottom, &sslope, &yp, &bel, &area, &conv, &dconv, &topw, &depth})
            m->assign(4, 3, 0.0);
        inv_n.assign(2, 20.0);
        nx.assign(2, 3);
        ltype.assign(2, 4);
        ltype[2] = 8;
        ldex.assign(2, 0);
        ldex[1] = 1;
        ldex[2] = 2;
        table_num.assign(4, 3, 0);
        for (int k = 1; k <= 3; ++k) {
            bottom[k][1] = b;
            sslope[k][1] = z;
            bel[k][1] = bel[k][2] = 10.0;
            table_num[k][2] = 1;
        }
        a.links = 2;
        a.bottom = &bottom;
        a.sslope = &sslope;
        a.inv_mannings_n = &inv_n;
        a.yp = &yp;
        a.bel = &bel;
        a.area = &area;
        a.conv = &conv;
        a.dconv = &dconv;
        a.topw = &topw;
        a.nx = &nx;
        a.ltype = &ltype;
        a.ldex = &ldex;
        a.range_flag = &flag;
        a.xarea = &tables.c.xarea;
        a.xtw = &tables.c.xtw;
        a.xk = &tables.c.xk;
        a.numhts = &tables.c.numhts;
        a.ht_spc = &tables.c.ht_spc;
        a.num_tables = 1;
        a.table_num = &table_num;
        a.chan_depth = &depth;
    }
};

std::string run_mode(const xsec_arrays& a, int mode)
{
    testing::internal::CaptureStdout();
    ex_section(a, mode);
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(ExSection, StageAreaStageRoundTrip)
{
    for (double z : {1.5, 0.0}) {
        SCOPED_TRACE(z);
        xsec_net net(2.0, z);
        const double depths[] = {0.0, 0.03, 0.37, 1.4}; // below, inside and above the table
        for (int k = 1; k <= 3; ++k)
            net.yp[k][1] = net.yp[k][2] = 10.0 + depths[k];
        run_mode(net.a, 2);
        for (int k = 1; k <= 3; ++k) {
            const double y = depths[k];
            const double A = y * (2.0 + y * z), P = 2.0 + 2.0 * y * std::sqrt(1 + z * z);
            EXPECT_NEAR(net.area[k][1], A, 1e-12);
            EXPECT_NEAR(net.conv[k][1], 20.0 * A * std::pow(A / P, 2.0 / 3.0), 1e-9);
            net.yp[k][1] = net.yp[k][2] = -1.0;
        }
        EXPECT_EQ(net.flag, 1); // node 3 of link 2 lies above its table
        run_mode(net.a, 1);
        for (int k = 1; k <= 3; ++k) {
            EXPECT_NEAR(net.yp[k][1], 10.0 + depths[k], 1e-9) << k;
            EXPECT_NEAR(net.yp[k][2], 10.0 + depths[k], 1e-9) << k;
            EXPECT_NEAR(net.depth[k][1], depths[k], 1e-9);
        }
    }
}

TEST(ExSection, TrapezoidConveyanceDerivative)
{
    xsec_net net(3.0, 2.0);
    const double y = 0.8, e = 1e-6;
    auto conv_at = [&](double depth) {
        net.yp[1][1] = 10.0 + depth;
        run_mode(net.a, 2);
        return net.conv[1][1];
    };
    const double fd = (conv_at(y + e) - conv_at(y - e)) / (2 * e);
    conv_at(y);
    EXPECT_NEAR(net.dconv[1][1], fd, 1e-6 * fd);
    EXPECT_DOUBLE_EQ(net.topw[1][1], 3.0 + 2 * y * 2.0);
}

TEST(ExSection, TableRangeFlagAndEdges)
{
    xsec_net net(2.0, 1.0);
    const channel_state& t = net.tables.c;
    const double d = t.ht_spc[1];
    // Area exactly the top row: depth n d, the top conveyance, no flag.
    net.area[1][2] = t.xarea[10][1];
    net.area[2][2] = 0.0;
    run_mode(net.a, 1);
    EXPECT_NEAR(net.depth[1][2], 10 * d, 1e-12);
    EXPECT_DOUBLE_EQ(net.conv[1][2], t.xk[10][1]);
    EXPECT_EQ(net.yp[2][2], 10.0); // area 0: stage on the bed
    EXPECT_EQ(net.flag, 0);
    // Mode 2 at exactly n d: the top row and the last interval's slope.
    net.yp[1][2] = 10.0 + 10 * d;
    run_mode(net.a, 2);
    EXPECT_EQ(net.flag, 0);
    EXPECT_NEAR(net.area[1][2], t.xarea[10][1], 1e-12);
    EXPECT_NEAR(net.dconv[1][2], (t.xk[10][1] - t.xk[9][1]) / d, 1e-9);
    // Half the first spacing: 0.5^(5/3) of the first row.
    net.yp[1][2] = 10.0 + d / 2;
    run_mode(net.a, 2);
    EXPECT_NEAR(net.topw[1][2], std::pow(0.5, 5.0 / 3.0) * t.xtw[1][1], 1e-12);
    // Any larger area extrapolates and sets the flag.
    net.area[1][2] = t.xarea[10][1] * 1.01;
    run_mode(net.a, 1);
    EXPECT_EQ(net.flag, 1);
    EXPECT_GT(net.depth[1][2], 10 * d);
}

TEST(ExSection, FailuresStopAndLeaveLaterNodes)
{
    struct failure {
        const char* name;
        int mode;
        std::function<void(xsec_net&)> set;
        const char* out;
    } cases[] = {
        {"trapezoid area", 1, [](xsec_net& n) { n.area[2][1] = -1e-4; },
         "In ex_section - 1\nprogram stopped for negative area, node 2, link 1\n"},
        {"break-point area", 1, [](xsec_net& n) { n.area[2][2] = -1e-9; },
         "In ex_section - 4\nprogram stopped for negative area, node 2, link 2\n"},
        {"trapezoid depth", 2, [](xsec_net& n) { n.yp[2][1] = 9.0; },
         "In ex_section - 1\nprogram stopped for negative depth, node 2, link 1\n"},
        {"break-point depth", 2, [](xsec_net& n) { n.yp[2][2] = 9.0; },
         "In ex_section - 3\nprogram stopped for negative depth, node 2, link 2\n"},
    };
    for (const failure& f : cases) {
        SCOPED_TRACE(f.name);
        xsec_net net(2.0, 1.0);
        for (int k = 1; k <= 3; ++k) {
            net.yp[k][1] = net.yp[k][2] = 10.5;
            net.area[k][1] = net.area[k][2] = 1.0;
            net.conv[k][1] = net.conv[k][2] = -7.0; // marks untouched nodes
        }
        f.set(net);
        error_state_clear();
        const std::string out = run_mode(net.a, f.mode);
        EXPECT_EQ(out.rfind(f.out, 0), 0u) << out;
        EXPECT_EQ(error_state.raised, 1);
        const int failing_link = f.name[0] == 'b' ? 2 : 1;
        EXPECT_EQ(net.conv[3][failing_link], -7.0);
        EXPECT_EQ(net.conv[3][2], -7.0);
        error_state_clear();
    }
    // A small negative trapezoid area becomes 0; modes 0 and 3 change nothing.
    xsec_net net(2.0, 1.0);
    net.area[1][1] = -5e-5;
    net.conv[1][1] = 3.0;
    run_mode(net.a, 1);
    EXPECT_EQ(net.area[1][1], 0.0);
    EXPECT_EQ(net.yp[1][1], 10.0);
    EXPECT_EQ(net.conv[1][1], 0.0);
    net.area[1][1] = 4.0;
    run_mode(net.a, 0);
    run_mode(net.a, 3);
    EXPECT_EQ(net.yp[1][1], 10.0);
    // A node whose table lies beyond the tables built.
    net.table_num[1][2] = 2;
    net.area[1][2] = 1.0;
    testing::internal::CaptureStderr();
    run_mode(net.a, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error in section: Request for table beyond max. table number.\n");
    error_state_clear();
}

TEST(LakeRating, InterpolatesAndUsesNearestEnd)
{
    const double elev[] = {0, 99, 100, 101};
    const double vol[] = {0, 0, 1000, 3000};
    EXPECT_DOUBLE_EQ(lake_rating_interp(1, 100.0, 3, elev, vol), 1000.0); // a table point: its own y
    EXPECT_DOUBLE_EQ(lake_rating_interp(1, 100.25, 3, elev, vol), 1500.0);
    int warned = 0;
    testing::internal::CaptureStdout();
    EXPECT_DOUBLE_EQ(lake_rating_interp(2, 98.0, 3, elev, vol, &warned), 0.0);
    EXPECT_DOUBLE_EQ(lake_rating_interp(2, 105.0, 3, elev, vol, &warned), 3000.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(
        out, "Error: the rating curve of lake 2 is broken: 98 lies outside its table; the nearest end of the "
             "table is used.\n");
    EXPECT_EQ(warned, 1);
}
