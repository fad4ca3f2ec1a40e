#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "calibration/numerical_routines.h"

namespace
{

// A 1-based n x n matrix filled from rows.
double** make_matrix(int n, const std::vector<std::vector<double>>& rows)
{
    double** a = matrix(1, n, 1, n);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            a[i][j] = rows[i - 1][j - 1];
    return a;
}

TEST(NumericalRoutines, CholeskySolveMeetsKnownSolution)
{
    double** a = make_matrix(3, {{4, 2, 2}, {2, 5, 3}, {2, 3, 6}});
    double* p = dvector(1, 3);
    double b[4] = {0, 14, 21, 26}; // A (1, 2, 3)
    double x[4] = {};
    choldc(a, 3, p);
    chol_solve(a, 3, p, b, x);
    for (int i = 1; i <= 3; ++i)
        EXPECT_NEAR(x[i], i, 1e-12);
    EXPECT_DOUBLE_EQ(p[1], 2.0);
    free_dvector(p, 1);
    free_matrix(a, 1, 1);
}

TEST(NumericalRoutines, CholeskyOfIndefiniteMatrixEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            double** a = make_matrix(2, {{1, 2}, {2, 1}});
            double* p = dvector(1, 2);
            choldc(a, 2, p);
        },
        testing::ExitedWithCode(1),
        "Numerical Recipes run-time error...\ncholdc failed\n...now exiting to system...");
}

TEST(NumericalRoutines, LuSolveInverseAndThreeByThreeAgree)
{
    const std::vector<std::vector<double>> rows = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}};
    double** a = make_matrix(3, rows);
    int indx[4] = {};
    double d = 0.0;
    int singular = 0;
    lu_decomp(a, 3, indx, d, singular);
    EXPECT_EQ(singular, 0);
    double b[4] = {0, 5, 11, 19}; // A (1, -1, 2)
    lu_backsub(a, 3, indx, b);
    EXPECT_NEAR(b[1], 1.0, 1e-12);
    EXPECT_NEAR(b[2], -1.0, 1e-12);
    EXPECT_NEAR(b[3], 2.0, 1e-12);
    EXPECT_EQ(indx[1], 3); // largest scaled pivot in column 1
    free_matrix(a, 1, 1);

    a = make_matrix(3, rows);
    double** y = matrix(1, 3, 1, 3);
    dminverse(a, 3, y, singular);
    EXPECT_EQ(singular, 0);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) {
            double sum = 0.0;
            for (int k = 1; k <= 3; ++k)
                sum += rows[i - 1][k - 1] * y[k][j];
            EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-12);
        }
    free_matrix(a, 1, 1);

    a = make_matrix(3, rows);
    double** rhs = matrix(1, 3, 1, 1);
    double** sol = matrix(1, 3, 1, 1);
    rhs[1][1] = 5;
    rhs[2][1] = 11;
    rhs[3][1] = 19;
    dmsolve3(a, 3, rhs, sol);
    EXPECT_NEAR(sol[1][1], 1.0, 1e-12);
    EXPECT_NEAR(sol[2][1], -1.0, 1e-12);
    EXPECT_NEAR(sol[3][1], 2.0, 1e-12);
    for (double** m : {a, y, rhs, sol})
        free_matrix(m, 1, 1);
}

TEST(NumericalRoutines, LuPivotTieTakesLowerRowAndZeroRowIsFlagged)
{
    double** a = make_matrix(2, {{1, 1}, {1, 1}});
    int indx[3] = {};
    double d = 0.0;
    int singular = 0;
    lu_decomp(a, 2, indx, d, singular);
    EXPECT_EQ(indx[1], 2);
    EXPECT_EQ(d, -1.0);
    EXPECT_EQ(a[2][2], 1e-20); // zero pivot replaced
    free_matrix(a, 1, 1);

    a = make_matrix(2, {{3, 2}, {0, 0}});
    lu_decomp(a, 2, indx, d, singular);
    EXPECT_EQ(singular, 1);
    EXPECT_EQ(a[1][1], 3.0);
    EXPECT_EQ(a[1][2], 2.0);
    double** y = make_matrix(2, {{7, 7}, {7, 7}});
    singular = 0;
    dminverse(a, 2, y, singular);
    EXPECT_EQ(singular, 1);
    EXPECT_EQ(y[1][1], 7.0); // untouched
    free_matrix(a, 1, 1);
    free_matrix(y, 1, 1);
}

