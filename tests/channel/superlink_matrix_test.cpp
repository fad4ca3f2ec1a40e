// The junction system's LU factorisation and solution: exact on small
// systems, with and without row interchanges, and a zero row stops the run
// with its banner instead of ending the process.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "channel/superlink_matrix.h"
#include "core/error_state.h"

namespace
{

std::vector<double> solve(const std::vector<std::vector<double>>& m, const std::vector<double>& b)
{
    const int n = static_cast<int>(b.size());
    superlink_lu_work w;
    EXPECT_TRUE(superlink_lu_alloc(w, n));
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= n; ++j)
            w.a[i][j] = m[i - 1][j - 1];
        w.rhs[i] = b[i - 1];
    }
    EXPECT_EQ(ludcmp_rqx(w, n), 0);
    superlink_lu_solve(w, n);
    return std::vector<double>(w.rhs.data() + 1, w.rhs.data() + n + 1);
}

TEST(SuperlinkMatrix, OneByOneIsOneDivision)
{
    const std::vector<double> x = solve({{4.0}}, {10.0});
    EXPECT_DOUBLE_EQ(x[0], 2.5);
}

TEST(SuperlinkMatrix, RowInterchangesGiveTheSameSolution)
{
    // A zero first pivot forces an interchange; the leading zeros of the
    // right-hand side exercise the skip of the forward substitution.
    const std::vector<std::vector<double>> m = {{0.0, 2.0, 1.0}, {1.0, 1.0, 0.0}, {3.0, 0.0, 1.0}};
    const std::vector<double> want = {1.0, -2.0, 3.0};
    std::vector<double> b(3, 0.0);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            b[i] += m[i][j] * want[j];
    const std::vector<double> x = solve(m, b);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(x[i], want[i], 1e-14);

    superlink_lu_work w;
    ASSERT_TRUE(superlink_lu_alloc(w, 2));
    w.a[1][1] = 0.0, w.a[1][2] = 1.0, w.a[2][1] = 1.0, w.a[2][2] = 0.0;
    ASSERT_EQ(ludcmp_rqx(w, 2), 0);
    EXPECT_EQ(w.parity, -1.0);
    EXPECT_EQ(w.perm[1], 2);
}

TEST(SuperlinkMatrix, LargerDiagonallyDominantSystemIsExact)
{
    const int n = 40;
    std::vector<std::vector<double>> m(n, std::vector<double>(n, 0.0));
    std::vector<double> want(n), b(n, 0.0);
    for (int i = 0; i < n; ++i) {
        want[i] = std::sin(i + 1.0) * 3.0;
        for (int j = 0; j < n; ++j)
            m[i][j] = (i == j) ? 10.0 + i : std::cos(1.0 + i * n + j) * 0.2;
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            b[i] += m[i][j] * want[j];
    const std::vector<double> x = solve(m, b);
    for (int i = 0; i < n; ++i)
        EXPECT_NEAR(x[i], want[i], 1e-12);
}

TEST(SuperlinkMatrix, BandedFormGivesTheDenseSolution)
{
    // A band of half width 3 that needs row interchanges (small diagonal).
    const int n = 60, b = 3;
    superlink_lu_work dense, band;
    ASSERT_TRUE(superlink_lu_alloc(dense, n));
    ASSERT_TRUE(superlink_band_alloc(band, n, b));
    for (int i = 1; i <= n; ++i) {
        for (int j = std::max(1, i - b); j <= std::min(n, i + b); ++j) {
            const double v = i == j ? 0.01 * std::sin(i) : std::cos(3.0 * i + 7.0 * j);
            dense.a[i][j] = v;
            superlink_band_at(band, i, j) = v;
        }
        dense.rhs[i] = band.rhs[i] = std::sin(0.3 * i) * 100.0;
    }
    ASSERT_EQ(ludcmp_rqx(dense, n), 0);
    superlink_lu_solve(dense, n);
    ASSERT_EQ(superlink_band_factor(band, n), 0);
    superlink_band_solve(band, n);
    for (int i = 1; i <= n; ++i)
        EXPECT_NEAR(band.rhs[i], dense.rhs[i], 1e-10 * std::max(1.0, std::fabs(dense.rhs[i]))) << i;

    // A zero row is refused the same way.
    superlink_lu_work zero;
    ASSERT_TRUE(superlink_band_alloc(zero, 3, 1));
    superlink_band_at(zero, 1, 1) = 1.0;
    superlink_band_at(zero, 3, 3) = 1.0;
    error_state = error_rec{};
    testing::internal::CaptureStderr();
    EXPECT_EQ(superlink_band_factor(zero, 3), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Singular matrix in routine ludcmp_rqx\n"),
              std::string::npos);
    EXPECT_EQ(error_state.code, err_stop);
    error_state = error_rec{};
}

TEST(SuperlinkMatrix, ZeroRowStopsTheRunWithTheBanner)
{
    superlink_lu_work w;
    ASSERT_TRUE(superlink_lu_alloc(w, 2));
    w.a[1][1] = 1.0;
    error_state = error_rec{};
    testing::internal::CaptureStderr();
    EXPECT_EQ(ludcmp_rqx(w, 2), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Numerical Recipes run-time error...\nSingular matrix in routine ludcmp_rqx\n"
              "...now exiting to system...\n");
    EXPECT_EQ(error_state.code, err_stop);
    error_state = error_rec{};
}

} // namespace
