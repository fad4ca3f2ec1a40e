// Reader of the toolbox's control file: the PEST layout read as a stream of
// blank-separated tokens, with the toolbox's own items after the control
// data. Every token is checked; a missing or malformed one stops the reader
// with a message naming the file, the section and the line. The counts of
// the control data are checked against the characters left in the file
// before they size a table, and the tables are checked against each other
// (declared groups, known names, words of the control file's vocabulary)
// before any model run.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "calibration/pest_control.h"
#include "core/check_count.h"
#include "core/text_parse.h"

namespace
{

struct value_range {
    double lo;
    double hi;
};

// Ranges of the settings that the toolbox uses. NUMLAM and NOPTMAX size
// the lambda trials and the phi history of a search, so they have stated
// limits far beyond any calibration (every lambda trial and iteration is at
// least one model run).
constexpr value_range count_range{0.0, 1.0e9};
constexpr value_range any_value{-1.0e300, 1.0e300};
constexpr value_range method_range{0.0, 1.0};
constexpr value_range numlam_range{0.0, 10000.0};
constexpr value_range noptmax_range{-1.0, 100000.0};

// The counts that size the tables, checked against the characters left in
// the file after the control data: every counted item takes at least one
// character and one separator per token (parameter groups 7 tokens,
// parameters 10, observation groups 1, observations 4, file pairs 2, prior
// items 8).
constexpr long long table_count_max = 1000000000;
constexpr count_field npar_field{"number of parameters NPAR", 1, table_count_max, 20};
constexpr count_field nobs_field{"number of observations NOBS", 1, table_count_max, 8};
constexpr count_field npargp_field{"number of parameter groups NPARGP", 1, table_count_max, 14};
constexpr count_field nprior_field{"number of prior items NPRIOR", 0, table_count_max, 16};
constexpr count_field nobsgp_field{"number of observation groups NOBSGP", 1, table_count_max, 2};
constexpr count_field ntplfle_field{"number of template files NTPLFLE", 0, table_count_max, 4};
constexpr count_field ninsfle_field{"number of instruction files NINSFLE", 0, table_count_max, 4};

// The words of the control file's vocabulary.
const std::vector<std::string> restart_words{"restart", "norestart"};
const std::vector<std::string> transform_words{"none", "log", "fixed", "tied"};
const std::vector<std::string> forcen_words{"always_2", "always_3", "switch"};
const std::vector<std::string> dermthd_words{"outside_pts", "parabolic", "best_fit"};

// ": it must lie from LO to HI", for the limits a file may reach.
std::string range_text(value_range r)
{
    if (r.lo <= any_value.lo && r.hi >= any_value.hi)
        return std::string();
    char text[96];
    if (r.hi >= any_value.hi)
        std::snprintf(text, sizeof text, ": it must be at least %.15g", r.lo);
    else
        std::snprintf(text, sizeof text, ": it must lie from %.15g to %.15g", r.lo, r.hi);
    return text;
}

// The control file as lines with a token cursor.
struct control_stream {
    std::string file_name;
    std::FILE* fp = nullptr;
    std::vector<std::string> lines;
    std::vector<long> offsets; // where each line starts in the file
    std::size_t line = 0;      // index of the current line
    std::size_t pos = 0;       // position in it
    std::string section;

    bool fail(const std::string& what)
    {
        std::printf("Error in the control file %s, %s, line %zu: %s\n", file_name.c_str(), section.c_str(),
                    line + 1, what.c_str());
        return false;
    }

    // Next blank-separated token, across line ends.
    bool token(std::string& out, const char* item)
    {
        while (line < lines.size()) {
            const std::string& s = lines[line];
            while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\r'))
                ++pos;
            if (pos < s.size()) {
                std::size_t end = pos;
                while (end < s.size() && s[end] != ' ' && s[end] != '\t' && s[end] != '\r')
                    ++end;
                out = s.substr(pos, end - pos);
                pos = end;
                return true;
            }
            // A section header ends the items of a section.
            if (line + 1 < lines.size() && !lines[line + 1].empty() && lines[line + 1][0] == '*')
                return fail(std::string(item) + " is missing");
            ++line;
            pos = 0;
        }
        line = lines.empty() ? 0 : lines.size() - 1;
        return fail(std::string(item) + " is missing");
    }

    // Notes the line of the token just read (for later messages).
    bool set_line(int& out) const
    {
        out = static_cast<int>(line) + 1;
        return true;
    }

