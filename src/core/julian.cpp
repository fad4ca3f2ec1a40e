#include "core/julian.h"

#include <algorithm>
#include <cstdio>

double julian_date(int year, int month, int day, int hour, int minute, double seconds)
{
    double s = minute * 60.0 + hour * 3600.0 + seconds;
    int m, y;
    if (month > 2) {
        m = month - 3;
        y = year;
    } else {
        m = month + 9;
        y = year - 1;
    }
    const long c = y / 100;
    const long r = y - 100 * c;
    long n = (146097L * c) / 4 + (1461L * r) / 4 + (153L * m + 2) / 5 + day + 1721119L;
    if (s < 43200.0) {
        n -= 1;
        s += 43200.0;
    } else {
        s -= 43200.0;
    }
    return s / 3600.0 / 24.0 + static_cast<double>(n);
}

void calendar_from_julian(double jd, int& year, int& month, int& day, int& hour, int& minute,
                          double& seconds)
{
    const double x = jd + 1.1574074074074074e-07;
    long n = static_cast<long>(x);
    double f = x - static_cast<double>(n);
    if (f >= 0.5) {
        n += 1;
        f -= 0.5;
    } else {
        f += 0.5;
    }
    const long j = 4 * (n - 1721119L);
    const long c = (j - 1) / 146097L;
    long d = (j - 1 - 146097L * c) / 4;
    const long y = (4 * d + 3) / 1461;
    d = (4 * d + 7 - 1461 * y) / 4;
    const long m = (5 * d - 3) / 153;
    day = static_cast<int>((5 * d - 153 * m + 2) / 5);
    year = static_cast<int>(100 * c + y);
    if (m < 10) {
        month = static_cast<int>(m + 3);
    } else {
        month = static_cast<int>(m - 9);
        year += 1;
    }
    double t = f * 24.0 * 3600.0;
    hour = static_cast<int>(t / 3600.0);
    t -= 3600.0 * hour;
    minute = static_cast<int>(t / 60.0);
    seconds = t - 60.0 * minute;
}

bool gregorian_leap_year(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

void find_gnum_location(const imat& mask, int rows, int cols, const ivec& row_list,
                        const ivec& col_list, ivec& numbers, int k)
{
    if (k < 0 || k > row_list.size() || k > col_list.size() || k > numbers.size()) return;
    const int want_row = row_list[k];
    const int want_col = col_list[k];
    // Never walk past the grid that is actually there.
    rows = std::min(rows, mask.rows());
    cols = std::min(cols, mask.cols());
    int count = 0;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            if (mask[r][c] == 0) continue;
            ++count;
            if (r == want_row && c == want_col) {
                numbers[k] = count;
                std::printf("%d  %d   %d \n", r, c, count);
                return;
            }
        }
    }
}

bool calendar_date_ok(int year, int month, int day)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const int last = days[month - 1] + (month == 2 && gregorian_leap_year(year) ? 1 : 0);
    return day <= last;
}

bool time_of_day_ok(int hour, int minute)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}
