// Double-quoted fields of the contaminant table's names lines.
#include <algorithm>
#include <string>

#include "input/quality_inputs.h"

void pop_quoted_field(std::string& line, std::string& field)
{
    field.clear();
    const std::size_t first = line.find('"');
    if (first == std::string::npos) {
        line.clear();
        return;
    }
    const std::size_t second = line.find('"', first + 1);
    if (second == std::string::npos) {
        field = line.substr(first);
        line.clear();
        return;
    }
    field = line.substr(first, second - first + 1);
    const std::size_t third = line.find('"', second + 1);
    line = third == std::string::npos ? std::string() : line.substr(third);
}

void strip_quotes_all(std::string& text)
{
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
}