    bool name(std::string& out, const char* item)
    {
        if (!token(out, item))
            return false;
        if (out.size() > pest_name_max)
            return fail(std::string(item) + " \"" + out + "\" is longer than 99 characters");
        return true;
    }

    bool real(double& out, const char* item, value_range r = any_value)
    {
        std::string t;
        if (!token(t, item))
            return false;
        const num_status st = parse_double_strict(t, out);
        if (st == num_status::ok && (out < r.lo || out > r.hi))
            return fail(std::string(item) + " \"" + t + "\" is out of range" + range_text(r));
        if (st != num_status::ok)
            return fail(std::string(item) + " \"" + t + "\" " + num_status_text(st));
        return true;
    }

    // A count that sizes a table: its range and the characters left in the
    // file after it, through the shared count check.
    bool count(int& out, const char* item, const count_field& field)
    {
        if (!integer(out, item, any_value))
            return false;
        const std::size_t at = line < offsets.size() ? line : offsets.size() - 1;
        std::fseek(fp, offsets[at] + static_cast<long>(pos), SEEK_SET);
        return check_count(out, field, file_name, static_cast<int>(at) + 1, fp);
    }

    bool integer(int& out, const char* item, value_range r = count_range)
    {
        std::string t;
        if (!token(t, item))
            return false;
        const num_status st = parse_int_strict(t, out);
        if (st == num_status::ok && (out < r.lo || out > r.hi))
            return fail(std::string(item) + " \"" + t + "\" is out of range" + range_text(r));
        if (st != num_status::ok)
            return fail(std::string(item) + " \"" + t + "\" " + num_status_text(st));
        return true;
    }

