// Reading numbers back from a run summary: the section under a heading and
// the number printed after a label.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace summary_text
{

// The section of the summary that starts with the heading, up to the next
// "Summary for" (empty when the heading is missing).
inline std::string section(const std::string& text, const std::string& heading)
{
    const std::size_t at = text.find(heading);
    if (at == std::string::npos)
        return std::string();
    const std::size_t end = text.find("Summary for", at + heading.size());
    return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

// The number printed after the label (NAN when the label is missing).
inline double value(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return NAN;
    const std::size_t digits = text.find_first_of("-0123456789", at + label.size());
    double v = NAN;
    if (digits != std::string::npos)
        std::sscanf(text.c_str() + digits, "%lf", &v);
    return v;
}

} // namespace summary_text
