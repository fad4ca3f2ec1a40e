// Bad variants of an elevation-band snow parameter file added to
// examples/snowmelt, run through the program: each stops with exit status 1
// and a message naming the file and the cause. The good file beside them
// runs to the end.
#include <gtest/gtest.h>

#include <string>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

const std::string header = "Number_Bands: 2\nLower_Elevation Upper_Elevation MF_Min MF_Max SCF FR_USE TIPM NMF FUA "
                           "PLWHC\n";
const std::string low_band = "0 1000 0.5 1.0 1.0 0.0 0.2 0.2 0.18 0.05\n";
const std::string high_band = "1000 2000 0.6 1.2 1.0 0.0 0.2 0.2 0.18 0.05\n";

example_result run_with_bands(const std::string& bands)
{
    return run_example_variant("snowmelt", "snowmelt.prj",
                               {{"snowmelt.prj", card_line("NWSRFS_ELEV_SNOW", "NWSRFS_ELEV_SNOW bands.txt")},
                                {"bands.txt", whole_text(bands)}});
}

} // namespace

TEST(BadSnowBands, StopWithStatusOneNamingTheFileAndTheCause)
{
    const struct {
        const char* label;
        std::string text;
        std::string message;
    } cases[] = {
        {"lower above upper", header + low_band + "2000 1000 0.6 1.2 1.0 0.0 0.2 0.2 0.18 0.05\n",
         "Error: file bands.txt, line 4, band 2: the Lower_Elevation 2000 is not below the Upper_Elevation 1000."},
        {"empty band", header + "1000 1000 0.6 1.2 1.0 0.0 0.2 0.2 0.18 0.05\n" + low_band,
         "band 1: the Lower_Elevation 1000 is not below the Upper_Elevation 1000."},
        {"row cut short", header + low_band + "1000 2000 0.6 1.2 1.0\n",
         "Error: file bands.txt ends after line 4, before the FR_USE of entry 2."},
        {"word for a number", header + low_band + "1000 2000 0.6 high 1.0 0.0 0.2 0.2 0.18 0.05\n",
         "Error: file bands.txt, line 4, entry 2: the MF_Max \"high\" is not a number."},
        {"nan", header + "nan 1000 0.5 1.0 1.0 0.0 0.2 0.2 0.18 0.05\n" + high_band,
         "Error: file bands.txt, line 3, entry 1: the Lower_Elevation \"nan\" is not finite."},
        {"fraction out of range", header + low_band + "1000 2000 0.6 1.2 1.0 0.0 1.5 0.2 0.18 0.05\n",
         "Error: file bands.txt, line 4, entry 2: the TIPM \"1.5\" lies outside 0 to 1."},
        {"more bands than announced", header + low_band + high_band + "2000 3000 0.6 1.2 1.0 0.0 0.2 0.2 0.18 0.05\n",
         "Error: file bands.txt, line 5, band 3: \"2000\" follows the last of the 2 bands that Number_Bands gives."},
        {"count beyond the file", "Number_Bands: 2000000\nLower_Elevation Upper_Elevation MF_Min MF_Max SCF FR_USE "
                                  "TIPM NMF FUA PLWHC\n" + low_band,
         "Error: file bands.txt, line 1: the Number_Bands 2000000 is more than the"},
        {"misspelt header", "Number_Bands: 2\nLower_Elevation Upper_Elevation MF_Min MF_Max SCF FR_USE TIPM NMF FUA "
                            "plwhc\n" + low_band + high_band,
         "Error reading elevation based NWSRFS snow input parameter file: bands.txt\n"},
        {"empty file", "", "Error reading elevation based NWSRFS snow input parameter file: bands.txt\n"},
    };
    for (const auto& c : cases) {
        const example_result r = run_with_bands(c.text);
        EXPECT_EQ(r.status, 1) << c.label << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.label << "\n" << r.output;
        EXPECT_EQ(r.output.find("Running...."), std::string::npos) << c.label;
    }
    const example_result good = run_with_bands(header + low_band + high_band);
    EXPECT_EQ(good.status, 0) << good.output;
}