    // Leaves the current line and reads the next one (a section header),
    // which must begin with '*'. The cursor then stands after that line.
    bool header(std::string& out, const char* next_section)
    {
        section = next_section;
        ++line;
        pos = 0;
        if (line >= lines.size())
            return fail("the section header is missing");
        out = lines[line];
        if (out.empty() || out[0] != '*')
            return fail("expected the section header beginning with \"*\", found \"" + out + "\"");
        ++line;
        return true;
    }
};

void read_lines(control_stream& cs)
{
    std::string s;
    long at = std::ftell(cs.fp);
    while (read_raw_line(cs.fp, s)) {
        cs.lines.push_back(s);
        cs.offsets.push_back(at);
        at = std::ftell(cs.fp);
    }
}

bool read_control_data(control_stream& cs, pest_control& pc)
{
    cs.section = "control data";
    cs.line = 2;
    cs.pos = 0;
    return cs.name(pc.restart_word, "RSTFLE") && cs.name(pc.mode, "PESTMODE") &&
           cs.count(pc.npar, "NPAR", npar_field) && cs.count(pc.nobs, "NOBS", nobs_field) &&
           cs.count(pc.npargp, "NPARGP", npargp_field) && cs.count(pc.nprior, "NPRIOR", nprior_field) &&
           cs.count(pc.nobsgp, "NOBSGP", nobsgp_field) && cs.count(pc.ntplfle, "NTPLFLE", ntplfle_field) &&
           cs.count(pc.ninsfle, "NINSFLE", ninsfle_field) && cs.name(pc.precis, "PRECIS") &&
           cs.name(pc.dpoint, "DPOINT") && cs.integer(pc.numcom, "NUMCOM", any_value) &&
           cs.integer(pc.jacfile, "JACFILE", any_value) && cs.integer(pc.messfile, "MESSFILE", any_value) &&
           cs.real(pc.lambda, "RLAMBDA1", {0.0, 1.0e300}) && cs.real(pc.rlamfac, "RLAMFAC", {0.0, 1.0e300}) &&
           cs.real(pc.phiratsuf, "PHIRATSUF") && cs.real(pc.phiredlam, "PHIREDLAM") &&
           cs.integer(pc.numlam, "NUMLAM", numlam_range) && cs.real(pc.relparmax, "RELPARMAX") &&
           cs.real(pc.facparmax, "FACPARMAX") && cs.real(pc.facorig, "FACORIG") &&
           cs.integer(pc.unused_int, "IBOUNDSTICK", any_value) && cs.real(pc.phiredswh, "PHIREDSWH") &&
           cs.name(pc.unused_word, "item 25") && cs.integer(pc.noptmax, "NOPTMAX", noptmax_range) &&
           cs.real(pc.phiredstp, "PHIREDSTP") && cs.integer(pc.nphistp, "NPHISTP") &&
           cs.integer(pc.nphinored, "NPHINORED") && cs.real(pc.relparstp, "RELPARSTP") &&
           cs.integer(pc.nrelpar, "NRELPAR") && cs.integer(pc.icov, "ICOV", any_value) &&
           cs.integer(pc.icor, "ICOR", any_value) && cs.integer(pc.ieig, "IEIG", any_value) &&
           cs.integer(pc.method, "method", method_range) &&
           cs.integer(pc.full_update, "full-update flag", method_range) &&
           cs.real(pc.full_update_threshold, "full-update threshold") &&
           cs.integer(pc.cyclic_columns, "cyclic column count") &&
           cs.real(pc.critical_distance, "critical distance") && cs.name(pc.project_file, "project file");
}

// One prior item from the rest of the current line.
bool read_prior(control_stream& cs, pest_prior& pr)
{
    const std::string& text = cs.lines[cs.line];
    int stars = 0;
    for (std::size_t i = cs.pos; i < text.size(); ++i)
        if (text[i] == '*')
            ++stars;
    pr.terms = stars;
    pr.coefficient.assign(stars + 1, 0.0);
    pr.param_names.assign(std::min(stars, pest_prior_named_terms) + 1, std::string());
    const std::size_t item_line = cs.line;
    pr.line = static_cast<int>(item_line) + 1;
    if (!cs.name(pr.label, "prior label"))
        return false;
    std::string sign = "+";
    for (int k = 1; k <= stars; ++k) {
        std::string star, param;
        if (!cs.real(pr.coefficient[k], "prior coefficient"))
            return false;
        if (k > 1 && sign == "-")
            pr.coefficient[k] = -pr.coefficient[k];
        if (!cs.token(star, "prior \"*\"") || star != "*") {
            std::printf("Error reading prior information\n");
            return cs.fail("expected \"*\" after coefficient " + std::to_string(k) + " of prior item " +
                           pr.label + ", found \"" + star + "\"");
        }
        if (!cs.token(param, "prior parameter"))
            return false;
        const std::size_t lg = param.find("log");
        if (lg != std::string::npos) {
            const std::size_t open = param.find('(', lg);
            const std::size_t close = open == std::string::npos ? open : param.find(')', open);
            if (close == std::string::npos)
                return cs.fail("prior parameter \"" + param + "\" lacks its parentheses");
            param = param.substr(open + 1, close - open - 1);
        }
        if (param.size() > pest_name_max)
            return cs.fail("prior parameter \"" + param + "\" is longer than 99 characters");
        if (k <= pest_prior_named_terms)
            pr.param_names[k] = param;
        if (!cs.token(sign, "prior sign"))
            return false;
        if (sign != "+" && sign != "-" && !(k == stars && sign == "="))
            return cs.fail("expected \"+\", \"-\" or \"=\" in the prior item, found \"" + sign + "\"");
    }
    if (stars == 0) {
        std::printf("Error reading prior information\n");
        return cs.fail("prior item " + pr.label + " holds no term (no \"*\")");
    }
    if (!cs.real(pr.provided, "prior value") || !cs.real(pr.weight, "prior weight") ||
        !cs.name(pr.group, "prior group"))
        return false;
    if (cs.line != item_line)
        return cs.fail("the prior item runs over more than one line");
    ++cs.line;
    cs.pos = 0;
    return true;
}

// The search holds matrices of (observations + prior items) x parameters
// and of parameters x parameters; both must stay within the stated limit.
bool matrices_fit(control_stream& cs, const pest_control& pc)
{
    const long long rows = static_cast<long long>(pc.nobs) + pc.nprior;
    const long long jacobian = rows * pc.npar;
    const long long square = static_cast<long long>(pc.npar) * pc.npar;
    if (jacobian <= pest_matrix_values_max && square <= pest_matrix_values_max)
        return true;
    char what[256];
    std::snprintf(
        what, sizeof what,
        "the matrices of NOBS + NPRIOR = %lld rows and NPAR = %d columns would hold more than the %lld "
        "values a calibration may hold",
        rows, pc.npar, pest_matrix_values_max);
    cs.line = 3;
    return cs.fail(what);
}

bool one_of(const std::vector<std::string>& words, const std::string& word)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

std::string word_list(const std::vector<std::string>& words)
{
    std::string out;
    for (std::size_t k = 0; k < words.size(); ++k)
        out += (k == 0 ? "\"" : k + 1 == words.size() ? " or \"" : ", \"") + words[k] + "\"";
    return out;
}

// A message about the item on a given line of a section.
bool fail_at(control_stream& cs, const char* section, int line, const std::string& what)
{
    cs.section = section;
    cs.line = line > 0 ? static_cast<std::size_t>(line - 1) : 0;
    return cs.fail(what);
}

// Each name of a table with the index (1..n) of its first entry.
using name_index = std::unordered_map<std::string, int>;

// The index (1..n) of the first entry named `name`, 0 when none is.
int find_named(const name_index& names, const std::string& name)
{
    const auto at = names.find(name);
    return at == names.end() ? 0 : at->second;
}

// No two entries of a table share a name; `names` indexes them.
template <class T>
bool names_unique(control_stream& cs, const std::vector<T>& table, const char* section, const char* kind,
                  name_index& names)
{
    names.clear();
    names.reserve(table.size());
    for (std::size_t i = 1; i < table.size(); ++i) {
        const auto [at, added] = names.emplace(table[i].name, static_cast<int>(i));
        if (!added)
            return fail_at(cs, section, table[i].line,
                           std::string(kind) + " \"" + table[i].name + "\" is given twice (first on line " +
                               std::to_string(table[at->second].line) + ")");
    }
    return true;
}

// The tables read from the file agree with each other: names are unique,
// every group named is declared, every word is one the toolbox knows,
// every tie and prior term names a parameter, and no model output file
// (which the toolbox removes before every run) is one of the calibration's
// own files.
bool tables_agree(control_stream& cs, const pest_control& pc)
{
    if (!one_of(restart_words, pc.restart_word))
        return fail_at(cs, "control data", 3,
                       "RSTFLE \"" + pc.restart_word + "\" must be " + word_list(restart_words));
    name_index groups, params, obs_groups, obs;
    if (!names_unique(cs, pc.param_groups, "parameter groups", "parameter group", groups) ||
        !names_unique(cs, pc.params, "parameter data", "parameter", params) ||
        !names_unique(cs, pc.obs_groups, "observation groups", "observation group", obs_groups) ||
        !names_unique(cs, pc.obs, "observation data", "observation", obs))
        return false;
    for (int i = 1; i <= pc.npargp; ++i) {
        const pest_param_group& g = pc.param_groups[i];
        if (!one_of(forcen_words, g.forcen))
            return fail_at(cs, "parameter groups", g.line,
                           "FORCEN \"" + g.forcen + "\" of group " + g.name + " must be " +
                               word_list(forcen_words));
        if (!one_of(dermthd_words, g.dermthd))
            return fail_at(cs, "parameter groups", g.line,
                           "DERMTHD \"" + g.dermthd + "\" of group " + g.name + " must be " +
                               word_list(dermthd_words));
    }
    for (int i = 1; i <= pc.npar; ++i) {
        const pest_param& p = pc.params[i];
        if (!one_of(transform_words, p.transform))
            return fail_at(cs, "parameter data", p.line,
                           "PARTRANS \"" + p.transform + "\" of parameter " + p.name + " must be " +
                               word_list(transform_words));
        const bool may_have_none = p.transform == "fixed" || p.transform == "tied";
        if (find_named(groups, p.group) == 0 && !(may_have_none && p.group == "none"))
            return fail_at(cs, "parameter data", p.line,
                           "the group \"" + p.group + "\" of parameter " + p.name +
                               " is not declared in the parameter groups");
        if (p.transform != "tied")
            continue;
        const int parent = find_named(params, p.parent_name);
        if (parent == 0 || parent == i)
            return fail_at(cs, "parameter data", p.tie_line,
                           "the tied parameter " + p.name + " names \"" + p.parent_name +
                               "\" as its parent, " +
                               (parent == 0 ? "which is not a parameter" : "which is itself"));
    }
    for (int i = 1; i <= pc.nobs; ++i) {
        const pest_obs& o = pc.obs[i];
        if (find_named(obs_groups, o.group) == 0)
            return fail_at(cs, "observation data", o.line,
                           "the group \"" + o.group + "\" of observation " + o.name +
                               " is not declared in the observation groups");
    }
    for (int i = 1; i <= pc.nprior; ++i) {
        const pest_prior& pr = pc.priors[i];
        for (std::size_t t = 1; t < pr.param_names.size(); ++t)
            if (find_named(params, pr.param_names[t]) == 0)
                return fail_at(cs, "prior information", pr.line,
                               "prior item " + pr.label + " names \"" + pr.param_names[t] +
                                   "\", which is not a parameter");
    }
    for (int i = 1; i <= pc.ninsfle; ++i) {
        const pest_instruction& ins = pc.instructions[i];
        std::string own;
        if (ins.model_file == pc.project_file)
            own = "the project file";
        else if (ins.model_file == pc.control_file)
            own = "the control file";
        for (int k = 1; k <= pc.ntplfle && own.empty(); ++k)
            if (ins.model_file == pc.templates[k].template_file ||
                ins.model_file == pc.templates[k].model_file)
                own = "a template file or model input file";
        for (int k = 1; k <= pc.ninsfle && own.empty(); ++k)
            if (ins.model_file == pc.instructions[k].instruction_file)
                own = "an instruction file";
        if (!own.empty())
            return fail_at(cs, "model input/output", ins.line,
                           "the model output file " + ins.model_file + " is " + own +
                               "; the toolbox removes every model output file before each model run");
    }
    return true;
}

} // namespace

