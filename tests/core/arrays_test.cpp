#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/arrays.h"
#include "core/error_state.h"

namespace {

const std::string size_msg = "Error: Attempting to allocate array of size 0\n";

std::string alloc_msg(const std::string& name)
{
    return "Error allocating memory for variable " + name + "\n";
}

TEST(Arrays, MatrixLayoutIsOneBlockWithRowsOfMPlusOne)
{
    dmat m = dmatrix(1, 1);
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m.rows(), 1);
    EXPECT_EQ(m.cols(), 1);
    EXPECT_EQ(m[0], m.data());
    EXPECT_EQ(m[1], m.data() + 2);

    dcube t = d3tensor(2, 3, 4);
    ASSERT_FALSE(t.empty());
    for (int i = 0; i <= 2; ++i)
        for (int j = 0; j <= 3; ++j) EXPECT_EQ(t[i][j], t.data() + (i * 4 + j) * 5);

    icube lake = i3tensor_4(2, 6);
    EXPECT_EQ(lake.dim1(), 2);
    EXPECT_EQ(lake.dim2(), 3);
    EXPECT_EQ(lake.dim3(), 6);
    EXPECT_EQ(lake[2][3] + 6, lake.data() + 3 * 4 * 7 - 1);
}

TEST(Arrays, ZeroDimensionsTable)
{
    struct zero_case {
        const char* what;
        bool (*make)();
        std::string printed;
    };
    const zero_case cases[] = {
        {"dmatrix(0,5)", [] { return dmatrix(0, 5).empty(); }, size_msg},
        {"dmatrix(5,0)", [] { return dmatrix(5, 0).empty(); }, size_msg},
        {"imatrix(0,1)", [] { return imatrix(0, 1).empty(); }, size_msg},
        {"cmatrix(0,0)", [] { return cmatrix(0, 0).empty(); }, size_msg},
        {"d3tensor(1,0,1)", [] { return d3tensor(1, 0, 1).empty(); }, size_msg},
        {"i3tensor_4(0,2)", [] { return i3tensor_4(0, 2).empty(); }, size_msg},
        {"dmatrix_alloc_zero",
         [] {
             dmat m;
             return !dmatrix_alloc_zero(0, 5, m, "depth") && m.empty();
         },
         size_msg + alloc_msg("depth")},
        {"cmatrix_alloc_zero",
         [] {
             cmat m;
             return !cmatrix_alloc_zero(3, 0, m, "flags") && m.empty();
         },
         size_msg + alloc_msg("flags")},
        {"imatrix_alloc_zero",
         [] {
             imat m;
             return !imatrix_alloc_zero(m, 0, 0, "grid") && m.empty();
         },
         size_msg + alloc_msg("grid")},
        {"d3tensor_alloc_zero",
         [] {
             dcube t;
             return !d3tensor_alloc_zero(2, 2, 0, t, "sed_mass") && t.empty();
         },
         size_msg + alloc_msg("sed_mass")},
        {"lake_search_alloc",
         [] {
             icube t;
             return !lake_search_alloc(0, 4, t) && t.empty();
         },
         size_msg + alloc_msg("lake_search")},
        {"stream_pointsource_alloc",
         [] {
             dmat m;
             return !stream_pointsource_alloc(m, 0, 10) && m.empty();
         },
         size_msg + alloc_msg("stream_pointsource")},
        {"stream_pumps_alloc",
         [] {
             dmat m;
             return !stream_pumps_alloc(m, 3, 0) && m.empty();
         },
         size_msg + alloc_msg("stream_pumps")},
        {"dvector_alloc_zero(0)",
         [] {
             dvec v;
             return dvector_alloc_zero(v, 0, "rain") && v.empty();
         },
         ""},
        {"dvector_alloc_zero(-1)",
         [] {
             dvec v;
             return !dvector_alloc_zero(v, -1, "rain") && v.empty();
         },
         size_msg},
        {"ivector_alloc_zero(-1)",
         [] {
             ivec v;
             return !ivector_alloc_zero(v, -1, "ids") && v.empty();
         },
         size_msg + alloc_msg("ids")},
    };
    for (const zero_case& c : cases) {
        testing::internal::CaptureStdout();
        EXPECT_TRUE(c.make()) << c.what;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.what;
    }
    EXPECT_EQ(error_state.raised, 0);
}

TEST(Arrays, NamedMakersZeroEverySlot)
{
    dvec v;
    ASSERT_TRUE(dvector_alloc_zero(v, 3, "v"));
    EXPECT_EQ(v.size(), 3);
    for (int i = 0; i <= 3; ++i) EXPECT_EQ(v[i], 0.0);

    dmat src;
    ASSERT_TRUE(stream_pointsource_alloc(src, 4, 10));
    EXPECT_EQ(src.rows(), 5); // one row more than asked
    EXPECT_EQ(src.cols(), 10);
    for (int i = 0; i <= 5; ++i)
        for (int j = 0; j <= 10; ++j) EXPECT_EQ(src[i][j], 0.0);

    dmat pumps;
    ASSERT_TRUE(stream_pumps_alloc(pumps, 2, 3));
    EXPECT_EQ(pumps.rows(), 2);

    icube lake;
    ASSERT_TRUE(lake_search_alloc(3, 2, lake));
    for (int i = 0; i <= 3; ++i)
        for (int j = 0; j <= 3; ++j)
            for (int k = 0; k <= 2; ++k) EXPECT_EQ(lake[i][j][k], 0);
}

TEST(Arrays, FillsCoverRowAndColumnZeroAndStayInside)
{
    dmat m = dmatrix(2, 3);
    dmatrix_fill(m, 10, 10, 7.5); // asked beyond the matrix: filled up to its edge only
    for (int i = 0; i <= 2; ++i)
        for (int j = 0; j <= 3; ++j) EXPECT_EQ(m[i][j], 7.5);
    dmatrix_fill(m, 1, 1, -1.0);
    EXPECT_EQ(m[1][1], -1.0);
    EXPECT_EQ(m[1][2], 7.5);
    EXPECT_EQ(m[2][0], 7.5);

    dcube t = d3tensor(1, 2, 3);
    d3tensor_fill(t, 1, 2, 3, 2.0);
    for (int i = 0; i <= 1; ++i)
        for (int j = 0; j <= 2; ++j)
            for (int k = 0; k <= 3; ++k) EXPECT_EQ(t[i][j][k], 2.0);
}

TEST(Arrays, FreeingTwiceIsHarmless)
{
    dmat m = dmatrix(2, 2);
    matrix_free(m);
    EXPECT_TRUE(m.empty());
    matrix_free(m);
    EXPECT_TRUE(m.empty());
    dcube t = d3tensor(1, 1, 1);
    d3tensor_free(t);
    d3tensor_free(t);
    EXPECT_TRUE(t.empty());
}

TEST(Arrays, RunningOutOfMemoryStopsTheRun)
{
    error_state_clear();
    testing::internal::CaptureStdout();
    dmat m;
    EXPECT_FALSE(dmatrix_alloc_zero(INT_MAX - 1, INT_MAX - 1, m, "huge"));
    dcube t = d3tensor(INT_MAX - 1, INT_MAX - 1, INT_MAX - 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(m.empty());
    EXPECT_TRUE(t.empty());
    EXPECT_NE(out.find(alloc_msg("huge")), std::string::npos) << out;
    EXPECT_NE(out.find(alloc_msg("d3tensor")), std::string::npos) << out;
    EXPECT_EQ(error_state.raised, 1);
    error_state_clear();
}

} // namespace
