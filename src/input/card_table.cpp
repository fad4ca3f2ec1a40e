// The card table: one entry per card word, in the order the words are
// tested. Synonyms share one action. Most cards fill the slot named after
// them; the cards with actions of their own follow the generic ones.
#include "input/card_table.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/julian.h"
#include "core/platform.h"
#include "core/proc_group.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"
#include "input/elev_series.h"
#include "input/project_cards.h"
#include "input/replace_params.h"
#include "input/time_series.h"

int super_quiet_on = 0;

namespace {

using card_action = void (*)(card_context&, std::string&);

} // namespace

// The values a numeric card allows, kept beside the card in the table.
// Cards with several integers check them together as a calendar date
// (year month day), a clock time (hour minute) or both.
struct value_rule {
    enum kind_t { any, above, at_least, from_to, date, time, date_time } kind = any;
    double lo = 0.0;
    double hi = 0.0;
};

namespace {

constexpr value_rule any_value{};
constexpr value_rule positive{value_rule::above, 0.0, 0.0};
constexpr value_rule non_negative{value_rule::at_least, 0.0, 0.0};
constexpr value_rule at_least_one{value_rule::at_least, 1.0, 0.0};
constexpr value_rule fraction{value_rule::from_to, 0.0, 1.0};
constexpr value_rule calendar_date{value_rule::date, 0.0, 0.0};
constexpr value_rule clock_time{value_rule::time, 0.0, 0.0};
constexpr value_rule date_and_time{value_rule::date_time, 0.0, 0.0};

constexpr value_rule from_to(double lo, double hi)
{
    return value_rule{value_rule::from_to, lo, hi};
}

struct card_def {
    const char* word; // lower case
    card_action apply;
    value_rule rule = any_value;
};

std::string upper(const char* word)
{
    std::string s(word);
    for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

// Refuses the card: the message names the file, the line, the card and the
// value; the reading stops and the run stops with code 4000.
void refuse(card_context& c, const std::string& value, const char* what)
{
    const std::string card = upper(c.word);
    if (value.empty())
        std::printf("Error: project file %s, line %d: the value of card %s %s.\n", c.file.c_str(), c.line,
                    card.c_str(), what);
    else
        std::printf("Error: project file %s, line %d: the value \"%s\" of card %s %s.\n", c.file.c_str(),
                    c.line, printable(value).c_str(), card.c_str(), what);
    error_set(err_stop);
    c.stop = true;
}

void refuse_status(card_context& c, const std::string& value, num_status st)
{
    refuse(c, value, num_status_text(st));
}

// True when v lies within the card's rule; else the card is refused.
bool within_rule(card_context& c, const std::string& value, double v)
{
    const value_rule& r = c.rule ? *c.rule : any_value;
    char what[128];
    switch (r.kind) {
    case value_rule::above:
        if (v > r.lo) return true;
        std::snprintf(what, sizeof what, "is out of range: it must be above %g", r.lo);
        break;
    case value_rule::at_least:
        if (v >= r.lo) return true;
        std::snprintf(what, sizeof what, "is out of range: it must be %g or above", r.lo);
        break;
    case value_rule::from_to:
        if (v >= r.lo && v <= r.hi) return true;
        std::snprintf(what, sizeof what, "is out of range: it must be from %g to %g", r.lo, r.hi);
        break;
    default:
        return true;
    }
    refuse(c, value, what);
    return false;
}


// The card's integers, in order, read strictly and checked together by the
// card's date or time rule; all are left unchanged when the card is refused.
template <size_t N>
void take_ints(card_context& c, std::string& l, int* const (&dest)[N])
{
    std::string text = l;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    const size_t lead = text.find_first_not_of(" \t,");
    text = lead == std::string::npos ? std::string() : text.substr(lead);
    static_assert(N <= 5, "a date and a time at most");
    int v[5] = {};
    for (size_t i = 0; i < N; ++i) {
        std::string token;
        if (!pop_token(l, token)) return refuse(c, text, "is missing a number");
        const num_status st = parse_int_strict(token, v[i]);
        if (st != num_status::ok) return refuse(c, text, num_status_text(st));
    }
    const value_rule::kind_t k = c.rule ? c.rule->kind : value_rule::any;
    const bool has_date = k == value_rule::date || k == value_rule::date_time;
    const int hour_at = k == value_rule::time ? 0 : 3;
    const bool has_time = k == value_rule::time || k == value_rule::date_time;
    const bool end_time_off = k == value_rule::date_time && v[0] == 0; // END_TIME year 0: no end time
    if (!end_time_off && has_date && !calendar_date_ok(v[0], v[1], v[2]))
        return refuse(c, text, "is not a calendar date (year month day)");
    if (!end_time_off && has_time && !time_of_day_ok(v[hour_at], v[hour_at + 1]))
        return refuse(c, text, "is not a time of day (hour 0 to 23, minute 0 to 59)");
    for (size_t i = 0; i < N; ++i) *dest[i] = v[i];
}

// A name card needs its name.
void take_name(card_context& c, std::string& line, std::string& dest)
{
    dest.clear();
    if (!pop_token(line, dest)) refuse(c, "", "is missing");
}

// Names that may be missing.
void take_optional_name(std::string& line, std::string& dest)
{
    dest.clear();
    pop_token(line, dest);
}

void take_int(card_context& c, std::string& line, int& dest)
{
    dest = 0;
    std::string token;
    if (!pop_token(line, token)) return refuse(c, "", "is missing");
    int v = 0;
    const num_status st = parse_int_strict(token, v);
    if (st != num_status::ok) return refuse_status(c, token, st);
    if (within_rule(c, token, v)) dest = v;
}

void take_real(card_context& c, std::string& line, double& dest)
{
    dest = 0.0;
    std::string token;
    if (!pop_token(line, token)) return refuse(c, "", "is missing");
    double v = 0.0;
    const num_status st = parse_double_strict(token, v);
    if (st != num_status::ok) return refuse_status(c, token, st);
    if (within_rule(c, token, v)) dest = v;
}

// A token that may be a number or a name: ok with the number, not_number
// for a name; a number that is not finite or too large is refused.
num_status number_or_name(card_context& c, const std::string& token, double& value)
{
    const num_status st = parse_double_strict(token, value);
    if (st == num_status::not_finite || st == num_status::out_of_range) refuse_status(c, token, st);
    return st;
}

// The first token of what is left of the line, without taking it.
std::string peek_token(const std::string& line)
{
    std::string copy = line, token;
    pop_token(copy, token);
    return token;
}

std::string lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Nutrient cards need the object of an earlier NUTRIENTS card.
bool need_nutrients(card_context& c, const char* object)
{
    if (c.cards.nutrient_object) return true;
    error_set(err_nutrients_card_order, object);
    c.stop = true;
    return false;
}

void nutrient_init(card_context& c, std::string& line, qbn_init_entry& e)
{
    std::string token;
    if (!pop_token(line, token)) {
        e.kind = 2;
        return;
    }
    double v = 0.0;
    const num_status st = number_or_name(c, token, v);
    if (st == num_status::ok) {
        e.kind = 3;
        e.value = v;
    } else if (!c.stop) {
        e.kind = 1;
        e.map = token;
    }
}

void nutrient_output(card_context& c, std::string& line, qbn_output_entry& e)
{
    e.flag = 1;
    take_name(c, line, e.name);
}

void sorption_constant(card_context& c, std::string& line, int index)
{
    if (c.cards.no2_km.empty()) c.cards.no2_km.assign(12, 0.0);
    take_real(c, line, c.cards.no2_km[static_cast<size_t>(index)]);
}

// First four letters of the lower-cased word compared with a choice.
bool same_four(const std::string& word, const char* choice)
{
    return std::strncmp(lower(word).c_str(), choice, 4) == 0 && word.size() >= 4;
}

} // namespace

// The generic cards. A number card may name its allowed values after its
// slot (positive, non_negative, fraction, from_to(lo, hi)...); without one
// any finite value is taken.
#define SWITCH(W, F) {W, [](card_context& c, std::string&) { c.cards.F = 1; }}
#define REAL(W, F, ...) {W, [](card_context& c, std::string& l) { take_real(c, l, c.cards.F); }, __VA_ARGS__}
#define REAL_GIVEN(W, F, ...)                                                                           \
    {W, [](card_context& c, std::string& l) {                                                           \
         take_real(c, l, c.cards.F);                                                                     \
         c.cards.F##_given = 1;                                                                          \
     }, __VA_ARGS__}
#define INTEGER(W, F, ...) {W, [](card_context& c, std::string& l) { take_int(c, l, c.cards.F); }, __VA_ARGS__}
#define INTEGER_GIVEN(W, F, ...)                                                                        \
    {W, [](card_context& c, std::string& l) {                                                           \
         take_int(c, l, c.cards.F);                                                                      \
         c.cards.F##_given = 1;                                                                          \
     }, __VA_ARGS__}
#define NAME(W, F) {W, [](card_context& c, std::string& l) { take_name(c, l, c.cards.F); }}
#define NAME_GIVEN(W, F)                                                                                \
    {W, [](card_context& c, std::string& l) {                                                           \
         take_name(c, l, c.cards.F);                                                                     \
         c.cards.F##_given = 1;                                                                          \
     }}
#define IGNORED(W) {W, [](card_context&, std::string&) {}}
#define RUN_INT(W, F, ...) {W, [](card_context& c, std::string& l) { take_int(c, l, c.run.F); }, __VA_ARGS__}
#define RUN_REAL(W, F, ...) {W, [](card_context& c, std::string& l) { take_real(c, l, c.run.F); }, __VA_ARGS__}
#define RUN_SWITCH(W, F) {W, [](card_context& c, std::string&) { c.run.F = 1; }}
#define INFIL(W, N) {W, [](card_context& c, std::string&) { c.run.infil_type = N; }}
#define ROUTE(W, N) {W, [](card_context& c, std::string&) { c.run.chan_route_type = N; }}
#define OV_INIT(W, I)                                                                                   \
    {W, [](card_context& c, std::string& l) {                                                           \
         if (need_nutrients(c, "OV_INIT_XXX")) nutrient_init(c, l, c.cards.nutrient_object->ov_init[I]); \
     }}
#define ST_INIT(W, I)                                                                                   \
    {W, [](card_context& c, std::string& l) {                                                           \
         if (need_nutrients(c, "ST_INIT_XXX")) nutrient_init(c, l, c.cards.nutrient_object->st_init[I]); \
     }}
#define OUT_NUT(W, TABLE, OBJ, I)                                                                       \
    {W, [](card_context& c, std::string& l) {                                                           \
         if (need_nutrients(c, OBJ)) nutrient_output(c, l, c.cards.nutrient_object->TABLE[I]);          \
     }}
#define SORPTION(W, I) {W, [](card_context& c, std::string& l) { sorption_constant(c, l, I); }}
#define PRINTED_REAL(W, FMT)                                                                            \
    {W, [](card_context& c, std::string& l) {                                                           \
         double v = 0.0;                                                                                 \
         take_real(c, l, v);                                                                             \
         if (!c.stop) std::printf(FMT, v);                                                               \
     }}
#define PRINTED_INT(W, FMT)                                                                             \
    {W, [](card_context& c, std::string& l) {                                                           \
         int v = 0;                                                                                      \
         take_int(c, l, v);                                                                              \
         if (!c.stop) std::printf(FMT, v);                                                               \
     }}

namespace {

const card_def card_table[] = {
    // Run parameters.
    RUN_INT("rows", rows, positive),
    RUN_INT("cols", cols, positive),
    RUN_REAL("gridsize", gridsize, positive),
    RUN_INT("tot_time", tot_time, positive),
    RUN_REAL("timestep", timestep, positive),
    RUN_INT("outrow", outrow, positive),
    RUN_INT("outcol", outcol, positive),
    {"latitude", [](card_context& c, std::string& l) {
         take_real(c, l, c.run.latitude);
         c.run.latitude_given = 1;
     }, from_to(-90.0, 90.0)},
    {"longitude", [](card_context& c, std::string& l) {
         take_real(c, l, c.run.longitude);
         c.run.longitude_given = 1;
     }, from_to(-360.0, 360.0)},
    {"gmt", [](card_context& c, std::string& l) {
         take_real(c, l, c.run.gmt);
         c.run.gmt_given = 1;
     }, from_to(-24.0, 24.0)},
    RUN_SWITCH("qout_cfs", qout_cfs),
    RUN_SWITCH("quiet", quiet),
    RUN_REAL("outslope", outslope, positive),
    RUN_REAL("hyd_freq", hyd_freq, positive),
    RUN_INT("map_freq", map_freq, positive),
    RUN_INT("map_type", map_type, from_to(0.0, 4.0)), // 4: the hierarchical format, refused later
    RUN_REAL("st_time_step", st_time_step, non_negative), // below 0.01 s: the overland step
    {"units", [](card_context& c, std::string& l) {
         take_int(c, l, c.run.units);
         if (!c.stop) std::printf("Units flag = %d\n", c.run.units);
     }},
    {"start_date", [](card_context& c, std::string& l) {
         take_ints(c, l, {&c.run.start_year, &c.run.start_month, &c.run.start_day});
     }, calendar_date},
    {"start_time", [](card_context& c, std::string& l) {
         take_ints(c, l, {&c.run.start_hour, &c.run.start_minute});
     }, clock_time},
    {"end_time", [](card_context& c, std::string& l) {
         take_ints(c, l, {&c.run.end_year, &c.run.end_month, &c.run.end_day, &c.run.end_hour,
                          &c.run.end_minute});
     }, date_and_time},
    {"gw_fluxboundtable", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.gw_fluxboundtable);
         c.cards.gw_fluxboundtable_given = 1;
         c.run.gw_fluxboundtable = 1;
     }},
    {"gw_flux_boundtable", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.gw_fluxboundtable);
         c.cards.gw_fluxboundtable_given = 1;
         c.run.gw_fluxboundtable = 1;
     }},

    // Selectors of shared values.
    ROUTE("chan_preiss", 1),
    ROUTE("chan_drain", 2),
    {"chan_explic", [](card_context& c, std::string&) {
         c.run.chan_route_type = 3;
         c.cards.non_ortho_channels = 1;
     }},
    {"diffusive_wave", [](card_context& c, std::string&) {
         c.run.chan_route_type = 3;
         c.cards.non_ortho_channels = 1;
     }},
    ROUTE("chan_mesh", 4),
    ROUTE("chan_backwater", 5),
    INFIL("green_ampt", 1),
    INFIL("inf_redist", 2),
    INFIL("inf_layered_soil", 3),
    INFIL("inf_richards", 4),
    {"precip_unif", [](card_context& c, std::string&) { c.precip.kind = 0; }},
    {"precip_file", [](card_context& c, std::string& l) {
         c.precip.kind = 1;
         take_name(c, l, c.precip.precip_file);
     }},
    {"rain_inv_distance", [](card_context& c, std::string&) { c.precip.gauge_option = 0; }},
    {"rain_thiessen", [](card_context& c, std::string&) { c.precip.gauge_option = 1; }},
    {"rain_intensity", [](card_context& c, std::string& l) { take_real(c, l, c.precip.rain_intensity); },
     non_negative},
    {"rain_duration", [](card_context& c, std::string& l) { take_int(c, l, c.precip.rain_duration); },
     non_negative},
    {"soils_qbn_p", [](card_context& c, std::string&) { c.cards.soils_qbn_p = 2; }},
    {"soils_qbn_c", [](card_context& c, std::string&) { c.cards.soils_qbn_c = 2; }},
    {"soils_qbn_n", [](card_context& c, std::string&) { c.cards.soils_qbn_n = 2; }},

    // Switches with actions of their own.
    {"super_quiet", [](card_context& c, std::string&) {
         c.cards.super_quiet = 1;
         super_quiet_on = 1;
     }},
    {"interception", [](card_context& c, std::string&) {
         c.cards.interception = 1;
         c.cards.storage_capacity_given = 1;
         c.cards.interception_coeff_given = 1;
     }},

    // Integers with actions of their own.
    {"replace_line", [](card_context& c, std::string& l) {
         take_int(c, l, c.cards.replace_line);
         if (!c.stop) replace_line_index = c.cards.replace_line - 1;
     }, at_least_one},
    {"num_threads", [](card_context& c, std::string& l) {
         take_int(c, l, c.cards.num_threads);
         if (c.stop) return;
         if (c.cards.num_threads >= 1) {
             set_thread_count(c.cards.num_threads);
             std::printf("Setting the thread level to %d.\n", c.cards.num_threads);
         } else {
             std::printf("Error: unable to set the thread level to %d.\n", c.cards.num_threads);
         }
     }},
    {"qnt_event_num", [](card_context& c, std::string& l) {
         c.cards.qnt_event_num_given = 1;
         c.cards.qnt_event_num = -1; // no value: -1
         if (!l.empty() && l.find_first_not_of(" \t,") != std::string::npos)
             take_int(c, l, c.cards.qnt_event_num);
     }},

    // Names sharing a slot.
    {"hmet_surfaways", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.hmet_file);
         c.cards.hmet_surfaways = 1;
     }},
    {"hmet_samson", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.hmet_file);
         c.cards.hmet_samson = 1;
     }},
    {"hmet_ktr", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.hmet_file);
         c.cards.hmet_ktr = 1;
     }},
    {"hmet_ascii", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.hmet_file);
         c.cards.hmet_ascii = 1;
     }},
    {"hmet_ascii_pet", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.hmet_file);
         c.cards.hmet_ascii_pet = 1;
     }},
    {"hmet_orog_gages", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.hmet_orog_gages);
         c.cards.hmet_orog_gages_given = 1;
         c.cards.orogvar_hmet = 1;
     }},
    {"explic_backwater", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.chan_hotstart_write_stem);
         c.cards.explic_backwater = 1;
     }},
    {"write_chan_hotstart", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.chan_hotstart_write_stem);
         c.cards.write_chan_hotstart = 1;
     }},
    {"explic_hotstart", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.chan_hotstart_read_stem);
         c.cards.explic_hotstart = 1;
     }},
    {"read_chan_hotstart", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.chan_hotstart_read_stem);
         c.cards.read_chan_hotstart = 1;
     }},

    // Names that may be missing, names or numbers.
    {"moisture", [](card_context& c, std::string& l) {
         c.cards.moisture_given = 1;
         std::string t;
         if (pop_token(l, t)) c.cards.moisture = t;
     }},
    {"area_reduction", [](card_context& c, std::string& l) {
         c.cards.area_reduction_given = 1;
         take_optional_name(l, c.cards.area_reduction);
     }},
    {"gw_boundfile", [](card_context& c, std::string& l) {
         std::string t;
         if (!pop_token(l, t)) return;
         c.cards.gw_boundfile = t;
         c.cards.gw_boundfile_given = 1;
     }},
    {"reten_depth", [](card_context& c, std::string& l) {
         std::string t;
         if (!pop_token(l, t)) {
             c.cards.reten_depth.clear();
             c.cards.reten_depth_given = 1;
             return;
         }
         double v = 0.0;
         const num_status st = number_or_name(c, t, v);
         if (c.stop) return;
         c.cards.reten_depth = t;
         if (st == num_status::ok) {
             std::printf("Warning: Incorrect use of RETEN_DEPTH card\n  Usage: RETEN_DEPTH "
                         "<filename>-or-\nRETENTION <value>  -or-\nRETEN_DEPTH \n  Using %lf for the "
                         "uniform retention depth\n\n",
                         v);
             c.cards.retention = v;
             c.cards.retention_given = 1;
         } else {
             c.cards.reten_depth_given = 1;
         }
     }},
    {"init_swe_depth", [](card_context& c, std::string& l) {
         std::string t;
         pop_token(l, t);
         double v = 0.0;
         const num_status st = t.empty() ? num_status::empty : number_or_name(c, t, v);
         if (c.stop) return;
         if (st == num_status::ok) {
             c.cards.init_swe_depth_kind = 3;
             c.cards.init_swe_depth = v;
         } else {
             c.cards.init_swe_depth_kind = 1;
             c.cards.init_swe_depth_map = t;
         }
     }},

    // Option words.
    {"overtype", [](card_context& c, std::string& l) {
         const std::string t = peek_token(l);
         const std::string w = lower(t);
         if (w == "explicit")
             c.cards.overtype = 1;
         else if (w == "ade")
             c.cards.overtype = 2;
         else if (w == "ade-pc")
             c.cards.overtype = 3;
         else if (t.empty() || std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-' || t[0] == '+')
             return take_int(c, l, c.cards.overtype);
         else
             return refuse(c, t, "is not one of 1, 2, 3, explicit, ade or ade-pc");
         std::string taken;
         pop_token(l, taken);
     }, from_to(1.0, 3.0)},
    {"richards_k_option", [](card_context& c, std::string& l) {
         std::string t;
         pop_token(l, t);
         if (same_four(t, "geometric"))
             c.cards.richards_k_option = 2;
         else if (same_four(t, "arithmetic"))
             c.cards.richards_k_option = 1;
     }},
    {"richards_c_option", [](card_context& c, std::string& l) {
         std::string t;
         pop_token(l, t);
         if (same_four(t, "havercamp"))
             c.cards.richards_c_option = 2;
         else if (same_four(t, "brooks"))
             c.cards.richards_c_option = 1;
     }},
    {"richards_upper_option", [](card_context& c, std::string& l) {
         std::string t;
         pop_token(l, t);
         if (same_four(t, "green_ampt"))
             c.cards.richards_upper_option = 2;
         else if (same_four(t, "average"))
             c.cards.richards_upper_option = 3;
         else
             c.cards.richards_upper_option = 0;
     }},
    {"calib_comp_data", [](card_context& c, std::string& l) {
         if (l.compare(0, 5, "DAILY") == 0 && l.size() >= 5) {
             c.cards.calib_comp_data = 0;
         } else if (l.compare(0, 5, "EVENT") == 0 && l.size() >= 5) {
             c.cards.calib_comp_data = 1;
         } else {
             c.cards.calib_comp_data = 2;
             error_set(err_calib_comp_data);
             c.stop = true;
         }
     }},
    {"calib_obj_func", [](card_context& c, std::string& l) {
         if (l == "RMSE") {
             c.cards.calib_obj_func = 0;
         } else if (l == "HMLE") {
             c.cards.calib_obj_func = 1;
         } else {
             c.cards.calib_obj_func = 2;
             error_set(err_calib_obj_func);
             c.stop = true;
         }
     }},

    // Cards acting at once.
    {"time_series_file", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.time_series_file);
         if (!c.stop) read_ts_file(c.cards.time_series_file);
     }},
    {"elev_series_file", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.elev_series_file);
         if (!c.stop) read_elev_series_file(c.cards.elev_series_file);
     }},
    {"replace_params", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.replace_params);
         if (!c.stop) read_replace_params(c.cards.replace_params);
     }},
    {"replace_vals", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.replace_vals);
         if (!c.stop) read_replace_values(c.cards.replace_vals);
     }},
    {"replace_folder", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.output_folder);
         if (!c.stop) set_output_folder(c.cards.output_folder);
     }},
    {"output_folder", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.output_folder);
         if (!c.stop) set_output_folder(c.cards.output_folder);
     }},
    {"project_folder", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.project_folder);
         if (!c.cards.project_folder.empty()) set_project_path(c.cards.project_folder);
     }},
    {"project_path", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.project_folder);
         if (!c.cards.project_folder.empty()) set_project_path(c.cards.project_folder);
     }},
    {"nutrients", [](card_context& c, std::string&) {
         c.cards.nutrients = 1;
         c.cards.nutrient_object = qbn_model_create(); // an earlier object is released
     }},
    {"xybdyinput_ovdep", [](card_context& c, std::string& l) {
         std::string t;
         take_name(c, l, t);
         xy_input& in = c.cards.xy_in;
         if (c.stop) return;
         read_xy_bdy_file(in, t, "overland", "XY_OV_DEPTH", in.ov_series, in.ovpts, in.num_ov_points, 1);
         if (run_stopped()) c.stop = true;
         c.cards.ov_boundary = 1;
         c.cards.xybdyinput_ovdep_given = 1;
     }},
    {"xybdyinput_gwhead", [](card_context& c, std::string& l) {
         std::string t;
         take_name(c, l, t);
         xy_input& in = c.cards.xy_in;
         if (c.stop) return;
         read_xy_bdy_file(in, t, "groundwater", "XY_GW_HEAD", in.gw_series, in.gwpts, in.num_gw_points, 1);
         if (run_stopped()) c.stop = true;
         c.cards.xybdyinput_gwhead_given = 1;
     }},
    {"xybdyinput_gwheadinterp", [](card_context& c, std::string& l) {
         std::string t;
         take_name(c, l, t);
         xy_input& in = c.cards.xy_in;
         if (c.stop) return;
         read_xy_bdy_file(in, t, "groundwater", "XY_GW_HEAD_INTERP", in.gw_series, in.gw_interp_src,
                          in.num_gw_src, 0);
         if (run_stopped()) c.stop = true;
         c.cards.xybdyinput_gwheadinterp_given = 1;
     }},
    {"xybdyinput_stflow", [](card_context& c, std::string& l) {
         std::string t;
         take_name(c, l, t);
         if (c.stop) return;
         read_xy_stream_bdy_file(c.cards.xy_in, t);
         if (run_stopped()) c.stop = true;
         c.cards.xybdyinput_stflow_given = 1;
     }},
    {"xybdyinput_sttimeseries", [](card_context& c, std::string& l) {
         std::string t;
         take_name(c, l, t);
         if (c.stop) return;
         read_xy_stream_ts_file(c.cards.xy_in, t);
         if (run_stopped()) c.stop = true;
         c.cards.xybdyinput_sttimeseries_given = 1;
     }},

    // XY boundary outputs.
    {"xybdyoutput_pts", [](card_context& c, std::string& l) {
         c.cards.xy_out.output_on = 1;
         c.cards.xy_out.mode = 0;
         take_name(c, l, c.cards.xy_out.points_file);
     }},
    {"xybdyoutput_mask", [](card_context& c, std::string& l) {
         c.cards.xy_out.output_on = 1;
         c.cards.xy_out.mode = 1;
         take_name(c, l, c.cards.xy_out.points_file);
     }},
    {"xybdyoutput_ovdep", [](card_context& c, std::string& l) { take_name(c, l, c.cards.xy_out.ov_depth_name); }},
    {"xybdyoutput_gwhead", [](card_context& c, std::string& l) { take_name(c, l, c.cards.xy_out.gw_head_name); }},
    {"xybdyoutput_stflow",
     [](card_context& c, std::string& l) { take_name(c, l, c.cards.xy_out.stream_flow_name); }},

    // Nutrient module.
    {"aq_env", [](card_context& c, std::string& l) {
         if (need_nutrients(c, "AQ_ENV")) take_name(c, l, c.cards.nutrient_object->params.aq_env_file);
     }},
    OV_INIT("ov_init_no2", 0), OV_INIT("ov_init_no3", 1), OV_INIT("ov_init_nh4", 2),
    OV_INIT("ov_init_on", 3), OV_INIT("ov_init_op", 4), OV_INIT("ov_init_dp", 5),
    OV_INIT("ov_init_alg", 6), OV_INIT("ov_init_cbod", 7), OV_INIT("ov_init_do", 8),
    OV_INIT("ov_doc_init", 9), OV_INIT("ov_doc_foc", 10), OV_INIT("ov_dispersion", 11),
    ST_INIT("st_init_no2", 0), ST_INIT("st_init_no3", 1), ST_INIT("st_init_nh4", 2),
    ST_INIT("st_init_on", 3), ST_INIT("st_init_op", 4), ST_INIT("st_init_dp", 5),
    ST_INIT("st_init_alg", 6), ST_INIT("st_init_cbod", 7), ST_INIT("st_init_do", 8),
    OUT_NUT("out_ov_no2", out_ov, "OUT_OV_XXX", 0), OUT_NUT("out_ov_no3", out_ov, "OUT_OV_XXX", 1),
    OUT_NUT("out_ov_nh4", out_ov, "OUT_OV_XXX", 2), OUT_NUT("out_ov_on", out_ov, "OUT_OV_XXX", 3),
    OUT_NUT("out_ov_op", out_ov, "OUT_OV_XXX", 4), OUT_NUT("out_ov_dp", out_ov, "OUT_OV_XXX", 5),
    OUT_NUT("out_ov_alg", out_ov, "OUT_OV_XXX", 6), OUT_NUT("out_ov_cbod", out_ov, "OUT_OV_XXX", 7),
    OUT_NUT("out_ov_do", out_ov, "OUT_OV_XXX", 8),
    OUT_NUT("out_st_no2", out_st, "OUT_ST_XXX", 0), OUT_NUT("out_st_no3", out_st, "OUT_ST_XXX", 1),
    OUT_NUT("out_st_nh4", out_st, "OUT_ST_XXX", 2), OUT_NUT("out_st_on", out_st, "OUT_ST_XXX", 3),
    OUT_NUT("out_st_op", out_st, "OUT_ST_XXX", 4), OUT_NUT("out_st_dp", out_st, "OUT_ST_XXX", 5),
    OUT_NUT("out_st_alg", out_st, "OUT_ST_XXX", 6), OUT_NUT("out_st_cbod", out_st, "OUT_ST_XXX", 7),
    OUT_NUT("out_st_do", out_st, "OUT_ST_XXX", 8),
    OUT_NUT("out_hyd_no2", out_hyd, "OUT_HYD_XXX", 0), OUT_NUT("out_hyd_no3", out_hyd, "OUT_HYD_XXX", 1),
    OUT_NUT("out_hyd_nh4", out_hyd, "OUT_HYD_XXX", 2), OUT_NUT("out_hyd_on", out_hyd, "OUT_HYD_XXX", 3),
    OUT_NUT("out_hyd_op", out_hyd, "OUT_HYD_XXX", 4), OUT_NUT("out_hyd_dp", out_hyd, "OUT_HYD_XXX", 5),
    OUT_NUT("out_hyd_alg", out_hyd, "OUT_HYD_XXX", 6), OUT_NUT("out_hyd_cbod", out_hyd, "OUT_HYD_XXX", 7),
    OUT_NUT("out_hyd_do", out_hyd, "OUT_HYD_XXX", 8),
    SORPTION("no2_km", 0), SORPTION("no3_km", 1), SORPTION("nh4_km", 2), SORPTION("on_km", 3),
    SORPTION("op_km", 4), SORPTION("dp_km", 5), SORPTION("no2_koc", 6), SORPTION("no3_koc", 7),
    SORPTION("nh4_koc", 8), SORPTION("on_koc", 9), SORPTION("op_koc", 10), SORPTION("dp_koc", 11),

    // Numbers printed and not kept.
    PRINTED_REAL("alpha", "Alpha = %lf\n"),
    PRINTED_REAL("beta", "Beta = %lf\n"),
    PRINTED_REAL("theta", "Theta = %lf\n"),
    PRINTED_REAL("channel_gridsize", "Channel grid size = %lf\n"),
    PRINTED_REAL("q_min", "Minimum channel flow = %lf\n"),
    PRINTED_INT("channel_deltat", "Channel time step = %d\n"),
    PRINTED_INT("drain_time", "Drainage time = %d\n"),
    PRINTED_INT("n_links", "Number of links = %d\n"),
    PRINTED_INT("max_nodes", "Number of nodes = %d\n"),

    // Cards that fill the slot named after them.
    SWITCH("include_channel_depth", include_channel_depth),
    SWITCH("long_term", long_term),
    SWITCH("et_calc_penman", et_calc_penman),
    SWITCH("et_calc_deardorff", et_calc_deardorff),
    SWITCH("overbank_flow", overbank_flow),
    SWITCH("head_bound", head_bound),
    SWITCH("overland_backwater", overland_backwater),
    SWITCH("stream_loss", stream_loss),
    SWITCH("adjust_channel_bed", adjust_channel_bed),
    SWITCH("strict_julian_date", strict_julian_date),
    SWITCH("optimize_sed", optimize_sed),
    SWITCH("seasonal_rs", seasonal_rs),
    SWITCH("no_cont_inf_redist", no_cont_inf_redist),
    SWITCH("radar_mm", radar_mm),
    SWITCH("snow_no_infiltrate", snow_no_infiltrate),
    SWITCH("gw_simulation", gw_simulation),
    SWITCH("gw_assign_theta", gw_assign_theta),
    SWITCH("qnt", qnt),
    SWITCH("zebo_first", zebo_first),
    SWITCH("chan_con_trans", chan_con_trans),
    SWITCH("ov_con_trans", ov_con_trans),
    SWITCH("all_contam_output", all_contam_output),
    SWITCH("soil_con_trans", soil_con_trans),
    SWITCH("soil_static_conc", soil_static_conc),
    SWITCH("sediment_contam", sediment_contam),
    SWITCH("non_ortho_channels", non_ortho_channels),
    SWITCH("hotstart_is_depth", hotstart_is_depth),
    SWITCH("topo_index", topo_index),
    SWITCH("topo_index_cgs", topo_index_cgs),
    SWITCH("superlink_c_opt", superlink_c_opt),
    SWITCH("high_head_release", high_head_release),
    SWITCH("superlink_drainmod", superlink_drainmod),
    SWITCH("pause", pause),
    SWITCH("ov_boundary", ov_boundary),
    SWITCH("use_wells", use_wells),
    SWITCH("stream_info", stream_info),
    SWITCH("kz_fluxes", kz_fluxes),
    SWITCH("nwsrfs_snow", nwsrfs_snow),
    SWITCH("eb_snow", eb_snow),
    SWITCH("nwsrfs_retention", nwsrfs_retention),
    SWITCH("snap_retention", snap_retention),
    SWITCH("route_lat_snow", route_lat_snow),
    SWITCH("orogvar_hmet", orogvar_hmet),
    SWITCH("ovr_flow_block", ovr_flow_block),
    REAL("event_min_q", event_min_q, non_negative),
    REAL("soil_moist_depth", soil_moist_depth, positive),
    REAL("top_layer_depth", top_layer_depth, non_negative),
    REAL("mixing_layer_depth", mixing_layer_depth, non_negative),
    REAL("bound_depth", bound_depth, non_negative),
    REAL("k_river", k_river, non_negative),
    REAL("m_river", m_river, positive),
    REAL("m_lake", m_lake),
    REAL("sand_size", sand_size, positive),
    REAL("silt_size", silt_size, positive),
    REAL("clay_size", clay_size, positive),
    REAL("water_temp", water_temp),
    REAL("sed_porosity", sed_porosity, fraction),
    REAL("richards_weight", richards_weight, fraction),
    REAL("richards_dtheta_max", richards_dtheta_max, positive),
    REAL("aquifer_delta_z", aquifer_delta_z, positive),
    REAL("gw_timestep", gw_timestep, positive),
    REAL("gw_lsor_con", gw_lsor_con, positive),
    REAL("single_unsat_sat", single_unsat_sat, fraction),
    REAL("gw_leakage_rate", gw_leakage_rate, non_negative),
    REAL("gw_relax_coeff", gw_relax_coeff, positive),
    REAL("chan_decay_coef", chan_decay_coef, non_negative),
    REAL("chan_disp_coef", chan_disp_coef, non_negative),
    REAL("init_chan_conc", init_chan_conc, non_negative),
    REAL("ov_decay_coef", ov_decay_coef, non_negative),
    REAL("ov_disp_coef", ov_disp_coef, non_negative),
    REAL("ov_uptake_rate", ov_uptake_rate, non_negative),
    REAL("kinetics_timestep_factor", kinetics_timestep_factor, positive),
    REAL("soil_kinetics_timestep_factor", soil_kinetics_timestep_factor, positive),
    REAL("ov_mass_load", ov_mass_load, non_negative),
    REAL("max_courant_number", max_courant_number, positive),
    REAL("first_order_chan_q", first_order_chan_q, non_negative),
    REAL("chan_ph", chan_ph, from_to(0.0, 14.0)),
    REAL_GIVEN("manning_n", manning_n, positive),
    REAL_GIVEN("overbank_max_dv", overbank_max_dv, non_negative),
    REAL_GIVEN("retention", retention, non_negative),
    REAL_GIVEN("unif_area_reduction", unif_area_reduction, fraction),
    REAL_GIVEN("snow_roughness", snow_roughness, positive),
    REAL_GIVEN("snow_darcy", snow_darcy),
    REAL_GIVEN("snow_reynolds", snow_reynolds),
    REAL_GIVEN("gw_unif_porosity", gw_unif_porosity, fraction),
    REAL_GIVEN("gw_unif_hycond", gw_unif_hycond, non_negative),
    REAL_GIVEN("init_elev_head", init_elev_head),
    REAL_GIVEN("nwsrfs_mf_max", nwsrfs_mf_max, non_negative),
    REAL_GIVEN("nwsrfs_mf_min", nwsrfs_mf_min, non_negative),
    REAL_GIVEN("nwsrfs_fr_use", nwsrfs_fr_use, non_negative),
    REAL_GIVEN("nwsrfs_scf", nwsrfs_scf, non_negative),
    REAL_GIVEN("hmet_elev_gage", hmet_elev_gage),
    REAL_GIVEN("hmet_lapse_rate", hmet_lapse_rate),
    REAL_GIVEN("nwsrfs_tipm", nwsrfs_tipm, fraction),
    REAL_GIVEN("nwsrfs_nmf", nwsrfs_nmf, non_negative),
    REAL_GIVEN("nwsrfs_fua", nwsrfs_fua, non_negative),
    REAL_GIVEN("nwsrfs_plwhc", nwsrfs_plwhc, fraction),
    REAL_GIVEN("snow_temp_base", snow_temp_base),
    INTEGER("richards_iter_max", richards_iter_max, positive),
    INTEGER("seasonal_rs_spring", seasonal_rs_spring),
    INTEGER("seasonal_rs_fall", seasonal_rs_fall),
    INTEGER("seasonal_rs_summer_start", seasonal_rs_summer_start),
    INTEGER("seasonal_rs_summer_end", seasonal_rs_summer_end),
    INTEGER("suppress_printing", suppress_printing),
    INTEGER("gw_lsor_dir", gw_lsor_dir),
    INTEGER("zenf_compression", zenf_compression),
    INTEGER_GIVEN("soil_erosion", soil_erosion),
    INTEGER_GIVEN("flush_buffer", flush_buffer),
    NAME("watershed_mask", watershed_mask),
    NAME("elevation", elevation),
    NAME("soil_type_map", soil_type_map),
    NAME("soil_erodability", soil_erodability),
    NAME("crop_management", crop_management),
    NAME("conservation_practice", conservation_practice),
    NAME("sand_map", sand_map),
    NAME("silt_map", silt_map),
    NAME("outlet_sed_flux", outlet_sed_flux),
    NAME("out_sed_loc", out_sed_loc),
    NAME("soil_layer_input_file", soil_layer_input_file),
    NAME("aquifer_bottom", aquifer_bottom),
    NAME("out_theta_location", out_theta_location),
    NAME("links", links),
    NAME("nodes", nodes),
    NAME("channel_input", channel_input),
    NAME("dis_profile", dis_profile),
    NAME("dis_profile_out", dis_profile_out),
    NAME("wat_surf_profile", wat_surf_profile),
    NAME("wat_surf_profile_out", wat_surf_profile_out),
    NAME("out_hyd_location", out_hyd_location),
    NAME("out_gwflux_location", out_gwflux_location),
    NAME("out_celldepdis_location", out_celldepdis_location),
    NAME("materials", materials),
    NAME("section_table", section_table),
    NAME("summary", summary),
    NAME("outlet_hydro", outlet_hydro),
    NAME("cell_hydro", cell_hydro),
    NAME("out_well_location", out_well_location),
    NAME("overland_depth_location", overland_depth_location),
    NAME("overland_wse_location", overland_wse_location),
    NAME("chan_point_input", chan_point_input),
    NAME("stream_cell", stream_cell),
    NAME("overland_lake_file", overland_lake_file),
    NAME("grid_pipe", grid_pipe),
    NAME("zenf_file", zenf_file),
    NAME("zenf_base_grid", zenf_base_grid),
    NAME("zenf_base_stream", zenf_base_stream),
    NAME("zenf_datasetgroup", zenf_datasetgroup),
    NAME("kz_nodes_to_segs", kz_nodes_to_segs),
    NAME("kz_segment_map", kz_segment_map),
    NAME("kz_segment_fluxes", kz_segment_fluxes),
    NAME("calib_obs_data", calib_obs_data),
    NAME_GIVEN("mapping_table", mapping_table),
    NAME_GIVEN("st_mapping_table", st_mapping_table),
    NAME_GIVEN("albedo", albedo),
    NAME_GIVEN("vheight", vheight),
    NAME_GIVEN("tcoeff", tcoeff),
    NAME_GIVEN("canopy", canopy),
    NAME_GIVEN("wilting_point", wilting_point),
    NAME_GIVEN("bound_ts", bound_ts),
    NAME_GIVEN("in_sed_loc", in_sed_loc),
    NAME_GIVEN("vol_sed_susp", vol_sed_susp),
    NAME_GIVEN("max_sed_flux", max_sed_flux),
    NAME_GIVEN("net_sed_volume", net_sed_volume),
    NAME_GIVEN("outlet_sed_tss", outlet_sed_tss),
    NAME_GIVEN("out_tss_loc", out_tss_loc),
    NAME_GIVEN("adjust_elev", adjust_elev),
    NAME_GIVEN("optimize", optimize),
    NAME_GIVEN("water_table", water_table),
    NAME_GIVEN("in_theta_location", in_theta_location),
    NAME_GIVEN("initial_depth", initial_depth),
    NAME_GIVEN("storage_capacity", storage_capacity),
    NAME_GIVEN("interception_coeff", interception_coeff),
    NAME_GIVEN("roughness", roughness),
    NAME_GIVEN("conductivity", conductivity),
    NAME_GIVEN("contam_map", contam_map),
    NAME_GIVEN("capillary", capillary),
    NAME_GIVEN("porosity", porosity),
    NAME_GIVEN("pore_index", pore_index),
    NAME_GIVEN("residual_sat", residual_sat),
    NAME_GIVEN("lake_output", lake_output),
    NAME_GIVEN("discharge", discharge),
    NAME_GIVEN("depth", depth),
    NAME_GIVEN("inf_depth", inf_depth),
    NAME_GIVEN("surf_moist", surf_moist),
    NAME_GIVEN("rate_of_infil", rate_of_infil),
    NAME_GIVEN("dis_rain", dis_rain),
    NAME_GIVEN("gw_recharge_cum", gw_recharge_cum),
    NAME_GIVEN("gw_recharge_inc", gw_recharge_inc),
    NAME_GIVEN("chan_depth", chan_depth),
    NAME_GIVEN("chan_sed_flux", chan_sed_flux),
    NAME_GIVEN("chan_discharge", chan_discharge),
    NAME_GIVEN("chan_stage", chan_stage),
    NAME_GIVEN("chan_velocity", chan_velocity),
    NAME_GIVEN("in_hyd_location", in_hyd_location),
    NAME_GIVEN("in_gwflux_location", in_gwflux_location),
    NAME_GIVEN("in_celldepdis_location", in_celldepdis_location),
    NAME_GIVEN("sig_outlet_hydro", sig_outlet_hydro),
    NAME_GIVEN("vks_hydro", vks_hydro),
    NAME_GIVEN("gw_output", gw_output),
    NAME_GIVEN("gw_porosity_map", gw_porosity_map),
    NAME_GIVEN("gw_hycond_map", gw_hycond_map),
    NAME_GIVEN("gw_well_level", gw_well_level),
    NAME_GIVEN("overland_depths", overland_depths),
    NAME_GIVEN("overland_wse", overland_wse),
    NAME_GIVEN("zebo", zebo),
    NAME_GIVEN("moist_to_zebo", moist_to_zebo),
    NAME_GIVEN("ksat_to_zebo", ksat_to_zebo),
    NAME_GIVEN("rough_to_zebo", rough_to_zebo),
    NAME_GIVEN("poros_to_zebo", poros_to_zebo),
    NAME_GIVEN("erosivity_to_zebo", erosivity_to_zebo),
    NAME_GIVEN("crop_fact_to_zebo", crop_fact_to_zebo),
    NAME_GIVEN("net_erosion_to_zebo", net_erosion_to_zebo),
    NAME_GIVEN("moist_from_zebo", moist_from_zebo),
    NAME_GIVEN("ksat_from_zebo", ksat_from_zebo),
    NAME_GIVEN("rough_from_zebo", rough_from_zebo),
    NAME_GIVEN("erosivity_from_zebo", erosivity_from_zebo),
    NAME_GIVEN("crop_fact_from_zebo", crop_fact_from_zebo),
    NAME_GIVEN("et_demand_from_zebo", et_demand_from_zebo),
    NAME_GIVEN("out_dep_location", out_dep_location),
    NAME_GIVEN("out_con_location", out_con_location),
    NAME_GIVEN("out_mass_location", out_mass_location),
    NAME_GIVEN("ov_point_source", ov_point_source),
    NAME_GIVEN("ov_con_map", ov_con_map),
    NAME_GIVEN("dike_map", dike_map),
    NAME_GIVEN("lowspot_file", lowspot_file),
    NAME_GIVEN("ov_init_depth", ov_init_depth),
    NAME_GIVEN("write_ov_hotstart", write_ov_hotstart),
    NAME_GIVEN("read_sm_hotstart", read_sm_hotstart),
    NAME_GIVEN("write_sm_hotstart", write_sm_hotstart),
    NAME_GIVEN("overland_lake_map", overland_lake_map),
    NAME_GIVEN("sacramento", sacramento),
    NAME_GIVEN("conceptual_gw", conceptual_gw),
    NAME_GIVEN("storm_sewer", storm_sewer),
    NAME_GIVEN("pipe_flow", pipe_flow),
    NAME_GIVEN("pipe_head", pipe_head),
    NAME_GIVEN("pipe_tile", pipe_tile),
    NAME_GIVEN("superlink_junc_location", superlink_junc_location),
    NAME_GIVEN("superlink_node_location", superlink_node_location),
    NAME_GIVEN("superlink_junc_flow", superlink_junc_flow),
    NAME_GIVEN("superlink_node_flow", superlink_node_flow),
    NAME_GIVEN("flood_grid", flood_grid),
    NAME_GIVEN("flood_stream", flood_stream),
    NAME_GIVEN("lake_pump", lake_pump),
    NAME_GIVEN("kz_input", kz_input),
    NAME_GIVEN("sourcefile", sourcefile),
    NAME_GIVEN("ov_pump", ov_pump),
    NAME_GIVEN("fyssi", fyssi),
    NAME_GIVEN("daily_output", daily_output),
    {"analyzers", [](card_context& c, std::string& l) {
         take_name(c, l, c.cards.analyzers_path);
         c.cards.analyzers = 1;
     }},
    NAME_GIVEN("total_ov_n", total_ov_n),
    NAME_GIVEN("total_ov_p", total_ov_p),
    NAME_GIVEN("total_chan_n", total_chan_n),
    NAME_GIVEN("total_chan_kn", total_chan_kn),
    NAME_GIVEN("total_chan_p", total_chan_p),
    NAME_GIVEN("snow_swe_file", snow_swe_file),
    NAME_GIVEN("nwsrfs_elev_snow", nwsrfs_elev_snow),
    NAME_GIVEN("snow_temp", snow_temp),
    IGNORED("lake"),
    IGNORED("lake_elev"),
    IGNORED("radar_intensity"),
    IGNORED("lakes_mask"),
    IGNORED("lakes_elevation"),
    IGNORED("fline"),
    IGNORED("ntr_sum"),
    IGNORED("telko_waves"),
    SWITCH("xwindows", xwindows),
    SWITCH("xrain", xrain),
    SWITCH("xgwrecharge", xgwrecharge),
    SWITCH("xdepth", xdepth),
    SWITCH("xinfdep", xinfdep),
    SWITCH("xchan", xchan),
    SWITCH("xbig", xbig),
    SWITCH("xsurf", xsurf),
    INTEGER("x_freq", x_freq),
    INTEGER("xwin_width", xwin_width),
    INTEGER("xwin_height", xwin_height),
    // Synonyms of cards above.
    SWITCH("soil_contam", soil_con_trans),
    NAME_GIVEN("embankment", dike_map),
    NAME_GIVEN("read_ov_hotstart", ov_init_depth),
    NAME_GIVEN("sacramento_pars", sacramento),
};

