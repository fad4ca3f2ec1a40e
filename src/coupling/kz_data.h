// The KZ segment-coupling record, owned by the model state through a pointer.
#pragma once

#include <memory>

#include "core/arrays.h"
#include "core/file_rec.h"

struct kz_data {
    int num_segments = 0;
    ivec segment_of_cell;
    file_rec flux_file;
};

// Releases the record's arrays, closes its file and frees it.
void kz_coupling_free(std::unique_ptr<kz_data>& kz);
