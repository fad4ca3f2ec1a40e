// Bad variants of an elevation-band snow parameter file added to
// examples/snowmelt, run through the program: each stops with exit status 1
// and a message naming the file and the cause. The good file beside them
// runs to the end.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

const std::string header =
    "Number_Bands: 2\nLower_Elevation Upper_Elevation MF_Min MF_Max SCF FR_USE TIPM NMF FUA PLWHC\n";
const std::string low_band = "0 1000 0.5 1.0 1.0 0.0 0.2 0.2 0.18 0.05\n";
const std::string high_band = "1000 2000 0.6 1.2 1.0 0.0 0.2 0.2 0.18 0.05\n";

// The example with its elevation bands in the file bands.txt.
example_variant with_bands(const char* label, const std::string& bands, std::string message, int status = 1)
{
    return {label,
            "snowmelt",
            "snowmelt.prj",
            {{"snowmelt.prj", appended("NWSRFS_ELEV_SNOW bands.txt\n")}, {"bands.txt", whole(bands)}},
            {std::move(message)},
            status};
}

} // namespace

TEST(BadSnowBands, StopWithStatusOneNamingTheFileAndTheCause)
{
    expect_variants({
        with_bands("lower above upper", header + low_band + "2000 1000 0.6 1.2 1.0 0.0 0.2 0.2 0.18 0.05\n",
                   "Error: file bands.txt, line 4, band 2: the Lower_Elevation 2000 is not below the "
                   "Upper_Elevation 1000."),
        with_bands("empty band", header + "1000 1000 0.6 1.2 1.0 0.0 0.2 0.2 0.18 0.05\n" + low_band,
                   "band 1: the Lower_Elevation 1000 is not below the Upper_Elevation 1000."),
        with_bands("row cut short", header + low_band + "1000 2000 0.6 1.2 1.0\n",
                   "Error: file bands.txt ends after line 4, before the FR_USE of entry 2."),
        with_bands("word for a number", header + low_band + "1000 2000 0.6 high 1.0 0.0 0.2 0.2 0.18 0.05\n",
                   "Error: file bands.txt, line 4, entry 2: the MF_Max \"high\" is not a number."),
        with_bands("nan", header + "nan 1000 0.5 1.0 1.0 0.0 0.2 0.2 0.18 0.05\n" + high_band,
                   "Error: file bands.txt, line 3, entry 1: the Lower_Elevation \"nan\" is not finite."),
        with_bands("fraction out of range",
                   header + low_band + "1000 2000 0.6 1.2 1.0 0.0 1.5 0.2 0.18 0.05\n",
                   "Error: file bands.txt, line 4, entry 2: the TIPM \"1.5\" lies outside 0 to 1."),
        with_bands("more bands than announced",
                   header + low_band + high_band + "2000 3000 0.6 1.2 1.0 0.0 0.2 0.2 0.18 0.05\n",
                   "Error: file bands.txt, line 5, band 3: \"2000\" follows the last of the 2 bands that "
                   "Number_Bands gives."),
        with_bands("count beyond the file",
                   "Number_Bands: 2000000\nLower_Elevation Upper_Elevation MF_Min MF_Max SCF FR_USE TIPM NMF "
                   "FUA PLWHC\n" +
                       low_band,
                   "Error: file bands.txt, line 1: the Number_Bands 2000000 is more than the"),
        with_bands(
            "misspelt header",
            "Number_Bands: 2\nLower_Elevation Upper_Elevation MF_Min MF_Max SCF FR_USE TIPM NMF FUA plwhc\n" +
                low_band + high_band,
            "Error reading elevation based NWSRFS snow input parameter file: bands.txt\n"),
        with_bands("empty file", "",
                   "Error reading elevation based NWSRFS snow input parameter file: bands.txt\n"),
        with_bands("the good file", header + low_band + high_band, "", 0),
    });
}
