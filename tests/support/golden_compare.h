// Comparison of a produced text with a golden file: text is compared
// exactly, numbers within a stated tolerance, and the first difference is
// reported with its line.
#pragma once

#include <string>

#include <gtest/gtest.h>

namespace torva_test
{

// Two numbers a and b match when |a - b| <= absolute + relative * max(|a|, |b|).
struct golden_tolerance {
    double relative = 0.0;
    double absolute = 0.0;
};

// Empty when `actual` matches `expected`; otherwise the first difference as
// "line N: ..." with both lines. Each line is split into numbers and the text
// between them. Text must match exactly; a number matches within the
// tolerance, and together with the blanks in front of it (its padding) it
// must fill the same width, so the columns of a layout are checked too.
std::string golden_difference(const std::string& expected, const std::string& actual, golden_tolerance tol);

// Path of a golden file under tests/data/golden.
std::string golden_path(const std::string& name);

// Compares `actual` with the golden file `name` (under tests/data/golden).
testing::AssertionResult matches_golden(const std::string& name, const std::string& actual,
                                        golden_tolerance tol);

} // namespace torva_test
