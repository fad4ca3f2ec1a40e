// Snow parameters of long-term runs: defaults, cards, elevation bands with
// strict bounds, the band file's header check and the energy-balance model.
#include <gtest/gtest.h>

#include "hydromet/rain_fixture.h"
#include "hydromet/snow_services.h"
#include "support/test_support.h"

using namespace rain_test;

namespace
{

const char* const header = "Lower_Elevation Upper_Elevation MF_Min MF_Max SCF FR_USE TIPM NMF FUA PLWHC\n";

struct SnowBands : testing::Test {
    torva_test::scratch_dir dir{"snow_bands"};
    std::unique_ptr<model_state> s = grid(1, 3, 30.0);
    void SetUp() override
    {
        error_state_clear();
        s->long_term = 1;
        s->ground_elev.assign(3, 0.0);
        s->ground_elev[1] = 500.0;
        s->ground_elev[2] = 1000.0; // exactly on the boundary of both bands
        s->ground_elev[3] = 1500.0;
        s->snow_scf.assign(3, 1.0);
    }
    void TearDown() override { error_state_clear(); }
    std::string read(const std::string& text)
    {
        torva_test::write_file(dir.file("bands.txt"), text);
        s->nwsrfs_elev_snow = 1;
        s->nwsrfs_elev_snow_name = dir.file("bands.txt");
        testing::internal::CaptureStdout();
        read_snow_bands(*s);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(SnowBands, CellsStrictlyInsideABandTakeItsValuesAndACardWins)
{
    s->cards.nwsrfs_mf_max_given = s->nwsrfs_mf_max_given = 1;
    s->cards.nwsrfs_mf_max = 2.5;
    s->snow_temp_base_given = 1;
    s->cards.snow_temp_base = 1.5;
    read(std::string("Number_Bands: 2\n") + header +
         "0 1000 0.1 1.1 1.1 0.1 0.1 0.1 0.1 0.01\n"
         "1000 2000 0.2 1.9 1.2 0.2 0.3 0.4 0.5 0.02\n");
    ASSERT_FALSE(error_state.raised);
    EXPECT_EQ(s->snow_temp_threshold, 1.5);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(s->MF_Max[i], 2.5) << i; // the card everywhere
    EXPECT_EQ(s->MF_Min[1], 0.1);
    EXPECT_EQ(s->snow_scf[1], 1.1);
    EXPECT_EQ(s->PLWHC[1], 0.01);
    EXPECT_EQ(s->TIPM[3], 0.3);
    EXPECT_EQ(s->NMF[3], 0.4);
    EXPECT_EQ(s->fua[3], 0.5);
    EXPECT_EQ(s->fr_use[3], 0.2);
    // The cell at exactly 1000 m keeps the defaults.
    EXPECT_EQ(s->MF_Min[2], 0.0);
    EXPECT_EQ(s->snow_scf[2], 1.0);
    EXPECT_EQ(s->TIPM[2], 0.2);
    EXPECT_EQ(s->NMF[2], 0.2);
    EXPECT_EQ(s->fua[2], 0.18);
    EXPECT_EQ(s->PLWHC[2], 0.05);
    EXPECT_EQ(s->fr_use[2], 0.0);
}

TEST_F(SnowBands, AHeaderWordInAnotherCasePrintsTheFormatAndStops)
{
    std::string bad = header;
    bad.replace(bad.find("PLWHC"), 5, "plwhc");
    const std::string out = read("Number_Bands: 1\n" + bad + "0 1000 0 1 1 0 0.1 0.1 0.1 0.05\n");
    const std::string name = dir.file("bands.txt");
    EXPECT_NE(out.find("Error reading elevation based NWSRFS snow input parameter file: " + name + "\n\n"),
              std::string::npos);
    EXPECT_NE(out.find("The Elevation based NWSRFS input file should have the following format: \n\n"),
              std::string::npos);
    EXPECT_NE(
        out.find("...            \t100000000\t      ##    \t##    \t## \t##\t\t\t##\t\t##\t##\t##  \n\n"),
        std::string::npos);
    EXPECT_TRUE(error_state.raised);
}

TEST_F(SnowBands, BadNumbersAndShortRowsAreRefusedNamingFileAndLine)
{
    struct {
        const char* rows;
        const char* expect;
    } cases[] = {
        {"0 1000 0 1 1 0 0.1 0.1 0.1 x\n", "line 3, entry 1: the PLWHC \"x\""},
        {"0 1000 0 1 1 0 1.5 0.1 0.1 0.05\n", "the TIPM \"1.5\" lies outside 0 to 1"},
        {"0 1000 0 1 1 0 0.1\n", "entry 1"},
    };
    for (const auto& c : cases) {
        error_state_clear();
        const std::string out = read(std::string("Number_Bands: 1\n") + header + c.rows);
        EXPECT_NE(out.find(c.expect), std::string::npos) << out;
        EXPECT_TRUE(error_state.raised) << c.rows;
    }
}

TEST_F(SnowBands, EnergyBalanceSnowReadsNoBandsButSetsTheThreshold)
{
    s->eb_snow = 1;
    s->snow_temp_base_given = 1;
    s->cards.snow_temp_base = -1.0;
    const std::string out = read("not a band file\n");
    EXPECT_FALSE(error_state.raised);
    EXPECT_EQ(out, "");
    EXPECT_EQ(s->snow_temp_threshold, -1.0);
    EXPECT_EQ(s->MF_Max.size(), 0);
}

TEST_F(SnowBands, AMissingFileIsNamed)
{
    s->nwsrfs_elev_snow = 1;
    s->nwsrfs_elev_snow_name = dir.file("none.txt");
    testing::internal::CaptureStdout();
    read_snow_bands(*s);
    EXPECT_NE(testing::internal::GetCapturedStdout().find(
                  "Cannot open elevation based NWSRFS snow input parameter file: " + dir.file("none.txt")),
              std::string::npos);
    EXPECT_TRUE(error_state.raised);
}

} // namespace