TEST(NumericalRoutines, MatrixProducts)
{
    double** a = matrix(1, 2, 1, 3);
    double** b = matrix(1, 3, 1, 2);
    double** c = matrix(1, 2, 1, 2);
    double** t = matrix(1, 3, 1, 2);
    int v = 1;
    for (int i = 1; i <= 2; ++i)
        for (int j = 1; j <= 3; ++j)
            a[i][j] = v++;
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 2; ++j)
            b[i][j] = i == j ? 1.0 : (i == 3 ? 1.0 : 0.0);
    dmmult(a, 2, 3, b, 3, 2, c);
    EXPECT_EQ(c[1][1], 4.0);  // 1 + 3
    EXPECT_EQ(c[2][2], 11.0); // 5 + 6
    dmtrans(a, 2, 3, t);
    EXPECT_EQ(t[3][1], 3.0);
    dmscale(c, 2, 2, 2.0, c);
    EXPECT_EQ(c[1][1], 8.0);
    dmadd(c, 2, 2, c, c);
    EXPECT_EQ(c[1][1], 16.0);
    double x[4] = {0, 1, 1, 1};
    double y[3] = {};
    dmvmult(a, 2, 3, x, 3, y);
    EXPECT_EQ(y[1], 6.0);
    EXPECT_EQ(y[2], 15.0);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(dmmult(a, 2, 3, c, 2, 2, c), testing::ExitedWithCode(1),
                "a_cols <> b_rows \\(3,2\\): dmmult");
    for (double** m : {a, b, c, t})
        free_matrix(m, 1, 1);
}

TEST(NumericalRoutines, JacobiEigenpairs)
{
    const std::vector<std::vector<double>> rows = {{4, 1, 2}, {1, 3, 0}, {2, 0, 5}};
    double** a = make_matrix(3, rows);
    double** v = matrix(1, 3, 1, 3);
    double d[4] = {};
    int nrot = 0;
    jacobi(a, 3, d, v, nrot);
    EXPECT_GT(nrot, 0);
    eigen_sort(d, v, 3);
    EXPECT_GE(d[1], d[2]);
    EXPECT_GE(d[2], d[3]);
    EXPECT_NEAR(d[1] + d[2] + d[3], 12.0, 1e-12); // trace
    for (int k = 1; k <= 3; ++k)
        for (int i = 1; i <= 3; ++i) {
            double av = 0.0;
            for (int j = 1; j <= 3; ++j)
                av += rows[i - 1][j - 1] * v[j][k];
            EXPECT_NEAR(av, d[k] * v[i][k], 1e-12);
        }
    EXPECT_EQ(a[2][1], 1.0); // lower triangle kept
    free_matrix(a, 1, 1);

    // Diagonal: no rotation, identity vectors.
    a = make_matrix(3, {{2, 0, 0}, {0, 7, 0}, {0, 0, 1}});
    jacobi(a, 3, d, v, nrot);
    EXPECT_EQ(nrot, 0);
    EXPECT_EQ(d[2], 7.0);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j)
            EXPECT_EQ(v[i][j], i == j ? 1.0 : 0.0);
    free_matrix(a, 1, 1);

    a = make_matrix(1, {{-2.5}});
    jacobi(a, 1, d, v, nrot);
    EXPECT_EQ(d[1], -2.5);
    EXPECT_EQ(v[1][1], 1.0);
    free_matrix(a, 1, 1);
    free_matrix(v, 1, 1);
}

