#include "input/project_cards.h"

project_cards::project_cards()
{
    project_cards_construct(*this);
}

project_cards::~project_cards()
{
    project_cards_destroy(*this);
}

void project_cards_construct(project_cards& cards)
{
    cards.analyzers = 0;
    cards.analyzers_path.clear();
    cards.write_sm_hotstart = "0";
    cards.read_sm_hotstart = "0";
    cards.calib_comp_data = 1;
    cards.calib_obj_func = 1;
    cards.no2_km.reset();
    xy_output_construct(cards.xy_out);
    xy_input_construct(cards.xy_in);
}

void project_cards_destroy(project_cards& cards)
{
    cards.no2_km.reset();
    xy_input_destroy(cards.xy_in);
    xy_output_destroy(cards.xy_out);
}

void run_params_construct(run_params& run)
{
    run = run_params();
}
