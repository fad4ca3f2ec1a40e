#include "output/map_series.h"

#include <cstdio>

map_series& map_series_construct(map_series& w)
{
    file_rec_init(w.file);
    w.format = 0;
    w.nodata = -999.99;
    w.scale = 1.0;
    w.next_seq = 1;
    return w;
}

void map_series_destroy(map_series& w)
{
    if (w.file.fp && w.format == 1) std::fprintf(w.file.fp, "ENDDS\n");
    checked_array_destroy(w.values);
    checked_array_destroy(w.totals);
    checked_array_destroy(w.cells);
    file_rec_close(w.file);
}

map_series::~map_series()
{
    map_series_destroy(*this);
}

void map_series_row_array_add_rows(row_array<map_series>& a, int n)
{
    row_array_detail::add_rows(a, n, 2, [](int width) {
        map_series* row = new map_series[static_cast<std::size_t>(width) + 1];
        for (int j = 0; j <= width; ++j) map_series_construct(row[j]);
        return row;
    });
}

void map_series_row_array_destroy(row_array<map_series>& a)
{
    if (!row_array_verify(a)) return;
    for (int i = 1; i <= a.count; ++i) {
        if (!a.owned[i]) continue;
        for (int j = 0; j <= a.width; ++j) map_series_destroy(a.row_table[i][j]);
    }
    row_array_destroy(a);
}
