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