#undef SWITCH
#undef REAL
#undef REAL_GIVEN
#undef INTEGER
#undef INTEGER_GIVEN
#undef NAME
#undef NAME_GIVEN
#undef IGNORED
#undef RUN_INT
#undef RUN_REAL
#undef RUN_SWITCH
#undef INFIL
#undef ROUTE
#undef OV_INIT
#undef ST_INIT
#undef OUT_NUT
#undef SORPTION
#undef PRINTED_REAL
#undef PRINTED_INT

constexpr int table_size = static_cast<int>(sizeof(card_table) / sizeof(card_table[0]));

} // namespace

int card_word_count()
{
    return table_size;
}

const char* card_word(int code)
{
    return code >= 0 && code < table_size ? card_table[code].word : "";
}

int card_code(std::string& line, int toolbox_trial)
{
    std::string token;
    if (!pop_token(line, token)) return card_ignore;
    const std::string word = lower(token);
    if (word[0] == '#' || word == "vks" || word == "metric" || word == "simulation_input") return card_ignore;
    for (int i = 0; i < table_size; ++i)
        if (word == card_table[i].word) return i;
    if (!toolbox_trial && group_ctx.rank == 0)
        std::printf("Warning: unknown card found in the project file: %s\n", word.c_str());
    return card_ignore;
}

void apply_card(int code, card_context& ctx, std::string& rest)
{
    if (code < 0 || code >= table_size) return;
    ctx.word = card_table[code].word;
    ctx.rule = &card_table[code].rule;
    card_table[code].apply(ctx, rest);
}
