// Reader of the toolbox's control file: the PEST layout read as a stream of
// blank-separated tokens, with the toolbox's own items after the control
// data. Every token is checked; a missing or malformed one stops the reader
// with a message naming the file, the section and the line.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "calibration/pest_control.h"
#include "core/text_parse.h"

namespace
{

struct value_range {
    double lo;
    double hi;
};

// Ranges of the counts and settings that the toolbox uses.
constexpr value_range count_range{0.0, 1.0e9};
constexpr value_range positive_count{1.0, 1.0e9};
constexpr value_range file_count{0.0, pest_max_files};
constexpr value_range any_value{-1.0e300, 1.0e300};
constexpr value_range method_range{0.0, 1.0};
constexpr value_range noptmax_range{-1.0, 1.0e9};

// The control file as lines with a token cursor.
struct control_stream {
    std::string file_name;
    std::vector<std::string> lines;
    std::size_t line = 0; // index of the current line
    std::size_t pos = 0;  // position in it
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
            return fail(std::string(item) + " \"" + t + "\" is out of range");
        if (st != num_status::ok)
            return fail(std::string(item) + " \"" + t + "\" " + num_status_text(st));
        return true;
    }

    bool integer(int& out, const char* item, value_range r = count_range)
    {
        std::string t;
        if (!token(t, item))
            return false;
        const num_status st = parse_int_strict(t, out);
        if (st == num_status::ok && (out < r.lo || out > r.hi))
            return fail(std::string(item) + " \"" + t + "\" is out of range");
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

std::vector<std::string> read_lines(std::FILE* fp)
{
    std::vector<std::string> lines;
    std::string s;
    while (read_raw_line(fp, s))
        lines.push_back(s);
    return lines;
}

bool read_control_data(control_stream& cs, pest_control& pc)
{
    cs.section = "control data";
    cs.line = 2;
    cs.pos = 0;
    return cs.name(pc.restart_word, "RSTFLE") && cs.name(pc.mode, "PESTMODE") &&
           cs.integer(pc.npar, "NPAR", positive_count) && cs.integer(pc.nobs, "NOBS", positive_count) &&
           cs.integer(pc.npargp, "NPARGP", positive_count) && cs.integer(pc.nprior, "NPRIOR") &&
           cs.integer(pc.nobsgp, "NOBSGP", positive_count) &&
           cs.integer(pc.ntplfle, "NTPLFLE", count_range) && cs.integer(pc.ninsfle, "NINSFLE", count_range) &&
           cs.name(pc.precis, "PRECIS") && cs.name(pc.dpoint, "DPOINT") &&
           cs.integer(pc.numcom, "NUMCOM", any_value) && cs.integer(pc.jacfile, "JACFILE", any_value) &&
           cs.integer(pc.messfile, "MESSFILE", any_value) && cs.real(pc.lambda, "RLAMBDA1", {0.0, 1.0e300}) &&
           cs.real(pc.rlamfac, "RLAMFAC", {0.0, 1.0e300}) && cs.real(pc.phiratsuf, "PHIRATSUF") &&
           cs.real(pc.phiredlam, "PHIREDLAM") && cs.integer(pc.numlam, "NUMLAM", count_range) &&
           cs.real(pc.relparmax, "RELPARMAX") && cs.real(pc.facparmax, "FACPARMAX") &&
           cs.real(pc.facorig, "FACORIG") && cs.integer(pc.unused_int, "IBOUNDSTICK", any_value) &&
           cs.real(pc.phiredswh, "PHIREDSWH") && cs.name(pc.unused_word, "item 25") &&
           cs.integer(pc.noptmax, "NOPTMAX", noptmax_range) && cs.real(pc.phiredstp, "PHIREDSTP") &&
           cs.integer(pc.nphistp, "NPHISTP") && cs.integer(pc.nphinored, "NPHINORED") &&
           cs.real(pc.relparstp, "RELPARSTP") && cs.integer(pc.nrelpar, "NRELPAR") &&
           cs.integer(pc.icov, "ICOV", any_value) && cs.integer(pc.icor, "ICOR", any_value) &&
           cs.integer(pc.ieig, "IEIG", any_value) && cs.integer(pc.method, "method", method_range) &&
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
            return false;
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
        return false;
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
    std::FILE* fp = std::fopen(cs.file_name.c_str(), "r");
    if (!fp) {
        std::fclose(list);
        std::fprintf(stderr, "Cannot open %s \n", cs.file_name.c_str());
        return 1;
    }
    cs.lines = read_lines(fp);
    std::fclose(fp);

    bool ok = cs.lines.size() >= 2 || cs.fail("the header lines are missing");
    ok = ok && read_control_data(cs, pc);

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
            ok = cs.name(g.name, "group name") && cs.name(g.increment_type, "INCTYP") &&
                 cs.real(g.increment, "DERINC") && cs.real(g.increment_lower, "DERINCLB") &&
                 cs.name(g.forcen, "FORCEN") && cs.real(g.increment_multiplier, "DERINCMUL") &&
                 cs.name(g.dermthd, "DERMTHD");
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
            ok = cs.name(p.name, "parameter name") && cs.name(p.transform, "PARTRANS") &&
                 cs.name(p.change_limit, "PARCHGLIM") && cs.real(p.value, "PARVAL1") &&
                 cs.real(p.lower, "PARLBND") && cs.real(p.upper, "PARUBND") && cs.name(p.group, "PARGP") &&
                 cs.real(p.scale, "SCALE") && cs.real(p.offset, "OFFSET") &&
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
                ok = false;
                break;
            }
        }
    }
    for (int i = 1; ok && i <= pc.npar; ++i) {
        pest_param& p = pc.params[i];
        if (p.transform == "tied")
            ok = cs.name(p.own_name, "tied parameter") && cs.name(p.parent_name, "parent parameter");
    }
    if (ok && (ok = cs.header(head, "observation groups"))) {
        pc.obs_groups.assign(pc.nobsgp + 1, pest_obs_group());
        for (int i = 1; ok && i <= pc.nobsgp; ++i)
            ok = cs.name(pc.obs_groups[i].name, "observation group name");
    }
    if (ok && (ok = cs.header(head, "observation data"))) {
        pc.obs.assign(pc.nobs + 1, pest_obs());
        for (int i = 1; ok && i <= pc.nobs; ++i) {
            pest_obs& o = pc.obs[i];
            ok = cs.name(o.name, "observation name") && cs.real(o.measured, "OBSVAL") &&
                 cs.real(o.weight, "WEIGHT") && cs.name(o.group, "OBGNME");
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
                 cs.name(pc.templates[i].model_file, "model input file");
        for (int i = 1; ok && i <= pc.ninsfle; ++i)
            ok = cs.name(pc.instructions[i].instruction_file, "instruction file") &&
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
    std::fclose(list);
    return ok ? 0 : 1;
}
