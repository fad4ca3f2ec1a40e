// Melt packets, the day count from 21 March and the pack's liquid-water and
// heat-deficit balance.
#include <gtest/gtest.h>

#include "core/error_state.h"
#include "hydromet/snow_services.h"

namespace
{

struct MeltPackets : testing::Test {
    dcube packets;
    dvec depth;
    void SetUp() override
    {
        packets.assign(2, 6, 3, 0.0);
        depth.assign(2, 0.0);
    }
    void fill(int cell, int k, double drawn, double amount)
    {
        packets[cell][k][packet_drawn] = drawn;
        packets[cell][k][packet_amount] = amount;
        packets[cell][k][packet_capacity] = amount;
    }
};

TEST_F(MeltPackets, SixPacketsPushTheOldestPacketsWaterOntoTheDepth)
{
    for (int k = 1; k <= 6; ++k)
        fill(1, k, 0.0, 0.001 * k);
    packets[1][1][packet_drawn] = 0.0004; // 0.0006 left in the oldest
    const double moved = add_melt_packet(1, depth, packets, 0.007, 6);
    EXPECT_DOUBLE_EQ(depth[1], 0.0006);
    for (int k = 1; k <= 5; ++k)
        EXPECT_DOUBLE_EQ(packets[1][k][packet_amount], 0.001 * (k + 1));
    EXPECT_EQ(packets[1][6][packet_drawn], 0.0);
    EXPECT_EQ(packets[1][6][packet_amount], 0.007);
    EXPECT_EQ(packets[1][6][packet_capacity], 0.007);
    EXPECT_NEAR(moved, 0.002 + 0.003 + 0.004 + 0.005 + 0.006 + 0.007, 1e-15);
    EXPECT_EQ(depth[2], 0.0);
}

TEST_F(MeltPackets, DrawsTakeTheirShareAtMostTheWaterLeftAndNothingForAZeroShare)
{
    fill(1, 1, 0.0, 0.006);
    // An hour of 30 s steps takes 1/120 of the capacity each.
    EXPECT_DOUBLE_EQ(draw_melt_packet(1, 1, packets, 30.0 / 3600.0), 0.00005);
    EXPECT_DOUBLE_EQ(packets[1][1][packet_drawn], 0.00005);
    // A share of 0 keeps the packet's water.
    EXPECT_EQ(draw_melt_packet(1, 1, packets, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(sum_melt_packets(1, 2, packets, 1, "ONE"), 0.00595);
    // A draw larger than the water left returns exactly that and empties the packet.
    EXPECT_DOUBLE_EQ(draw_melt_packet(1, 1, packets, 2.0), 0.00595);
    EXPECT_EQ(packets[1][1][packet_amount], 0.0);
    EXPECT_EQ(packets[1][1][packet_capacity], 0.0);
    // A rest below 1e-6 goes with the draw that leaves it.
    fill(2, 1, 0.0, 0.001);
    EXPECT_DOUBLE_EQ(draw_melt_packet(2, 1, packets, 0.9995), 0.001);
    EXPECT_EQ(packets[2][1][packet_amount], 0.0);
}

TEST_F(MeltPackets, SumsCountSmallPacketsOnceAndEmptyThem)
{
    fill(1, 1, 0.0, 5e-7);
    fill(2, 3, 0.001, 0.004);
    EXPECT_DOUBLE_EQ(sum_melt_packets(0, 2, packets, 6, "ALL"), 5e-7 + 0.003);
    EXPECT_EQ(packets[1][1][packet_amount], 0.0);
    EXPECT_EQ(packets[1][1][packet_capacity], 5e-7); // the capacity is kept
    EXPECT_DOUBLE_EQ(sum_melt_packets(0, 2, packets, 6, "ALL"), 0.003);
    EXPECT_DOUBLE_EQ(sum_melt_packets(2, 2, packets, 6, "ONE"), 0.003);
    EXPECT_EQ(sum_melt_packets(2, 2, packets, 6, "one"), 0.0); // the mode word is exact
    EXPECT_EQ(sum_melt_packets(2, 2, packets, 1, "ONE"), 0.0); // one packet per cell
}

TEST(MarchDayOffset, DayCountFromTheTwentyFirstOfMarch)
{
    struct {
        int month, day, count;
    } cases[] = {{3, 21, 0}, {3, 31, 10}, {4, 1, 11}, {1, 1, 286}, {3, 20, 364}, {12, 31, 285}, {7, 1, 102}};
    for (const auto& c : cases)
        EXPECT_EQ(c.day + march_day_offset(c.month, c.day), c.count) << c.month << "/" << c.day;
}

TEST(MarchDayOffset, AMonthOutsideTheYearStopsTheRunWithAMessage)
{
    error_state_clear();
    testing::internal::CaptureStdout();
    march_day_offset(13, 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("WE HAVE A PROBLEM WITH THE DATES!!!\n"), std::string::npos);
    EXPECT_NE(out.find("month 13"), std::string::npos);
    EXPECT_TRUE(error_state.raised);
    error_state_clear();
}

struct WaterBalance : testing::Test {
    dvec liquid, deficit, plwhc, ice;
    double work = 0.0, prev = 1.0, out = -1.0;
    void SetUp() override
    {
        liquid.assign(1, 0.0);
        deficit.assign(1, 0.0);
        plwhc.assign(1, 0.05);
        ice.assign(1, 95.0);
    }
};

TEST_F(WaterBalance, InputBelowTheDeficitRefreezesAndLowersIt)
{
    deficit[1] = 2.0;
    snow_water_balance(1, 0.5, work, liquid, 95.0 * 0.05, prev, deficit, plwhc, out, ice);
    EXPECT_EQ(out, 0.0);
    EXPECT_DOUBLE_EQ(deficit[1], 1.5);
    EXPECT_DOUBLE_EQ(ice[1], 95.5);
    EXPECT_EQ(liquid[1], 0.0);
}

TEST_F(WaterBalance, InputBeyondDeficitAndCapacityLeavesThePack)
{
    deficit[1] = 1.0;
    const double wqx = 95.0 * 0.05; // 4.75 mm
    snow_water_balance(1, 10.0, work, liquid, wqx, prev, deficit, plwhc, out, ice);
    EXPECT_DOUBLE_EQ(out, 10.0 - 4.75 - 1.0 - 0.05);
    EXPECT_DOUBLE_EQ(liquid[1], 4.75);
    EXPECT_EQ(deficit[1], 0.0);
    EXPECT_EQ(prev, 0.0);
    EXPECT_DOUBLE_EQ(ice[1], 95.0 + 1.0 - out - 4.75);
}

TEST_F(WaterBalance, InputBetweenDeficitAndCapacityIsHeld)
{
    deficit[1] = 1.0;
    snow_water_balance(1, 3.0, work, liquid, 4.75, prev, deficit, plwhc, out, ice);
    EXPECT_EQ(out, 0.0);
    EXPECT_DOUBLE_EQ(liquid[1], 2.0);
    EXPECT_EQ(deficit[1], 0.0);
}

} // namespace
