// The six overland capacity formulas against values computed by hand, the
// median diameter of a cell's material, and the two detachment routines.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "quality/sediment_block.h"
#include "quality/sediment_steps.h"

namespace
{

// One cell (cell 1) with classes of the given diameters (mm), specific
// gravity 2.65 and parent-soil fractions.
struct one_cell {
    std::vector<double> diam;
    std::vector<double> sg;
    mat1<sed_tally> vol;
    dcube fract;
    sed_class_set cls;

    one_cell(std::vector<double> d, const std::vector<double>& parent) : diam(std::move(d))
    {
        const int n = static_cast<int>(diam.size());
        diam.insert(diam.begin(), 0.0);
        sg.assign(static_cast<std::size_t>(n) + 1, 2.65);
        vol.assign(1, n, sed_tally());
        fract.assign(1, n, 4, 0.0);
        for (int m = 1; m <= n; ++m)
            fract[1][m][1] = parent[static_cast<std::size_t>(m - 1)];
        cls = sed_class_set{n, diam.data(), sg.data()};
    }
    double capacity(int method, double S, double h, double q, double K = 0.5, double F = 0.8)
    {
        const double dt = 10.0;
        const double dx = 10.0;
        return ov_transport_capacity(method, 1, S, h, q, dt, dx, cls, vol[1], fract, K, dt * dx / 2645.23, F);
    }
};

struct capacity_case {
    int method;
    double d50_diam; // mm, the single class's diameter (d50 = 1000 x it, micrometres)
    double expected; // m3, by hand
};

} // namespace

// S = 0.01, h = 1 cm, q = 0.005 m2/s (U = 0.5 m/s), dt = 10 s, dx = 10 m,
// K = 0.5, F = 0.8, V = dt dx / 2645.23. Each expected value was worked out
// by hand from the formula of its method.
TEST(OverlandCapacity, FormulasMatchHandValues)
{
    // Formula 1 (two classes of parent fractions 0.4 and 0.6, 0.05 and
    // 0.5 mm): sum f 0.05 dx U^2 (S h)^1.5 / ((sg - 1)^2 d sqrt(g)) dt K F.
    one_cell two({0.05, 0.5}, {0.4, 0.6});
    EXPECT_NEAR(two.capacity(1, 0.01, 0.01, 0.005), 5.394552693012e-04, 1e-15);
    // Formula 2: 1.7e8 S^1.6667 q^2.035 K V, with no blockage factor.
    EXPECT_NEAR(two.capacity(2, 0.01, 0.01, 0.005), 3.097130072069e-02, 1e-13);
    EXPECT_NEAR(two.capacity(2, 0.01, 0.01, 0.005, 0.5, 0.1), 3.097130072069e-02, 1e-13);

    const capacity_case cases[] = {
        // Formulas 3 and 4: the first branch below a d50 of 122, the second at 122.
        {3, 0.050, 6.389299800711e-05},
        {3, 0.122, 2.439374753665e-05},
        {4, 0.050, 6.324938089822e-04},
        {4, 0.122, 1.086166463305e-03},
        // Formula 5 in each d50 band, the band edges on the upper band.
        {5, 0.020, 2.185211870307e-04},
        {5, 0.033, 4.596219648583e-04},
        {5, 0.061, 8.949171995126e-03},
        {5, 0.122, 1.186809837251e-03},
        {5, 0.190, 2.738000812887e-02},
        // Formula 6 (shear velocity 3.132 cm/s) in each band.
        {6, 0.020, 5.149664200657e-04},
        {6, 0.033, 7.950861271444e-04},
        {6, 0.061, 6.133417771826e-04},
        {6, 0.122, 4.849055068680e-04},
        {6, 0.190, 1.187291751347e-04},
    };
    for (const capacity_case& c : cases) {
        one_cell cell({c.d50_diam}, {1.0});
        EXPECT_NEAR(cell.capacity(c.method, 0.01, 0.01, 0.005), c.expected, c.expected * 1e-9)
            << "method " << c.method << ", d50 " << 1000.0 * c.d50_diam;
    }
}

TEST(OverlandCapacity, DryOrStillFlowCarriesNothing)
{
    one_cell cell({0.05, 0.5}, {0.5, 0.5});
    for (int method = 1; method <= 6; ++method) {
        EXPECT_EQ(cell.capacity(method, 0.01, 0.0, 0.005), 0.0) << method;
        EXPECT_EQ(cell.capacity(method, 0.01, 0.01, 0.0), 0.0) << method;
        EXPECT_EQ(cell.capacity(method, 0.01, 0.01, 1e-17), 0.0) << method;
    }
}

