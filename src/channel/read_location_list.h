// Output-location lists: a count, then its entries of one or two integers,
// read as free-format integers. Entries that are not integers, or that the
// caller's check refuses (it prints why), stop the run with the list file's
// name.
#pragma once

#include <climits>
#include <cstdio>

#include "channel/chan_file.h"
#include "core/arrays.h"
#include "core/check_count.h"
#include "core/file_rec.h"
#include "input/grid_text.h"

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
        chan_stop();
        return false;
    };
    if (!take(count, 0))
        return false;
    if (count < 0) {
        std::printf("Error: the location list %s gives a negative count (%d).\n", f.name.c_str(), count);
        chan_stop();
        return false;
    }
    // Each entry takes an integer and a blank at least for each of its
    // values; the count stands at the file's start, so the whole file is
    // what may hold them.
    const count_field entries{"count of locations", 0, INT_MAX, 2LL * width};
    const long here = std::ftell(f.fp);
    std::rewind(f.fp);
    const long long left = stream_bytes_left(f.fp);
    if (left >= 0 && count > left / entries.min_bytes_per_item)
        std::printf("End of file reached in file %s, exiting\n", f.name.c_str()); // then the cause
    const bool fits = check_count(count, entries, f.name, 1, f.fp);
    std::fseek(f.fp, here, SEEK_SET);
    if (!fits)
        return false;
    a.assign(count, 0);
    b.assign(count, 0);
    for (int k = 1; k <= count; ++k) {
        if (!take(a[k], k) || (width == 2 && !take(b[k], k)))
            return false;
        if (!valid(k, a[k], b[k])) {
            chan_stop();
            return false;
        }
    }
    return true;
}
