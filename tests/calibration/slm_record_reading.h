// Reading back what the toolbox writes: the estimates of the record's
// results table and the numbers of a plain file such as case.par.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace slm_test
{

inline std::vector<double> results_table(const std::string& rec)
{
    std::vector<double> v;
    std::size_t at = rec.find("Adjustable Parameters ----->");
    if (at == std::string::npos)
        return v;
    at = rec.find("value", rec.find("Parameter", at));
    std::istringstream in(rec.substr(rec.find('\n', at) + 1));
    std::string line, name;
    double x = 0.0;
    while (std::getline(in, line) && !line.empty())
        if (std::istringstream(line) >> name >> x)
            v.push_back(x);
    return v;
}

inline std::vector<double> numbers(const std::string& text)
{
    std::vector<double> v;
    std::istringstream in(text);
    double x = 0.0;
    while (in >> x)
        v.push_back(x);
    return v;
}

} // namespace slm_test
