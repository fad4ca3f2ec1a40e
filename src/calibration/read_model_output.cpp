// Walks one instruction file over the model output file it names and stores
// the observations' values. The instructions move a cursor through the
// output: newline (next output line), primary marker (search text), l (line
// advance), t (character advance), w (next word), ! (free observation),
// [ ] (fixed observation); '&' and blanks are ignored. The same walk, made
// without an output file, checks every instruction file before the first
// model run (CheckInstructionFiles).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "calibration/pest_control.h"
#include "core/text_parse.h"

namespace
{

bool number_char(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'E' ||
           c == 'e';
}

std::string with_case(std::string s, bool upper)
{
    for (char& c : s)
        c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                    : std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// An observation named by an instruction, where it is named.
struct named_observation {
    std::string name;
    int line = 0;
};

struct instruction_run {
    pest_control& pc;
    const std::string& ins_name;
    const std::string& out_name;
    int slot;
    std::string ins; // instruction text after the header line
    std::size_t ip = 0;
    std::string out; // model output
    std::size_t cursor = 0;
    // A check without output: the items are parsed and the observations
    // they name collected, the output is not touched.
    bool dry = false;
    std::vector<named_observation> named;
    std::size_t item = 0; // where the current item starts
    int item_line = 2;    // its line in the instruction file (the header is line 1)

    instruction_run(pest_control& pc_, const std::string& ins_name_, const std::string& out_name_, int slot_)
        : pc(pc_), ins_name(ins_name_), out_name(out_name_), slot(slot_)
    {
    }

    bool fail(const std::string& what)
    {
        if (dry)
            std::printf("Error in the instruction file %s, line %d: %s\n", ins_name.c_str(), item_line,
                        what.c_str());
        else
            std::printf("Error in the instruction file %s, line %d, over %s: %s\n", ins_name.c_str(),
                        item_line, out_name.c_str(), what.c_str());
        return false;
    }

    // Instruction text up to (not including) the terminator, which is consumed.
    bool ins_until(char term, std::string& text, const char* what)
    {
        const std::size_t end = ins.find(term, ip);
        if (end == std::string::npos)
            return fail(std::string("the closing character of ") + what + " is missing");
        text = ins.substr(ip, end - ip);
        ip = end + 1;
        return true;
    }

    // A count after 'l' or 't', read up to the next blank (a line end also
    // ends it and stays to act as a newline).
    bool count(char item, int& n)
    {
        const std::size_t start = ip;
        while (ip < ins.size() && ins[ip] != ' ' && ins[ip] != '\t' && ins[ip] != '\n' && ins[ip] != '\r')
            ++ip;
        const std::string text = ins.substr(start, ip - start);
        if (ip < ins.size() && (ins[ip] == ' ' || ins[ip] == '\t'))
            ++ip;
        const num_status st = parse_int_strict(text, n);
        if (st != num_status::ok)
            return fail(std::string("the count of '") + item + "' \"" + text + "\" " + num_status_text(st));
        return true;
    }

    bool store(const std::string& name, double value)
    {
        const int i = ObservationNamed(pc, name);
        if (i == 0)
            return fail("observation \"" + name + "\" is not an observation of the control file");
        pc.obs[i].simulated[slot] = value;
        return true;
    }

    // A name read by '!' or '[': collected in a check, stored otherwise.
    bool observation(const std::string& name, const std::function<bool(double&)>& read_value)
    {
        if (name.empty())
            return fail("an observation item names no observation");
        if (dry) {
            named.push_back({name, item_line});
            return true;
        }
        double value = 0.0;
        return read_value(value) && store(name, value);
    }

    bool value_text(const std::string& name, const std::string& text, double& value)
    {
        const num_status st = parse_double_strict(text, value);
        if (st != num_status::ok)
            return fail("the value of observation " + name + " \"" + text + "\" " + num_status_text(st));
        return true;
    }

    bool next_line()
    {
        if (dry)
            return true;
        const std::size_t nl = out.find('\n', cursor);
        cursor = nl == std::string::npos ? out.size() : nl + 1;
        return true;
    }

    bool primary_marker(char marker)
    {
        std::string text;
        if (!ins_until(marker, text, "a search text"))
            return false;
        if (text.empty())
            return fail("the search text between two markers is empty");
        if (dry)
            return true;
        while (cursor < out.size()) {
            std::size_t eol = out.find('\n', cursor);
            if (eol == std::string::npos)
                eol = out.size();
            const std::size_t at = std::string_view(out).substr(cursor, eol - cursor).find(text);
            if (at != std::string::npos) {
                cursor += at + text.size();
                return true;
            }
            cursor = eol + 1;
        }
        cursor = out.size();
        return fail("the search text \"" + text + "\" is not found");
    }

    bool line_advance()
    {
        int n = 0;
        if (!count('l', n))
            return false;
        if (n < 1)
            return fail("the count of 'l' must be 1 or more; it is " + std::to_string(n));
        if (dry)
            return true;
        std::size_t start = cursor;
        for (int k = 0; k < n; ++k) {
            if (cursor >= out.size())
                return fail("an 'l' item reads past the end of the output");
            start = cursor;
            next_line();
        }
        cursor = start;
        return true;
    }

    bool char_advance()
    {
        int n = 0;
        if (!count('t', n))
            return false;
        if (n >= 1 && !dry) {
            if (cursor + static_cast<std::size_t>(n) > out.size())
                return fail("a 't' item moves past the end of the output");
            cursor += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool word_skip()
    {
        if (dry)
            return true;
        while (cursor < out.size() && out[cursor] != ' ')
            ++cursor;
        while (cursor < out.size() && out[cursor] == ' ')
            ++cursor;
        return true;
    }

    bool free_observation()
    {
        std::string name;
        if (!ins_until('!', name, "an observation name"))
            return false;
        return observation(name, [&](double& value) {
            while (cursor < out.size() && out[cursor] == ' ')
                ++cursor;
            const std::size_t start = cursor;
            while (cursor < out.size() && number_char(out[cursor]))
                ++cursor;
            return value_text(name, out.substr(start, cursor - start), value);
        });
    }

    bool fixed_observation()
    {
        std::string name, first_col;
        if (!ins_until(']', name, "an observation name") || !ins_until(':', first_col, "a column range"))
            return false;
        int c1 = 0;
        const num_status st = parse_int_strict(first_col, c1);
        if (st != num_status::ok)
            return fail("the first column of observation " + name + " \"" + first_col + "\" " +
                        num_status_text(st));
        while (ip < ins.size() && number_char(ins[ip]))
            ++ip;
        if (ip < ins.size())
            ++ip; // the blank or line end after the range
        return observation(name, [&](double& value) {
            if (c1 > 1) {
                if (static_cast<std::size_t>(c1 - 2) > out.size() - cursor)
                    return fail("observation " + name + " lies past the end of the output");
                cursor += static_cast<std::size_t>(c1 - 2);
            } else if (c1 < 1 && cursor > 0) {
                --cursor;
            }
            while (cursor < out.size() && std::isspace(static_cast<unsigned char>(out[cursor])))
                ++cursor;
            const std::size_t start = cursor;
            while (cursor < out.size() && number_char(out[cursor]))
                ++cursor;
            if (!value_text(name, out.substr(start, cursor - start), value))
                return false;
            std::size_t look = cursor;
            while (look < out.size() && (out[look] == ' ' || out[look] == '\r'))
                ++look;
            if (look < out.size() && out[look] == '\n')
                cursor = look + 1;
            return true;
        });
    }

    // Walks the instruction text; false at the first fault.
    bool walk(char marker)
    {
        bool ok = true;
        while (ok && ip < ins.size()) {
            // The line ends passed since the last item, counted once each.
            item_line += static_cast<int>(
                std::count(ins.begin() + static_cast<long>(item), ins.begin() + static_cast<long>(ip), '\n'));
            item = ip;
            const char c = ins[ip++];
            if (c == '\n')
                ok = next_line();
            else if (c == marker)
                ok = primary_marker(marker);
            else if (c == 'l')
                ok = line_advance();
            else if (c == 't')
                ok = char_advance();
            else if (c == 'w')
                ok = word_skip();
            else if (c == '!')
                ok = free_observation();
            else if (c == '[')
                ok = fixed_observation();
            else if (c == '(') {
                std::printf(
                    "Semi-fixed observations are currently not supported with the calibration toolbox.\n");
                std::printf("Modify the instruction file(s) accordingly and rerun the toolbox.\n");
                ok = fail("a semi-fixed observation \"(\" is not supported");
            }
        }
        return ok;
    }
};

// Rewinds instruction file `file`, checks its header and reads the text
// after it; the marker, or 0 after a message.
char load_instructions(const pest_control& pc, int file, pest_handles& handles, std::string& text)
{
    const std::string& name = pc.instructions[file].instruction_file;
    std::FILE* fp = handles.file[file];
    std::rewind(fp);
    std::string header;
    if (!read_raw_line(fp, header) || header.size() < 5 || (header[0] != 'p' && header[0] != 'j') ||
        header[1] != 'i' || header[2] != 'f') {
        std::printf("\n%s is not a valid PEST instruction file.\n\n", name.c_str());
        std::printf(
            "Error in the instruction file %s, line 1: the header must begin \"pif\" or \"jif\" and give "
            "the marker as its fifth character.\n",
            name.c_str());
        return 0;
    }
    const char marker = header[4];
    if (std::isspace(static_cast<unsigned char>(marker)) ||
        std::isalnum(static_cast<unsigned char>(marker)) ||
        std::string("!&[]():").find(marker) != std::string::npos) {
        std::printf("\n%s is not a valid PEST instruction file.\n\n", name.c_str());
        std::printf(
            "Error in the instruction file %s, line 1: the marker '%c' is a blank, a letter, a digit or a "
            "character of the instructions.\n",
            name.c_str(), marker);
        return 0;
    }
    text.clear();
    char buf[4096];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, fp)) > 0)
        text.append(buf, got);
    return marker;
}

} // namespace

