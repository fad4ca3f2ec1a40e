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
    static_cast<card_values&>(cards) = card_values();
    cards.write_sm_hotstart = "0";
    cards.read_sm_hotstart = "0";
    cards.calib_comp_data = 1;
    cards.calib_obj_func = 1;
    cards.nutrient_object.reset();
    xy_output_construct(cards.xy_out);
    xy_input_construct(cards.xy_in);
}

void project_cards_destroy(project_cards& cards)
{
    std::vector<double>().swap(cards.no2_km);
    cards.nutrient_object.reset();
    xy_input_destroy(cards.xy_in);
    xy_output_destroy(cards.xy_out);
}

void run_params_construct(run_params& run)
{
    run = run_params();
}

void clear_card_records(project_cards& cards, run_params& run, precip_settings& precip)
{
    project_cards_destroy(cards);
    static_cast<card_values&>(cards) = card_values();
    xy_output_construct(cards.xy_out);
    xy_input_construct(cards.xy_in);
    run = run_params();
    run.latitude = 0.0;
    run.longitude = 0.0;
    precip = precip_settings();
    precip.gauge_option = 0;
}
