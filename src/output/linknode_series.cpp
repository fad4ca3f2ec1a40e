#include "output/linknode_series.h"

#include <algorithm>
#include <cstdio>

#include "core/error_state.h"

namespace
{

void bind(linknode_series& w, int kind, const ivec& valued, const ivec& entries, const ivec& ltype,
          const ivec& lake_of_link, lake_values_view lake_values, int links, int node_dim)
{
    w.type_id = kind;
    w.valued = &valued;
    w.entries = &entries;
    w.ltype = &ltype;
    w.lake_of_link = &lake_of_link;
    w.lake_values = lake_values;
    w.nlinks = links;
    w.node_stride = node_dim;
    w.table.assign(node_dim, links, 0.0);
}

// Node j of link i of a table source; 0 outside a row table.
double table_value(const linknode_series& w, int j, int i)
{
    if (w.table_src)
        return (*w.table_src)[j][i];
    const row_array<double>& r = *w.rows_src;
    return j <= r.count && i <= r.width ? r[j][i] : 0.0;
}

} // namespace

linknode_series& linknode_series_construct(linknode_series& w)
{
    w.next_ts = 0;
    w.source_kind = -1;
    w.flat_src = nullptr;
    w.table_src = nullptr;
    w.rows_src = nullptr;
    file_rec_init(w.out);
    w.table.reset();
    return w;
}

void linknode_series_init_table(linknode_series& w, int kind, const dnode_mat& source, const ivec& valued,
                                const ivec& entries, const ivec& ltype, const ivec& lake_of_link,
                                lake_values_view lake_values, int links, int node_dim)
{
    bind(w, kind, valued, entries, ltype, lake_of_link, lake_values, links, node_dim);
    w.source_kind = 2;
    w.table_src = &source;
    w.rows_src = nullptr;
}

void linknode_series_init_table(linknode_series& w, int kind, const row_array<double>& source,
                                const ivec& valued, const ivec& entries, const ivec& ltype,
                                const ivec& lake_of_link, lake_values_view lake_values, int links,
                                int node_dim)
{
    bind(w, kind, valued, entries, ltype, lake_of_link, lake_values, links, node_dim);
    w.source_kind = 2;
    w.table_src = nullptr;
    w.rows_src = &source;
}

void linknode_series_init_flat(linknode_series& w, int kind, const double* source, const ivec& valued,
                               const ivec& entries, const ivec& ltype, const ivec& lake_of_link,
                               lake_values_view lake_values, int links, int node_dim)
{
    bind(w, kind, valued, entries, ltype, lake_of_link, lake_values, links, node_dim);
    w.source_kind = 1;
    w.flat_src = source;
}

bool linknode_series_open(linknode_series& w, const std::string& name, const char* ext1, const char* ext2,
                          double scale, const linknode_header_times& times, const char* what)
{
    w.scale = scale;
    const std::string full = name + ext1 + ext2;
    if (!file_rec_open(w.out, full, "w") && what) {
        error_set(err_open_file, what, full.c_str());
        error_state.raised = 1;
        return false;
    }
    if (!w.out.fp) {
        std::printf("Error: unable to open file %s\n", full.c_str());
        error_set(err_stop);
        return false;
    }
    write_linknode_header(w.out.fp, w.type_id, w.nlinks, times.time_step, times.num_steps, times.day,
                          times.month, times.year, times.hour, times.minute);
    return true;
}

void linknode_series_write(linknode_series& w)
{
    for (int i = 1; i <= w.nlinks && w.source_kind > 0; ++i) {
        const int type = (*w.ltype)[i];
        if (type & (4 | 8 | 16)) {
            const int count = std::min((*w.entries)[i], w.table.rows());
            for (int j = 1; j <= count; ++j) {
                double v = 0.0;
                if (j < (*w.valued)[i])
                    v = w.source_kind == 1 ? w.flat_src[i * w.node_stride + j] / w.scale
                                           : table_value(w, j, i) * w.scale;
                w.table[j][i] = v;
            }
        }
        if (type & 64)
            w.table[1][i] = 0.0;
    }
    if (w.out.fp && w.source_kind > 0)
        write_linknode_step(w.out.fp, w.nlinks, *w.valued, w.entries, *w.ltype, w.next_ts, w.table, nullptr,
                            0, *w.lake_of_link, w.lake_values);
    else
        std::printf("Error writing to link/node file...\n");
    ++w.next_ts;
}

void linknode_series_destroy(linknode_series& w)
{
    file_rec_release(w.out);
    w.table.reset();
}

linknode_series::~linknode_series()
{
    linknode_series_destroy(*this);
}

void linknode_series_row_array_add_rows(row_array<linknode_series>& a, int n)
{
    row_array_detail::add_rows(a, n, 2, [](int width) {
        linknode_series* row = new linknode_series[static_cast<std::size_t>(width) + 1];
        for (int j = 0; j <= width; ++j)
            linknode_series_construct(row[j]);
        return row;
    });
}

void linknode_series_row_array_destroy(row_array<linknode_series>& a)
{
    if (!row_array_verify(a))
        return;
    for (int i = 1; i <= a.count; ++i) {
        if (!a.owned[i])
            continue;
        for (int j = 0; j <= a.width; ++j)
            linknode_series_destroy(a.row_table[i][j]);
    }
    row_array_destroy(a);
}