int ObservationNamed(const pest_control& pc, const std::string& name)
{
    const std::string lower = with_case(name, false);
    const std::string upper = with_case(name, true);
    for (int i = 1; i <= pc.nobs; ++i) {
        const std::string& o = pc.obs[i].name;
        if (o == name || o == lower || o == upper)
            return i;
    }
    return 0;
}

int CheckInstructionFiles(pest_control& pc, pest_handles& handles)
{
    // Where each observation is read: file and line, 0 when not yet.
    std::vector<int> read_in(static_cast<std::size_t>(pc.nobs) + 1, 0), read_line(read_in);
    for (int k = 1; k <= pc.ninsfle; ++k) {
        const pest_instruction& pi = pc.instructions[k];
        instruction_run run{pc, pi.instruction_file, pi.model_file, 0};
        run.dry = true;
        const char marker = load_instructions(pc, k, handles, run.ins);
        if (marker == 0 || !run.walk(marker))
            return 1;
        for (const named_observation& n : run.named) {
            const int i = ObservationNamed(pc, n.name);
            if (i == 0) {
                std::printf(
                    "Error in the instruction file %s, line %d: observation \"%s\" is not an observation "
                    "of the control file %s.\n",
                    pi.instruction_file.c_str(), n.line, n.name.c_str(), pc.control_file.c_str());
                return 1;
            }
            if (read_in[i] != 0) {
                std::printf("Error in the instruction file %s, line %d: observation %s is read a second time "
                            "(first in %s, line %d).\n",
                            pi.instruction_file.c_str(), n.line, pc.obs[i].name.c_str(),
                            pc.instructions[read_in[i]].instruction_file.c_str(), read_line[i]);
                return 1;
            }
            read_in[i] = k;
            read_line[i] = n.line;
        }
    }
    for (int i = 1; i <= pc.nobs; ++i)
        if (read_in[i] == 0) {
            std::printf(
                "Error in the control file %s, observation data, line %d: observation %s is read by no "
                "instruction file.\n",
                pc.control_file.c_str(), pc.obs[i].line, pc.obs[i].name.c_str());
            return 1;
        }
    return 0;
}

int ReadModelOutput(pest_control& pc, int file, int slot, pest_handles& handles)
{
    const pest_instruction& pi = pc.instructions[file];
    instruction_run run{pc, pi.instruction_file, pi.model_file, slot};
    const char marker = load_instructions(pc, file, handles, run.ins);
    if (marker == 0)
        return 1;

    std::FILE* out = std::fopen(pi.model_file.c_str(), "rb");
    if (!out) {
        std::printf("Cannot open the model output file %s named in the instruction file %s\n",
                    pi.model_file.c_str(), pi.instruction_file.c_str());
        return 1;
    }
    char buf[4096];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, out)) > 0)
        run.out.append(buf, got);
    std::fclose(out);
    return run.walk(marker) ? 0 : 1;
}