TEST(NumericalRoutines, EigenSortMovesLaterOfEqualLargest)
{
    double d[4] = {0, 1, 5, 5};
    double** v = make_matrix(3, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    eigen_sort(d, v, 3);
    EXPECT_EQ(d[1], 5.0);
    EXPECT_EQ(v[1][1], 3.0); // column 3 came first
    EXPECT_EQ(v[1][3], 1.0);
    EXPECT_EQ(d[3], 1.0);
    free_matrix(v, 1, 1);
}

TEST(NumericalRoutines, IndexxSortsShortAndLongArrays)
{
    for (int n : {1, 2, 7, 8, 30, 500}) {
        std::vector<double> arr(static_cast<std::size_t>(n) + 1);
        unsigned x = 12345;
        for (int i = 1; i <= n; ++i) {
            x = x * 1103515245u + 12345u;
            arr[static_cast<std::size_t>(i)] = static_cast<double>((x >> 16) % 50); // with ties
        }
        std::vector<int> indx(static_cast<std::size_t>(n) + 1);
        indexx(n, arr.data(), indx.data());
        std::vector<int> seen(static_cast<std::size_t>(n) + 1, 0);
        for (int i = 1; i <= n; ++i) {
            ++seen[static_cast<std::size_t>(indx[static_cast<std::size_t>(i)])];
            if (i > 1) {
                EXPECT_LE(arr[static_cast<std::size_t>(indx[static_cast<std::size_t>(i - 1)])],
                          arr[static_cast<std::size_t>(indx[static_cast<std::size_t>(i)])])
                    << "n " << n;
            }
        }
        for (int i = 1; i <= n; ++i)
            EXPECT_EQ(seen[static_cast<std::size_t>(i)], 1);
    }
    // Seven elements are sorted by insertion alone, which keeps equal values
    // in their original order.
    double arr[8] = {0, 3, 1, 2, 1, 3, 0, 1};
    int indx[8] = {};
    indexx(7, arr, indx);
    const int expected[8] = {0, 6, 2, 4, 7, 3, 1, 5};
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(indx[i], expected[i]);
}

// Park-Miller by 64-bit products and the Bays-Durham shuffle, written out
// apart from the routine under test.
struct reference_generator {
    std::int64_t seed;
    std::int64_t table[32];
    std::int64_t last;
    explicit reference_generator(std::int64_t s)
    {
        seed = s < 1 ? 1 : s;
        std::vector<std::int64_t> steps;
        for (int k = 0; k < 40; ++k) {
            seed = seed * 16807 % 2147483647;
            steps.push_back(seed);
        }
        for (int k = 8; k < 40; ++k)
            table[39 - k] = steps[static_cast<std::size_t>(k)];
        last = table[0];
    }
    double next()
    {
        seed = seed * 16807 % 2147483647;
        const int j = static_cast<int>(last / 67108864);
        last = table[j];
        table[j] = seed;
        return std::fmin(static_cast<double>(last) / 2147483647.0, 1.0 - 1.2e-7);
    }
};

TEST(NumericalRoutines, UniformDeviateMatchesReferenceGenerator)
{
    reference_generator ref(12345);
    uniform_table table;
    int state = -12345;
    for (int k = 0; k < 2000; ++k) {
        const double u = uniform_deviate(state, table);
        ASSERT_EQ(u, ref.next()) << "draw " << k;
        ASSERT_GT(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
    // -1 and a positive state on a fresh table start the same sequence.
    uniform_table t1, t2;
    int s1 = -1, s2 = 1;
    reference_generator one(1);
    for (int k = 0; k < 50; ++k) {
        const double u = uniform_deviate(s1, t1);
        EXPECT_EQ(u, uniform_deviate(s2, t2));
        EXPECT_EQ(u, one.next());
    }
}

} // namespace
