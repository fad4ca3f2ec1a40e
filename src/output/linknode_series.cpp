#include "output/linknode_series.h"

linknode_series& linknode_series_construct(linknode_series& w)
{
    file_rec_init(w.mass_file);
    file_rec_init(w.conc_file);
    return w;
}

void linknode_series_destroy(linknode_series& w)
{
    file_rec_release(w.mass_file);
    file_rec_release(w.conc_file);
    checked_array_destroy(w.values);
}

linknode_series::~linknode_series()
{
    linknode_series_destroy(*this);
}

void linknode_series_row_array_add_rows(row_array<linknode_series>& a, int n)
{
    row_array_detail::add_rows(a, n, 2, [](int width) {
        linknode_series* row = new linknode_series[static_cast<std::size_t>(width) + 1];
        for (int j = 0; j <= width; ++j) linknode_series_construct(row[j]);
        return row;
    });
}

void linknode_series_row_array_destroy(row_array<linknode_series>& a)
{
    if (!row_array_verify(a)) return;
    for (int i = 1; i <= a.count; ++i) {
        if (!a.owned[i]) continue;
        for (int j = 0; j <= a.width; ++j) linknode_series_destroy(a.row_table[i][j]);
    }
    row_array_destroy(a);
}
