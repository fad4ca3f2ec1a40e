// Walks one instruction file over the model output file it names and stores
// the observations' values. The instructions move a cursor through the
// output: newline (next output line), primary marker (search text), l (line
// advance), t (character advance), w (next word), ! (free observation),
// [ ] (fixed observation); '&' and blanks are ignored.
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

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

struct instruction_run {
    pest_control& pc;
    const std::string& ins_name;
    const std::string& out_name;
    int slot;
    std::string ins; // instruction text after the header line
    std::size_t ip = 0;
    std::string out; // model output
    std::size_t cursor = 0;

    bool fail(const std::string& what)
    {
        std::printf("Error in the instruction file %s over %s: %s\n", ins_name.c_str(), out_name.c_str(),
                    what.c_str());
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

    void store(const std::string& name, double value)
    {
        const std::string lower = with_case(name, false);
        const std::string upper = with_case(name, true);
        for (int i = 1; i <= pc.nobs; ++i) {
            pest_obs& o = pc.obs[i];
            if (o.name == name || o.name == lower || o.name == upper) {
                o.simulated[slot] = value;
                return;
            }
        }
        std::printf("Observation %s of the instruction file %s matches no observation of the control file.\n",
                    name.c_str(), ins_name.c_str());
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
        const std::size_t nl = out.find('\n', cursor);
        cursor = nl == std::string::npos ? out.size() : nl + 1;
        return true;
    }

    bool primary_marker(char marker)
    {
        std::string text;
        if (!ins_until(marker, text, "a search text"))
            return false;
        while (cursor < out.size()) {
            std::size_t eol = out.find('\n', cursor);
            if (eol == std::string::npos)
                eol = out.size();
            const std::size_t at = std::string_view(out).substr(cursor, eol - cursor).find(text);
            if (at != std::string::npos && !text.empty()) {
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
        if (n >= 1) {
            if (cursor + static_cast<std::size_t>(n) > out.size())
                return fail("a 't' item moves past the end of the output");
            cursor += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool word_skip()
    {
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
        while (cursor < out.size() && out[cursor] == ' ')
            ++cursor;
        const std::size_t start = cursor;
        while (cursor < out.size() && number_char(out[cursor]))
            ++cursor;
        double value = 0.0;
        if (!value_text(name, out.substr(start, cursor - start), value))
            return false;
        store(name, value);
        return true;
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
        if (c1 > 1) {
            cursor += static_cast<std::size_t>(c1 - 2);
        } else if (c1 < 1 && cursor > 0) {
            --cursor;
        }
        if (cursor > out.size())
            return fail("observation " + name + " lies past the end of the output");
        while (cursor < out.size() && std::isspace(static_cast<unsigned char>(out[cursor])))
            ++cursor;
        const std::size_t start = cursor;
        while (cursor < out.size() && number_char(out[cursor]))
            ++cursor;
        double value = 0.0;
        if (!value_text(name, out.substr(start, cursor - start), value))
            return false;
        store(name, value);
        std::size_t look = cursor;
        while (look < out.size() && (out[look] == ' ' || out[look] == '\r'))
            ++look;
        if (look < out.size() && out[look] == '\n')
            cursor = look + 1;
        return true;
    }
};

} // namespace

int ReadModelOutput(pest_control& pc, int file, int slot, pest_handles& handles)
{
    const pest_instruction& pi = pc.instructions[file];
    std::FILE* fp = handles.file[file];
    instruction_run run{pc, pi.instruction_file, pi.model_file, slot, {}, 0, {}, 0};

    std::rewind(fp);
    std::string header;
    if (!read_raw_line(fp, header) || header.size() < 5 || (header[0] != 'p' && header[0] != 'j') ||
        header[1] != 'i' || header[2] != 'f') {
        std::printf("\n%s is not a valid PEST instruction file.\n\n", pi.instruction_file.c_str());
        return 1;
    }
    const char marker = header[4];
    char buf[4096];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, fp)) > 0)
        run.ins.append(buf, got);

    std::FILE* out = std::fopen(pi.model_file.c_str(), "rb");
    if (!out) {
        std::printf("Cannot open the model output file %s named in the instruction file %s\n",
                    pi.model_file.c_str(), pi.instruction_file.c_str());
        return 1;
    }
    while ((got = std::fread(buf, 1, sizeof buf, out)) > 0)
        run.out.append(buf, got);
    std::fclose(out);

    bool ok = true;
    while (ok && run.ip < run.ins.size()) {
        const char c = run.ins[run.ip++];
        if (c == '\n')
            ok = run.next_line();
        else if (c == marker)
            ok = run.primary_marker(marker);
        else if (c == 'l')
            ok = run.line_advance();
        else if (c == 't')
            ok = run.char_advance();
        else if (c == 'w')
            ok = run.word_skip();
        else if (c == '!')
            ok = run.free_observation();
        else if (c == '[')
            ok = run.fixed_observation();
        else if (c == '(') {
            std::printf(
                "Semi-fixed observations are currently not supported with the calibration toolbox.\n");
            std::printf("Modify the instruction file(s) accordingly and rerun the toolbox.\n");
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
