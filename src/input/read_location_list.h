// Output-location lists: a count, then its entries of one or two integers,
// read as free-format integers. Entries that are not integers, or that the
// caller's check refuses (it prints why), a count the file cannot hold and
// anything after the last entry stop the run with the list file's name.
#pragma once

#include <climits>
#include <cstdio>
#include <string>

#include "core/arrays.h"
#include "core/check_count.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "input/grid_text.h"

inline void location_list_stop()
{
    error_set(err_stop);
    report_error(error_state);
}

// check_count on a location list's count; a count the rest of the file
// cannot hold first prints the lists' own end-of-file line.
inline bool check_location_count(long long count, const count_field& field, const std::string& name, int line,
                                 std::FILE* fp)
{
    const long long left = stream_bytes_left(fp);
    if (left >= 0 && field.min_bytes_per_item > 0 && count > left / field.min_bytes_per_item)
        std::printf("End of file reached in file %s, exiting\n", name.c_str());
    return check_count(count, field, name, line, fp);
}

template <class Valid>
bool read_location_list(file_rec& f, int width, int& count, ivec& a, ivec& b, Valid valid)
{
    int_scanner in(f.fp);
    const auto take = [&](int& v, int entry) {
        const int_scanner::result got = f.fp ? in.next(v) : int_scanner::end_of_file;
        if (got == int_scanner::ok)
            return true;
        if (got == int_scanner::not_integer)
            std::printf("Error: the location list %s holds \"%s\" at entry %d, which is not an integer.\n",
                        f.name.c_str(), in.bad_word().c_str(), entry);
        else
            std::printf("End of file reached in file %s, exiting\n", f.name.c_str());
        location_list_stop();
        return false;
    };
    if (!take(count, 0))
        return false;
    if (count < 0) {
        std::printf("Error: the location list %s gives a negative count (%d).\n", f.name.c_str(), count);
        location_list_stop();
        return false;
    }
    // Each entry takes an integer and a blank at least for each of its
    // values; the count stands at the file's start, so the whole file is
    // what may hold them.
    const count_field entries{"count of locations", 0, INT_MAX, 2LL * width};
    const long here = std::ftell(f.fp);
    std::rewind(f.fp);
    const bool fits = check_location_count(count, entries, f.name, 1, f.fp);
    std::fseek(f.fp, here, SEEK_SET);
    if (!fits)
        return false;
    a.assign(count, 0);
    b.assign(count, 0);
    for (int k = 1; k <= count; ++k) {
        if (!take(a[k], k) || (width == 2 && !take(b[k], k)))
            return false;
        if (!valid(k, a[k], b[k])) {
            location_list_stop();
            return false;
        }
    }
    // A number after the last entry means the count falls short of them.
    int extra = 0;
    const int_scanner::result more = in.next(extra);
    if (more != int_scanner::end_of_file) {
        const std::string word = more == int_scanner::ok ? std::to_string(extra) : in.bad_word();
        std::printf("Error: the location list %s holds \"%s\" after the last of the %d entries its count "
                    "announces.\n",
                    f.name.c_str(), word.c_str(), count);
        location_list_stop();
        return false;
    }
    return true;
}
