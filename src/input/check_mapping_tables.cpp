#include "input/mapping_table_checks.h"

// TODO: mapping-table presence checks and their Y/N report.
void check_mapping_tables(const std::string& /*name*/, int (& /*flags*/)[mapping_table_flag_total],
                          int /*quiet*/)
{
}
