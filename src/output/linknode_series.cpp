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
