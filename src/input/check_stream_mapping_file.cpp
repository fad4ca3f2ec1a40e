#include "input/mapping_table_checks.h"

// TODO: stream mapping-table presence checks.
void check_stream_mapping_file(const std::string& /*name*/, int (& /*flags*/)[stream_table_flag_count],
                               int /*quiet*/)
{
}
