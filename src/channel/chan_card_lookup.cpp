#include "channel/chan_card_lookup.h"

#include <cctype>
#include <string_view>
#include <unordered_map>

namespace
{

using vl = value_limit;
constexpr chan_card_def r1(const char* w, chan_card c, value_limit a = vl::real, int arg = 0)
{
    return {w, c, arg, {a, vl::real, vl::real}};
}

const chan_card_def card_defs[] = {
    r1("alpha", chan_card::alpha),
    r1("beta", chan_card::beta),
    r1("theta", chan_card::theta),
    r1("links", chan_card::links, vl::count),
    r1("maxnodes", chan_card::maxnodes, vl::count),
    r1("dx", chan_card::dx, vl::nonneg),
    {"connect", chan_card::connect, 0, {vl::link, vl::link0, vl::count}},
    r1("link", chan_card::link, vl::link),
    r1("nodes", chan_card::nodes, vl::node),
    r1("node", chan_card::node, vl::node),
    {"x_y", chan_card::x_y, 0, {vl::real, vl::real, vl::real}},
    r1("elev", chan_card::elev),
    r1("trapezoid", chan_card::kind, vl::real, 4),
    r1("subsurface_trapezoid", chan_card::kind, vl::real, 5),
    r1("trapezoid_subsurface", chan_card::kind, vl::real, 5),
    r1("trap_erode", chan_card::kind, vl::real, 6),
    r1("trapezoid_erode", chan_card::kind, vl::real, 6),
    r1("trapezoid_subsurface_erode", chan_card::kind, vl::real, 7),
    r1("trapezoid_erode_subsurface", chan_card::kind, vl::real, 7),
    r1("subsurface_trap_erode", chan_card::kind, vl::real, 7),
    r1("breakpoint", chan_card::kind, vl::real, 8),
    r1("subsurface_breakpoint", chan_card::kind, vl::real, 9),
    r1("breakpoint_subsurface", chan_card::kind, vl::real, 9),
    r1("break_erode", chan_card::kind, vl::real, 10),
    r1("breakpoint_erode", chan_card::kind, vl::real, 10),
    r1("breakpoint_subsurface_erode", chan_card::kind, vl::real, 11),
    r1("breakpoint_erode_subsurface", chan_card::kind, vl::real, 11),
    r1("erodible", chan_card::erodible),
    r1("erode", chan_card::erodible),
    r1("subsurface", chan_card::subsurface),
    r1("overbank", chan_card::overbank),
    r1("backwater", chan_card::backwater),
    r1("lake", chan_card::lake),
    r1("structure", chan_card::structure),
    r1("xsec", chan_card::xsec),
    r1("bottom_width", chan_card::bottom_width, vl::nonneg),
    r1("bankfull_depth", chan_card::bankfull_depth, vl::nonneg),
    r1("side_slope", chan_card::side_slope, vl::nonneg),
    r1("mannings_n", chan_card::mannings_n),
    r1("max_erosion", chan_card::max_erosion, vl::nonneg),
    r1("gw_bed_conductivity", chan_card::gw_bed_conductivity, vl::nonneg),
    r1("k_river", chan_card::gw_bed_conductivity, vl::nonneg),
    r1("gw_bed_thickness", chan_card::gw_bed_thickness, vl::above0),
    r1("m_river", chan_card::gw_bed_thickness, vl::above0),
    r1("npairs", chan_card::npairs, vl::positive),
    {"x1", chan_card::x1, 0, {vl::real, vl::real, vl::real}},
    r1("num_interp", chan_card::num_interp, vl::integer),
    r1("dispersion_coeff", chan_card::ignored),
    r1("decay_coeff", chan_card::ignored),
    r1("num_outlets", chan_card::ignored),
    r1("numstructs", chan_card::numstructs, vl::count),
    r1("structtype", chan_card::structtype),
    r1("upinvert", chan_card::struct_value, vl::real, sf_up_elev),
    r1("crest_low_elev", chan_card::struct_value, vl::real, sf_up_elev),
    r1("downinvert", chan_card::struct_value, vl::real, sf_down_invert),
    r1("inlet_disch_coeff", chan_card::struct_value, vl::nonneg, sf_coeff_forward),
    r1("discharge_coeff_forward", chan_card::struct_value, vl::nonneg, sf_coeff_forward),
    r1("rev_flow_disch_coeff", chan_card::struct_value, vl::nonneg, sf_coeff_reverse),
    r1("discharge_coeff_reverse", chan_card::struct_value, vl::nonneg, sf_coeff_reverse),
    r1("slope", chan_card::struct_value, vl::real, sf_slope),
    r1("length", chan_card::struct_value, vl::above0, sf_length),
    r1("crest_length", chan_card::struct_value, vl::above0, sf_length),
    r1("width", chan_card::struct_value, vl::above0, sf_size1),
    r1("diameter", chan_card::struct_value, vl::above0, sf_size1),
    r1("a_value", chan_card::struct_value, vl::real, sf_size1),
    r1("steep_slope", chan_card::struct_value, vl::real, sf_size1),
    r1("height", chan_card::struct_value, vl::above0, sf_size2),
    r1("b_value", chan_card::struct_value, vl::real, sf_size2),
    r1("shallow_slope", chan_card::struct_value, vl::real, sf_size2),
    r1("crest_low_loc", chan_card::struct_value, vl::real, sf_crest_low_loc),
    r1("rough_coeff", chan_card::struct_value, vl::nonneg, sf_rough_coeff),
    r1("mlake", chan_card::mlake, vl::nonneg),
    r1("static", chan_card::static_lake),
    r1("numrate", chan_card::numrate, vl::count),
    r1("minwse", chan_card::minwse),
    r1("initwse", chan_card::initwse),
    r1("maxwse", chan_card::maxwse),
    r1("numpts", chan_card::numpts, vl::count),
    r1("pointsource", chan_card::pointsource),
    {"pumpto", chan_card::pumpto, 0, {vl::link, vl::node, vl::real}},
    r1("streamcells", chan_card::streamcells, vl::integer),
    {"cellij", chan_card::cellij, 0, {vl::row, vl::col, vl::real}},
    r1("numnodes", chan_card::numnodes, vl::count),
    {"linknode", chan_card::linknode, 0, {vl::link, vl::node, vl::fraction}},
};

const std::unordered_map<std::string_view, const chan_card_def*>& card_index()
{
    static const auto index = [] {
        std::unordered_map<std::string_view, const chan_card_def*> m;
        for (const chan_card_def& d : card_defs)
            m.emplace(d.word, &d);
        return m;
    }();
    return index;
}

bool white(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

} // namespace

const chan_card_def* chan_card_lookup(std::string& line)
{
    std::size_t b = 0;
    while (b < line.size() && white(line[b]))
        ++b;
    std::size_t e = b;
    while (e < line.size() && !white(line[e]))
        ++e;
    std::string word = line.substr(b, e - b);
    for (char& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    line.erase(0, e);
    const auto& index = card_index();
    const auto it = index.find(word);
    return it == index.end() ? nullptr : it->second;
}

std::string chan_card_name(const chan_card_def& def)
{
    std::string name = def.word;
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}
