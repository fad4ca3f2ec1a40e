// The SCE-UA control file: three file names, the settings and the bounds of
// each parameter; the settings rules; the opening of the output file.
#include <cstdio>
#include <string_view>

#include "calibration/sce_ctx.h"
#include "core/text_parse.h"
#include "input/input_steps.h"

namespace
{

// The free-format numbers after the name lines: tokens separated by blanks,
// tabs, commas and line breaks.
struct token_reader {
    file_rec& file;
    std::string line;
    std::string_view rest;

    // Next token; false at the end of the file.
    bool next(std::string& token)
    {
        for (;;) {
            const std::size_t start = rest.find_first_not_of(" \t\r\n,");
            if (start != std::string_view::npos) {
                rest.remove_prefix(start);
                const std::size_t end = rest.find_first_of(" \t\r\n,");
                token = std::string(rest.substr(0, end));
                rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
                return true;
            }
            if (!read_line_rec(line, file))
                return false;
            rest = line;
        }
    }
};

// Reads one number; on failure returns what is wrong, naming the setting
// and the file (empty when the number was read).
template <class T> std::string read_number(token_reader& in, const char* what, T& out)
{
    std::string token;
    char text[512];
    if (!in.next(token)) {
        std::snprintf(text, sizeof text, "Error: the SCE input file %s ends before %s.\n",
                      in.file.name.c_str(), what);
        return text;
    }
    num_status st;
    if constexpr (std::is_same_v<T, int>)
        st = parse_int_strict(token, out);
    else
        st = parse_double_strict(token, out);
    if (st == num_status::ok)
        return std::string();
    std::snprintf(text, sizeof text, "Error: %s \"%.60s\" in the SCE input file %s %s.\n", what,
                  token.c_str(), in.file.name.c_str(), num_status_text(st));
    return text;
}

// The same, printing the fault; false when there was one.
template <class T> bool read_or_say(token_reader& in, const char* what, T& out)
{
    const std::string fault = read_number(in, what, out);
    std::fputs(fault.c_str(), stdout);
    return fault.empty();
}

// The first token of a name line.
void read_name(file_rec& control, std::string& name)
{
    std::string line;
    name.clear();
    if (read_line_rec(line, control, 207))
        pop_token(line, name);
}

const char* const settings_names[7] = {"maxn", "kstop", "pcento", "ngs", "iseed", "ideflt", "nopt"};
const char* const option_names[6] = {"npg", "nps", "nspl", "mings", "iniflg", "iprint"};

} // namespace

int SCEIN(sce_ctx& ctx, file_rec& control)
{
    std::printf(" ENTER THE SCEIN SUBROUTINE --- \n");
    read_name(control, ctx.project_file);
    find_project_folder(ctx.project_file);
    read_name(control, ctx.replace_file);
    read_name(control, ctx.obs_file);

    token_reader in{control, {}, {}};
    ctx.ideflt = 0;
    int* const ints[7] = {&ctx.maxn, &ctx.kstop, nullptr, &ctx.ngs, &ctx.iseed, &ctx.ideflt, &ctx.nopt};
    for (int k = 0; k < 7; ++k) {
        const std::string fault = ints[k] ? read_number(in, settings_names[k], *ints[k])
                                          : read_number(in, settings_names[k], ctx.pcento);
        if (!fault.empty()) {
            std::printf("Error in your input file. The first line must have 7 parameters.\n");
            std::fputs(fault.c_str(), stdout);
            return -1;
        }
    }
    if (ctx.ideflt != 0 && ctx.ideflt != 1) {
        std::printf("Error: ideflt %d in the SCE input file %s must be 0 or 1.\n", ctx.ideflt,
                    control.name.c_str());
        return -1;
    }
    if (ctx.nopt < 1 || ctx.nopt > sce_max_params) {
        std::printf("Error: the number of parameters %d in the SCE input file %s must be 1 to %d.\n",
                    ctx.nopt, control.name.c_str(), sce_max_params);
        return -1;
    }
    if (ctx.iseed == 0)
        ctx.iseed = 3737;
    const auto slots = static_cast<std::size_t>(ctx.nopt) + 1;
    ctx.initial.assign(slots, 0.0);
    ctx.lower.assign(slots, 0.0);
    ctx.upper.assign(slots, 0.0);

    int options[6] = {};
    for (int k = 0; k < 6; ++k)
        if (!read_or_say(in, option_names[k], options[k]))
            return -1;
    if (ctx.ideflt == 1) {
        ctx.npg = options[0];
        ctx.nps = options[1];
        ctx.nspl = options[2];
        ctx.mings = options[3];
        ctx.iniflg = options[4];
        ctx.iprint = options[5];
    }
    for (int i = 1; i <= ctx.nopt; ++i) {
        const auto k = static_cast<std::size_t>(i);
        char what[64];
        std::snprintf(what, sizeof what, "the values of parameter %d", i);
        if (!read_or_say(in, what, ctx.initial[k]) || !read_or_say(in, what, ctx.lower[k]) ||
            !read_or_say(in, what, ctx.upper[k]))
            return -1;
        if (!(ctx.lower[k] < ctx.upper[k])) {
            std::printf("ERROR:  Lower bound is greater than upper bound for varialbe %d\n", i);
            std::printf(
                "Error: parameter %d of the SCE input file %s has the lower bound %g and the upper bound "
                "%g; the lower bound must lie below the upper.\n",
                i, control.name.c_str(), ctx.lower[k], ctx.upper[k]);
            return -1;
        }
        // With iniflg 1 the initial values are the first point of the search.
        if (ctx.iniflg == 1 && (ctx.initial[k] < ctx.lower[k] || ctx.initial[k] > ctx.upper[k])) {
            std::printf(
                "Error: the initial value %g of parameter %d in the SCE input file %s lies outside its "
                "bounds %g to %g (iniflg 1 starts the search from it).\n",
                ctx.initial[k], i, control.name.c_str(), ctx.lower[k], ctx.upper[k]);
            return -1;
        }
    }
    std::string extra;
    if (in.next(extra)) {
        std::printf(
            "Error: the SCE input file %s holds \"%.60s\" after the values of its %d parameters; nopt "
            "must count every parameter line.\n",
            control.name.c_str(), extra.c_str(), ctx.nopt);
        return -1;
    }
    file_rec_close(control);
    return 0;
}

