#include "coupling/kz_data.h"

void kz_coupling_free(std::unique_ptr<kz_data>& kz)
{
    if (!kz) return;
    kz->segment_of_cell.reset();
    file_rec_close(kz->flux_file);
    kz.reset();
}
