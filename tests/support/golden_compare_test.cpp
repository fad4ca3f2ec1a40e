// The golden-file comparison: text exactly, numbers within the tolerance
// and in their columns, the first difference reported with its line.
#include <gtest/gtest.h>

#include "support/golden_compare.h"

using torva_test::golden_difference;
using torva_test::golden_tolerance;

TEST(GoldenCompare, TextExactNumbersWithinToleranceFirstDifferenceByLine)
{
    const std::string golden = "heading\nvolume:     450.0 m3\nNO2 error   -0.001234 percent\n";
    const golden_tolerance tol{1e-3, 1e-5};
    struct compare_case {
        const char* name;
        std::string actual;
        const char* difference; // start of the report; empty when equal
    };
    const compare_case cases[] = {
        {"same text", golden, ""},
        {"numbers within the tolerance", "heading\nvolume:     450.3 m3\nNO2 error   -0.001235 percent\n",
         ""},
        {"number outside the tolerance", "heading\nvolume:     451.0 m3\nNO2 error   -0.001234 percent\n",
         "line 2: number 451.0 differs from 450.0"},
        {"number moved out of its column", "heading\nvolume:      450.0 m3\nNO2 error   -0.001234 percent\n",
         "line 2: number 450.0 fills 11 columns, expected 10"},
        {"text differs", "heading\nvolume:     450.0 m3\nNO3 error   -0.001234 percent\n",
         "line 3: expected \"NO2 error\", got \"NO3 error\""},
        {"trailing blank", "heading \nvolume:     450.0 m3\nNO2 error   -0.001234 percent\n",
         "line 1: expected \"heading\", got \"heading \""},
        {"line missing", "heading\nvolume:     450.0 m3\n", "line 3: missing line"},
        {"line extra", golden + "more\n", "line 4: extra line \"more\""},
        {"number where text was", "heading\nvolume:     450.0 m3\nNO2 error   -0.001234 1\n",
         "line 3: expected \" percent\", got \"1\""},
    };
    for (const compare_case& c : cases) {
        const std::string d = golden_difference(golden, c.actual, tol);
        if (*c.difference == '\0') {
            EXPECT_EQ(d, "") << c.name;
        } else {
            EXPECT_EQ(d.rfind(c.difference, 0), 0u) << c.name << ": " << d;
        }
    }
}
