#include "support/golden_compare.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "support/test_support.h"

namespace torva_test
{

namespace
{

// A piece of a line: a number with the blanks in front of it, or text.
struct piece {
    bool number = false;
    std::string text;      // the text, or the number as written
    std::size_t width = 0; // padding plus number
    double value = 0.0;
};

bool word_char(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Length of a number starting at i (0 when none): an optional sign, digits
// with an optional fraction (or a fraction alone), an optional exponent.
// A number glued to a preceding letter or digit (as in "NO2") is text.
std::size_t number_length(const std::string& s, std::size_t i)
{
    if (i > 0 && (word_char(s[i - 1]) || s[i - 1] == '.'))
        return 0;
    std::size_t j = i;
    if (j < s.size() && (s[j] == '-' || s[j] == '+'))
        ++j;
    const std::size_t digits_start = j;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
        ++j;
    bool digits = j > digits_start;
    if (j < s.size() && s[j] == '.') {
        std::size_t k = j + 1;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
            ++k;
        if (k > j + 1 || digits) {
            digits = true;
            j = k;
        }
    }
    if (!digits)
        return 0;
    if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < s.size() && (s[k] == '-' || s[k] == '+'))
            ++k;
        const std::size_t exp_start = k;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
            ++k;
        if (k > exp_start)
            j = k;
    }
    return j - i;
}

std::vector<piece> split_line(const std::string& line)
{
    std::vector<piece> pieces;
    std::string text;
    std::size_t i = 0;
    while (i < line.size()) {
        const std::size_t len = number_length(line, i);
        if (len == 0) {
            text += line[i++];
            continue;
        }
        // The blanks just before the number are its padding.
        std::size_t pad = 0;
        while (pad < text.size() && text[text.size() - 1 - pad] == ' ')
            ++pad;
        text.resize(text.size() - pad);
        if (!text.empty())
            pieces.push_back({false, text, text.size(), 0.0});
        text.clear();
        piece p;
        p.number = true;
        p.text = line.substr(i, len);
        p.width = pad + len;
        p.value = std::strtod(p.text.c_str(), nullptr);
        pieces.push_back(p);
        i += len;
    }
    if (!text.empty())
        pieces.push_back({false, text, text.size(), 0.0});
    return pieces;
}

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool close_enough(double a, double b, golden_tolerance tol)
{
    if (std::isnan(a) || std::isnan(b))
        return false;
    return std::fabs(a - b) <= tol.absolute + tol.relative * std::max(std::fabs(a), std::fabs(b));
}

// Empty when the lines match, else what differs.
std::string line_difference(const std::string& expected, const std::string& actual, golden_tolerance tol)
{
    const std::vector<piece> e = split_line(expected);
    const std::vector<piece> a = split_line(actual);
    for (std::size_t k = 0; k < std::max(e.size(), a.size()); ++k) {
        if (k >= e.size())
            return "extra text \"" + a[k].text + "\"";
        if (k >= a.size())
            return "missing \"" + e[k].text + "\"";
        const piece& x = e[k];
        const piece& y = a[k];
        if (x.number != y.number || (!x.number && x.text != y.text))
            return "expected \"" + x.text + "\", got \"" + y.text + "\"";
        if (!x.number)
            continue;
        if (!close_enough(x.value, y.value, tol))
            return "number " + y.text + " differs from " + x.text;
        if (x.width != y.width)
            return "number " + y.text + " fills " + std::to_string(y.width) + " columns, expected " +
                   std::to_string(x.width);
    }
    return "";
}

} // namespace

std::string golden_difference(const std::string& expected, const std::string& actual, golden_tolerance tol)
{
    const std::vector<std::string> e = split_lines(expected);
    const std::vector<std::string> a = split_lines(actual);
    for (std::size_t i = 0; i < std::max(e.size(), a.size()); ++i) {
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        if (i >= e.size())
            return where + "extra line \"" + a[i] + "\"";
        if (i >= a.size())
            return where + "missing line \"" + e[i] + "\"";
        const std::string d = line_difference(e[i], a[i], tol);
        if (!d.empty())
            return where + d + "\n  expected: \"" + e[i] + "\"\n  actual:   \"" + a[i] + "\"";
    }
    const bool end_e = !expected.empty() && expected.back() == '\n';
    const bool end_a = !actual.empty() && actual.back() == '\n';
    if (end_e != end_a)
        return "line " + std::to_string(a.size()) + ": the text " + (end_e ? "lacks" : "has") +
               " a final line end that the golden file " + (end_e ? "has" : "lacks");
    return "";
}

std::string golden_path(const std::string& name)
{
    return std::string(TORVA_TEST_DATA) + "/golden/" + name;
}

testing::AssertionResult matches_golden(const std::string& name, const std::string& actual,
                                        golden_tolerance tol)
{
    const std::string path = golden_path(name);
    if (!file_exists(path))
        return testing::AssertionFailure() << "no golden file " << path;
    const std::string d = golden_difference(read_file(path), actual, tol);
    if (d.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << name << ", " << d;
}

} // namespace torva_test
