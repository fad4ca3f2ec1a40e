#include "subsurface/soil_tables.h"

#include "core/model_state.h"

// TODO: Richards soil table reader.
int read_richards_soil_table(model_state& /*state*/, file_rec& /*table*/, int /*retention_option*/, int /*from_mapping_table*/)
{
    return 0;
}
