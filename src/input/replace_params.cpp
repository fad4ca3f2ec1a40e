#include "input/replace_params.h"

std::vector<replace_param> replace_param_list;
int replace_on = 0;

void replace_params_free()
{
    std::vector<replace_param>().swap(replace_param_list);
}

// TODO: the replacement usage report.
void print_replace_usage(const file_rec& /*summary*/, bool /*to_screen*/)
{
}