int ReadControlFile(pest_control& pc, int argc, char** argv)
{
    std::FILE* list = std::fopen("torva.in", "w");
    if (!list) {
        std::printf("Cannot create torva.in\n");
        return 1;
    }
    if (argc < 3) {
        std::fclose(list);
        std::printf("No control file named on the command line.\n");
        return 1;
    }
    control_stream cs;
    cs.file_name = argv[2];
    if (cs.file_name.find('.') == std::string::npos)
        cs.file_name += ".pst";
    cs.fp = std::fopen(cs.file_name.c_str(), "rb");
    if (!cs.fp) {
        std::fclose(list);
        std::fprintf(stderr, "Cannot open %s \n", cs.file_name.c_str());
        return 1;
    }
    pc.control_file = cs.file_name;
    read_lines(cs);

    bool ok = cs.lines.size() >= 2 || cs.fail("the header lines are missing");
    ok = ok && read_control_data(cs, pc) && matrices_fit(cs, pc);

    std::string head;
    if (ok) {
        ok = cs.header(head, "parameter groups");
        if (ok && head.size() >= 10 && head.compare(2, 8, "singular") == 0) {
            cs.section = "singular value decomposition";
            pc.has_svd = true;
            ok = cs.integer(pc.svd_mode, "SVDMODE", any_value) &&
                 cs.integer(pc.svd_maxsing, "MAXSING", any_value) && cs.real(pc.svd_eigthresh, "EIGTHRESH") &&
                 cs.integer(pc.svd_eigthresh_int, "EIGWRITE", any_value) &&
                 cs.header(head, "parameter groups");
        }
    }
    if (ok) {
        pc.param_groups.assign(pc.npargp + 1, pest_param_group());
        for (int i = 1; ok && i <= pc.npargp; ++i) {
            pest_param_group& g = pc.param_groups[i];
            ok = cs.name(g.name, "group name") && cs.set_line(g.line) &&
                 cs.name(g.increment_type, "INCTYP") && cs.real(g.increment, "DERINC") &&
                 cs.real(g.increment_lower, "DERINCLB") && cs.name(g.forcen, "FORCEN") &&
                 cs.real(g.increment_multiplier, "DERINCMUL") && cs.name(g.dermthd, "DERMTHD");
        }
    }
    std::string list_text;
    if (ok && (ok = cs.header(head, "parameter data"))) {
        pc.params.assign(pc.npar + 1, pest_param());
        char buf[64];
        std::snprintf(buf, sizeof buf, "%d\n", pc.npar);
        list_text = buf;
        for (int i = 1; ok && i <= pc.npar; ++i) {
            pest_param& p = pc.params[i];
            ok = cs.name(p.name, "parameter name") && cs.set_line(p.line) &&
                 cs.name(p.transform, "PARTRANS") && cs.name(p.change_limit, "PARCHGLIM") &&
                 cs.real(p.value, "PARVAL1") && cs.real(p.lower, "PARLBND") && cs.real(p.upper, "PARUBND") &&
                 cs.name(p.group, "PARGP") && cs.real(p.scale, "SCALE") && cs.real(p.offset, "OFFSET") &&
                 cs.integer(p.dercom, "DERCOM", any_value);
            if (ok)
                list_text += "[" + p.name + "] \"%16.8lf\"\n";
        }
    }
    if (ok) {
        std::fputs(list_text.c_str(), list);
        for (int i = 1; i <= pc.npar; ++i) {
            pest_param& p = pc.params[i];
            if (p.transform != "log")
                continue;
            if (p.value > 0.0 && p.lower > 0.0 && p.upper > 0.0) {
                p.value = std::log10(p.value);
                p.lower = std::log10(p.lower);
                p.upper = std::log10(p.upper);
            } else {
                std::printf("\nThe log transformed parameter %s has an input value less than zero!",
                            p.name.c_str());
                std::printf("\nProgram terminating.\n");
                cs.section = "parameter data";
                cs.line = static_cast<std::size_t>(p.line - 1);
                ok = cs.fail("parameter " + p.name +
                             " is log-transformed: its value and both bounds must lie above 0");
                break;
            }
        }
    }
    for (int i = 1; ok && i <= pc.npar; ++i) {
        pest_param& p = pc.params[i];
        if (p.transform == "tied")
            ok = cs.name(p.own_name, "tied parameter") && cs.set_line(p.tie_line) &&
                 cs.name(p.parent_name, "parent parameter");
    }
    if (ok && (ok = cs.header(head, "observation groups"))) {
        pc.obs_groups.assign(pc.nobsgp + 1, pest_obs_group());
        for (int i = 1; ok && i <= pc.nobsgp; ++i)
            ok = cs.name(pc.obs_groups[i].name, "observation group name") &&
                 cs.set_line(pc.obs_groups[i].line);
    }
    if (ok && (ok = cs.header(head, "observation data"))) {
        pc.obs.assign(pc.nobs + 1, pest_obs());
        for (int i = 1; ok && i <= pc.nobs; ++i) {
            pest_obs& o = pc.obs[i];
            ok = cs.name(o.name, "observation name") && cs.set_line(o.line) &&
                 cs.real(o.measured, "OBSVAL") && cs.real(o.weight, "WEIGHT") && cs.name(o.group, "OBGNME");
        }
    }
    if (ok && (ok = cs.header(head, "model command line")))
        ok = cs.name(pc.pre_run_batch, "pre-run batch file") &&
             cs.name(pc.post_run_batch, "post-run batch file");
    if (ok && (ok = cs.header(head, "model input/output"))) {
        pc.templates.assign(pc.ntplfle + 1, pest_template());
        pc.instructions.assign(pc.ninsfle + 1, pest_instruction());
        for (int i = 1; ok && i <= pc.ntplfle; ++i)
            ok = cs.name(pc.templates[i].template_file, "template file") &&
                 cs.set_line(pc.templates[i].line) && cs.name(pc.templates[i].model_file, "model input file");
        for (int i = 1; ok && i <= pc.ninsfle; ++i)
            ok = cs.name(pc.instructions[i].instruction_file, "instruction file") &&
                 cs.set_line(pc.instructions[i].line) &&
                 cs.name(pc.instructions[i].model_file, "model output file");
    }
    if (ok && (ok = cs.header(head, "prior information"))) {
        pc.priors.assign(pc.nprior + 1, pest_prior());
        for (int i = 1; ok && i <= pc.nprior; ++i) {
            if (cs.line >= cs.lines.size()) {
                ok = cs.fail("prior item is missing");
                break;
            }
            ok = read_prior(cs, pc.priors[i]);
        }
    }
    if (ok) {
        // The regularisation section may be absent in estimation mode.
        --cs.line;
        cs.pos = cs.lines.size() > cs.line ? cs.lines[cs.line].size() : 0;
        bool present = false;
        for (std::size_t l = cs.line + 1; l < cs.lines.size(); ++l)
            if (cs.lines[l].find_first_not_of(" \t\r") != std::string::npos)
                present = true;
        if (present) {
            ok = cs.header(head, "regularisation") && cs.real(pc.phimlim, "PHIMLIM") &&
                 cs.real(pc.phimaccept, "PHIMACCEPT") && cs.real(pc.fracphim, "FRACPHIM") &&
                 cs.real(pc.wfinit, "WFINIT") && cs.real(pc.wfmin, "WFMIN") && cs.real(pc.wfmax, "WFMAX") &&
                 cs.real(pc.wffac, "WFFAC") && cs.real(pc.wftol, "WFTOL");
            pc.has_regularisation = ok;
            pc.weight_factor = pc.wfinit;
        } else if (pc.mode != "estimation") {
            cs.section = "regularisation";
            ok = cs.fail("the regularisation section is missing");
        }
    }
    ok = ok && tables_agree(cs, pc);
    std::fclose(cs.fp);
    std::fclose(list);
    return ok ? 0 : 1;
}
