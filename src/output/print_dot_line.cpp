// The dot-leader line of the constituent summaries: the label, a blank and
// dots fill 50 columns, and the value's decimal point stands in column 66.
#include <cstdio>
#include <cstring>

#include "output/summary_writers.h"

void print_dot_line(std::FILE* fp, const char* label, double value, dot_format format, int extra_lines)
{
    // Wide enough for any double in either format.
    char text[400];
    if (format == dot_format::four_decimals)
        std::snprintf(text, sizeof text, "%14.4lf", value);
    else
        std::snprintf(text, sizeof text, "%14.2lf", value);
    const char* point = std::strchr(text, '.');
    const long p = point ? point - text : static_cast<long>(std::strlen(text));

    std::fprintf(fp, "%s ", label);
    for (long dots = 49 - static_cast<long>(std::strlen(label)); dots > 0; --dots)
        std::fprintf(fp, "%c", '.');
    for (long blanks = p <= 14 ? 15 - p : 1; blanks > 0; --blanks)
        std::fprintf(fp, " ");
    std::fprintf(fp, "%s", text);
    for (int k = 0; k <= extra_lines; ++k)
        std::fprintf(fp, "\n");
}