int sce_check_settings(sce_ctx& ctx)
{
    const int nopt = ctx.nopt;
    if (ctx.ideflt == 0) {
        ctx.iniflg = 0;
        ctx.iprint = 0;
        ctx.nps = nopt + 1;
        ctx.npg = 2 * nopt + 1;
        ctx.mings = ctx.ngs;
        ctx.nspl = 2 * nopt + 1;
    }
    if (ctx.ngs < 1 || ctx.ngs >= 1320) {
        std::printf(" **ERROR** NUMBER OF COMPLEXES IN INITIAL POPULATION %d IS NOT A VALID CHOICE\n",
                    ctx.ngs);
        return -1;
    }
    int warnings = 0;
    if (ctx.kstop < 0 || ctx.kstop >= 20) {
        std::printf(" **WARNING** THE NUMBER OF SHUFFLING LOOPS IN WHICH THE CRITERION VALUE\n");
        std::printf(" MUST CHANGE SHOULD BE GREATER THAN 0 AND LESS THAN 10. kstop = %d WAS\n", ctx.kstop);
        std::printf(" WAS SPECIFIED.  BUT kstop = 5 WILL BE USED INSTEAD.\n");
        ctx.kstop = 5;
        ++warnings;
    }
    if (ctx.mings < 1 || ctx.mings > ctx.ngs) {
        std::printf(" **WARNING** THE MINIMUM NUMBER OF COMPLEXES %d IS NOT A VALID CHOICE.\n", ctx.mings);
        std::printf(" SET IT TO DEFAULT\n");
        ctx.mings = ctx.ngs;
        ++warnings;
    }
    if (ctx.npg < 2 || ctx.npg > 1320 / ctx.ngs) {
        std::printf(" **WARNING** THE NUMBER OF POINTS IN A COMPLEX %d IS NOT\n", ctx.npg);
        std::printf(" A VALID CHOICE, SET IT TO DEFAULT\n");
        ctx.npg = 2 * nopt + 1;
        ++warnings;
    }
    if (ctx.nps < 2 || ctx.nps > ctx.npg || ctx.nps > 50) {
        std::printf(" **WARNING** THE NUMBER OF POINTS IN A SUB-COMPLEX %d IS NOT\n", ctx.nps);
        std::printf(" A VALID CHOICE, SET IT TO DEFAULT\n");
        ctx.nps = nopt + 1;
        ++warnings;
    }
    if (ctx.nspl < 1) {
        std::printf(" **WARNING** THE NUMBER OF EVOLUTION STEPS TAKEN IN EACH COMPLEX\n");
        std::printf(" BEFORE SHUFFLING %d IS NOT A VALID CHOICE, SET IT TO DEFAULT\n", ctx.nspl);
        ctx.nspl = ctx.npg;
        ++warnings;
    }
    if (static_cast<long long>(ctx.npg) * ctx.ngs > 1320) {
        std::printf(" **WARNING** THE NUMBER OF POINTS IN INITIAL POPULATION %d EXCEED\n", ctx.npg * ctx.ngs);
        std::printf(" THE POPULATION LIMIT.  SET NGS TO 2, AND NPG, NPS AND NSPL TO DEFAULTS\n");
        ctx.ngs = 2;
        ctx.npg = 2 * nopt + 1;
        ctx.nspl = 2 * nopt + 1;
        ctx.nps = nopt + 1;
        ++warnings;
    }
    if (warnings > 0)
        std::printf(" *** TOTAL NUMBER OF WARNING MESSAGES IS %d\n", warnings);
    return warnings;
}

void sce_setup(sce_ctx& ctx, const std::string& control_file, const std::string& output_file)
{
    file_rec control;
    if (!file_rec_open(control, control_file, "r")) {
        std::printf("Can't open SCE input file %s\n", control_file.c_str());
        ctx.input_ok = 0;
        return;
    }
    if (SCEIN(ctx, control) == -1)
        ctx.input_ok = 0;
    else if (sce_check_settings(ctx) == -1)
        std::printf(
            "Error: the number of complexes ngs %d in the SCE input file %s must lie from 1 to 1319.\n",
            ctx.ngs, control_file.c_str());
    else
        ctx.input_ok = 1;
    ctx.out_open = 1;
    if (!file_rec_open(ctx.out_file, output_file, "w")) {
        std::printf("Can't open output file %s\n", output_file.c_str());
        ctx.input_ok = 0;
    }
    file_rec_close(control);
}

int sce_read_observations(sce_ctx& ctx)
{
    return ctx.objective.read(ctx.obs_file);
}
