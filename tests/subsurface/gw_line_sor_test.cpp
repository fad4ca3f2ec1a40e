// The groundwater line solver on hand-made systems: a line is solved
// exactly, fixed equations converge at once with no change, a gap in a
// line decouples its pieces, and a limit that is not positive is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "subsurface/groundwater.h"

namespace
{

// Equations of a rows x cols grid whose cells are numbered by `mask` (0
// where inactive): the discrete Laplacian with unit coefficients toward
// active neighbours and a diagonal of -(sum + 1).
struct system_fixture {
    int rows, cols, n = 0;
    imat mask;
    std::vector<double> above, below, left, right, diag, rhs, head;
    gw_line_work work;

    system_fixture(int r, int c, const std::vector<int>& active) : rows(r), cols(c)
    {
        mask.assign(rows + 1, cols + 1, 0);
        for (int i = 1; i <= rows; ++i)
            for (int j = 1; j <= cols; ++j)
                if (active[static_cast<size_t>((i - 1) * cols + j - 1)])
                    mask[i][j] = ++n;
        for (auto* v : {&above, &below, &left, &right, &diag, &rhs, &head})
            v->assign(static_cast<size_t>(n) + 1, 0.0);
        for (int i = 1; i <= rows; ++i)
            for (int j = 1; j <= cols; ++j) {
                const int k = mask[i][j];
                if (!k)
                    continue;
                above[k] = mask[i - 1][j] ? 1.0 : 0.0;
                below[k] = mask[i + 1][j] ? 1.0 : 0.0;
                left[k] = mask[i][j - 1] ? 1.0 : 0.0;
                right[k] = mask[i][j + 1] ? 1.0 : 0.0;
                diag[k] = -(above[k] + below[k] + left[k] + right[k] + 1.0);
                rhs[k] = -static_cast<double>(k);
            }
        EXPECT_TRUE(gw_line_work_alloc(work, rows, cols));
    }
    gw_equations eq() const
    {
        return {above.data(), below.data(), left.data(), right.data(), diag.data(), rhs.data()};
    }
    int solve(int order, int direction, double eps = 1e-12, double omega = 1.0)
    {
        return gw_line_sor(head.data(), omega, rows, cols, eq(), eps, work, order, direction, mask);
    }
    // Largest residual of the equations at the current heads.
    double residual() const
    {
        double r = 0.0;
        for (int i = 1; i <= rows; ++i)
            for (int j = 1; j <= cols; ++j) {
                const int k = mask[i][j];
                if (!k)
                    continue;
                double sum = diag[k] * head[k] - rhs[k];
                const int nb[] = {mask[i - 1][j], mask[i + 1][j], mask[i][j - 1], mask[i][j + 1]};
                const double cf[] = {above[k], below[k], left[k], right[k]};
                for (int q = 0; q < 4; ++q)
                    if (nb[q])
                        sum += cf[q] * head[nb[q]];
                r = std::max(r, std::fabs(sum));
            }
        return r;
    }
};

} // namespace

TEST(GwLineSor, OneLineIsSolvedExactlyInOneSweepAlongIt)
{
    system_fixture f(1, 7, std::vector<int>(7, 1));
    // Along the row: the first sweep solves it, the second finds no change.
    EXPECT_EQ(f.solve(1, 1), 2);
    EXPECT_LT(f.residual(), 1e-12);
    // Across it (one-cell columns) it takes point sweeps to converge.
    system_fixture g(1, 7, std::vector<int>(7, 1));
    EXPECT_GT(g.solve(1, 2), 2);
    EXPECT_LT(g.residual(), 1e-10);
    for (int k = 1; k <= 7; ++k)
        EXPECT_NEAR(g.head[static_cast<size_t>(k)], f.head[static_cast<size_t>(k)], 1e-10);
}

TEST(GwLineSor, RowsColumnsAndBothOrdersReachTheSameSolutionAcrossGaps)
{
    // A 5 x 6 grid with holes that cut rows and columns into pieces.
    const std::vector<int> active = {1, 1, 0, 1, 1, 1, //
                                     1, 1, 1, 1, 0, 1, //
                                     0, 1, 1, 1, 1, 1, //
                                     1, 1, 0, 0, 1, 1, //
                                     1, 1, 1, 1, 1, 0};
    std::vector<double> first;
    for (int direction : {1, 2})
        for (int order : {1, 2})
            for (double omega : {1.0, 1.3}) {
                system_fixture f(5, 6, active);
                EXPECT_GT(f.solve(order, direction, 1e-12, omega), 0);
                EXPECT_LT(f.residual(), 1e-10) << direction << order << omega;
                if (first.empty())
                    first = f.head;
                for (size_t k = 1; k < first.size(); ++k)
                    EXPECT_NEAR(f.head[k], first[k], 1e-10) << direction << order << omega << k;
            }
}

TEST(GwLineSor, FixedEquationsConvergeInOneSweepWithoutChange)
{
    system_fixture f(3, 3, std::vector<int>(9, 1));
    for (int k = 1; k <= f.n; ++k) {
        f.above[k] = f.below[k] = f.left[k] = f.right[k] = 0.0;
        f.diag[k] = 1.0;
        f.head[k] = f.rhs[k] = 100.0 + k;
    }
    EXPECT_EQ(f.solve(2, 1, 1e-5), 1);
    for (int k = 1; k <= f.n; ++k)
        EXPECT_EQ(f.head[k], 100.0 + k);
}

TEST(GwLineSor, ALimitThatIsNotPositiveIsRefused)
{
    system_fixture f(2, 2, std::vector<int>(4, 1));
    testing::internal::CaptureStdout();
    EXPECT_EQ(f.solve(1, 1, 0.0), -1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("needs a positive convergence limit (GW_LSOR_CON)"), std::string::npos) << out;
    EXPECT_EQ(error_state.code, err_stop);
    error_state_clear();
}

TEST(GwLineSor, WorkVectorsCoverTheWiderSideOfTheGrid)
{
    gw_line_work w;
    ASSERT_TRUE(gw_line_work_alloc(w, 3, 40));
    EXPECT_GE(w.a.size(), 42);
    EXPECT_GE(w.cells.size(), 42);
}

TEST(GwLineSor, SweepsThatNeverSettleStopAtTheLimit)
{
    // One cell relaxed with omega = 2 jumps between 0 and twice its
    // solution for ever.
    system_fixture f(1, 1, {1});
    testing::internal::CaptureStdout();
    EXPECT_EQ(f.solve(1, 1, 1e-5, 2.0), -1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("did not converge within 200000 sweeps"), std::string::npos) << out;
    EXPECT_EQ(error_state.code, err_stop);
    error_state_clear();
}
