#include "coupling/kz_data.h"

void kz_coupling_free(std::unique_ptr<kz_data>& kz)
{
    if (!kz)
        return;
    kz->seg_map.reset();
    kz->active_array.reset();
    file_rec_close(kz->out);
    kz.reset();
}