// Formula 6 carries nothing until the shear velocity 100 sqrt(g h S) passes
// the band's threshold: 1.4 cm/s below a d50 of 33, 1.8 cm/s from 190.
TEST(OverlandCapacity, Formula6Thresholds)
{
    one_cell fine({0.020}, {1.0});
    one_cell coarse({0.190}, {1.0});
    EXPECT_EQ(fine.capacity(6, 0.01, 0.0019, 0.001), 0.0);   // u = 1.365 cm/s
    EXPECT_GT(fine.capacity(6, 0.01, 0.0021, 0.001), 0.0);   // u = 1.435 cm/s
    EXPECT_EQ(coarse.capacity(6, 0.01, 0.0021, 0.001), 0.0); // below 1.8 cm/s
    EXPECT_GT(coarse.capacity(6, 0.01, 0.0034, 0.001), 0.0); // u = 1.826 cm/s
}

TEST(OverlandCapacity, MedianDiameter)
{
    // Parent soil 0.2, 0.5, 0.3 of 0.01, 0.1 and 1 mm: the fraction
    // accumulated from the last class crosses 0.5 between 1 and 0.1 mm, at
    // 1000 x 0.1^0.4 micrometres.
    one_cell three({0.01, 0.1, 1.0}, {0.2, 0.5, 0.3});
    EXPECT_NEAR(ov_sed_d50(1, three.cls, three.vol[1], three.fract), 1000.0 * std::pow(0.1, 0.4), 1e-9);
    // All material in the last class.
    one_cell last({0.01, 0.1, 1.0}, {0.0, 0.0, 1.0});
    EXPECT_DOUBLE_EQ(ov_sed_d50(1, last.cls, last.vol[1], last.fract), 1000.0);
    // A single class is the median whatever its fraction.
    for (double f : {0.2, 1.0}) {
        one_cell single({0.04}, {f});
        EXPECT_DOUBLE_EQ(ov_sed_d50(1, single.cls, single.vol[1], single.fract), 40.0);
    }
    // The suspended load comes before the deposits and the parent soil, and
    // its fractions are refreshed. All of it in the first class: the curve
    // crosses 0.5 halfway (in logarithms) between the first two diameters.
    three.vol[1][1].suspended = 2e-3;
    three.vol[1][3].deposited = 5e-3;
    EXPECT_NEAR(ov_sed_d50(1, three.cls, three.vol[1], three.fract), 1000.0 * std::sqrt(0.01 * 0.1), 1e-9);
    EXPECT_DOUBLE_EQ(three.fract[1][1][2], 1.0);
    three.vol[1][1].suspended = 0.0;
    EXPECT_DOUBLE_EQ(ov_sed_d50(1, three.cls, three.vol[1], three.fract), 1000.0);
    EXPECT_DOUBLE_EQ(three.fract[1][3][3], 1.0);
}

namespace
{

// A cell of two classes (parent fractions 0.3 and 0.7) with its deposits.
struct detach_fixture {
    mat1<sed_tally> vol;
    dmat eroded;
    dcube fract;

    detach_fixture(double dep1, double dep2)
    {
        vol.assign(1, 2, sed_tally());
        eroded.assign(1, 2, 0.0);
        fract.assign(1, 2, 4, 0.0);
        fract[1][1][1] = 0.3;
        fract[1][2][1] = 0.7;
        vol[1][1].deposited = dep1;
        vol[1][2].deposited = dep2;
    }
    sed_detach_cell cell(bool channel)
    {
        return sed_detach_cell{vol[1], eroded[1], &fract[1][0][1], fract.dim3() + 1, 2, channel};
    }
    double total() const
    {
        double v = 0.0;
        for (int m = 1; m <= 2; ++m)
            v += vol[1][m].eroded + vol[1][m].suspended + vol[1][m].deposited;
        return v;
    }
};

// Splash volume of 50 mm/h (a = 3.75e-8, b = 1.5545) on bare ground, Ks 60,
// over 100 m2 in 10 s.
const double splash_50 = 60.0 * 3.75e-8 * std::pow(50.0, 1.5545) * 10.0 * 100.0 / 2645.23;

} // namespace

TEST(OverlandDetachment, SplashTakesDepositsBeforeParentSoil)
{
    // Deposits larger than the splash volume: only they are re-suspended,
    // in proportion to each class's deposit.
    detach_fixture big(3.0 * splash_50, 1.0 * splash_50);
    ov_splash_detach(big.cell(false), 50.0, 0.0, 60.0, 3.75e-8, 1.5545, 10.0, 100.0);
    EXPECT_NEAR(big.vol[1][1].suspended, 0.75 * splash_50, 1e-15);
    EXPECT_NEAR(big.vol[1][2].suspended, 0.25 * splash_50, 1e-15);
    EXPECT_EQ(big.vol[1][1].eroded, 0.0);
    EXPECT_EQ(big.vol[1][2].eroded, 0.0);
    EXPECT_NEAR(big.eroded[1][0], splash_50, 1e-15);
    EXPECT_NEAR(big.total(), 4.0 * splash_50, 1e-15);

    // Smaller deposits: all of them plus the rest from the parent soil.
    detach_fixture small(0.1 * splash_50, 0.1 * splash_50);
    ov_splash_detach(small.cell(false), 50.0, 0.0, 60.0, 3.75e-8, 1.5545, 10.0, 100.0);
    EXPECT_EQ(small.vol[1][1].deposited, 0.0);
    EXPECT_NEAR(small.vol[1][1].eroded, -0.3 * 0.8 * splash_50, 1e-15);
    EXPECT_NEAR(small.vol[1][2].eroded, -0.7 * 0.8 * splash_50, 1e-15);
    EXPECT_NEAR(small.vol[1][1].suspended + small.vol[1][2].suspended, splash_50, 1e-15);
    EXPECT_NEAR(small.total(), 0.2 * splash_50, 1e-15);

    // A channel cell re-suspends nothing of its parent soil.
    detach_fixture chan(0.1 * splash_50, 0.0);
    ov_splash_detach(chan.cell(true), 50.0, 0.0, 60.0, 3.75e-8, 1.5545, 10.0, 100.0);
    EXPECT_EQ(chan.vol[1][1].eroded, 0.0);
    EXPECT_EQ(chan.vol[1][1].suspended, 0.0);

    // Deep water damps the splash: exp(1 - h / D) with D = 1.24 mm x I^0.182.
    detach_fixture deep(0.0, 0.0);
    const double D = 0.00124 * std::pow(50.0, 0.182);
    ov_splash_detach(deep.cell(false), 50.0, 3.0 * D, 60.0, 3.75e-8, 1.5545, 10.0, 100.0);
    EXPECT_NEAR(deep.eroded[1][0], std::exp(-2.0) * splash_50, 1e-15);
}

TEST(OverlandDetachment, FlowDetachmentUpToCapacity)
{
    // tau = 9792.342 x 0.01 x 0.02; T = coef tau u dt A / rho_s with
    // u = 1 - 0 / C = 1; with no deposits R = coef (tau - crit) dt A / rho_s.
    const double tau = 9792.342 * 0.01 * 0.02;
    const double R = 2e-5 * (tau - 0.5) * 10.0 * 100.0 / 2645.23;
    detach_fixture bare(0.0, 0.0);
    ov_flow_detach(bare.cell(false), 0.02, 0.01, 2e-5, 1.0, 0.5, 1.0, 10.0, 100.0);
    EXPECT_NEAR(bare.vol[1][1].eroded, -0.3 * R, 1e-15);
    EXPECT_NEAR(bare.vol[1][2].eroded, -0.7 * R, 1e-15);
    EXPECT_NEAR(bare.eroded[1][0], R, 1e-15);

    // Suspended load at the capacity already: nothing is detached.
    detach_fixture full(0.0, 0.0);
    full.vol[1][1].suspended = 1.0;
    ov_flow_detach(full.cell(false), 0.02, 0.01, 2e-5, 1.0, 0.5, 1.0, 10.0, 100.0);
    EXPECT_EQ(full.eroded[1][0], 0.0);

    // No shear at all (zero coefficient): nothing moves and nothing turns
    // into a number that is not one.
    detach_fixture none(0.0, 0.0);
    ov_flow_detach(none.cell(false), 0.02, 0.01, 0.0, 1.0, 0.0, 1.0, 10.0, 100.0);
    EXPECT_EQ(none.eroded[1][0], 0.0);
    EXPECT_FALSE(std::isnan(none.vol[1][1].suspended));
}
