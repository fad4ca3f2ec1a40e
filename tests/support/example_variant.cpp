#include "support/example_variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <utility>

#include "support/test_support.h"

namespace torva_test
{

namespace fs = std::filesystem;

example_result run_example_variant(const std::string& example, const std::string& args,
                                   const file_edits& edits, const std::vector<std::string>& keep)
{
    scratch_dir dir("variant");
    fs::copy(std::string(TORVA_EXAMPLES) + "/" + example, dir.path(), fs::copy_options::recursive);
    for (const file_edit& e : edits) {
        const std::string path = dir.file(e.file);
        if (!e.edit) {
            fs::remove(path);
            continue;
        }
        const std::string text = file_exists(path) ? read_file(path) : std::string();
        fs::create_directories(fs::path(path).parent_path());
        write_file(path, e.edit(text));
    }
    example_result r{};
    r.status = run_command(
        "cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' " + args + " 2>&1", r.output);
    for (const std::string& name : keep)
        if (file_exists(dir.file(name)))
            r.files[name] = read_file(dir.file(name));
    return r;
}

file_edit removed(const std::string& file)
{
    return {file, nullptr};
}

void expect_variant(const example_variant& v, const refusal_checks& refused)
{
    const example_result r = run_example_variant(v.example, v.args, v.edits, refused.no_files);
    const std::string& out = r.output;
    EXPECT_EQ(r.status, v.status) << v.label << "\n" << out;
    std::size_t first = std::string::npos, from = 0;
    for (const std::string& m : v.messages) {
        const std::size_t at = out.find(m, from);
        EXPECT_NE(at, std::string::npos) << v.label << ": " << m << "\n" << out;
        if (at == std::string::npos)
            continue;
        if (first == std::string::npos)
            first = at;
        from = at + m.size();
    }
    // A sanitized build's own reports also end in status 1.
    EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << v.label << "\n" << out;
    EXPECT_EQ(out.find("runtime error:"), std::string::npos) << v.label << "\n" << out;
    if (v.status == 0)
        return;
    for (const std::string& line : refused.never)
        EXPECT_EQ(out.find(line), std::string::npos) << v.label << ": \"" << line << "\"\n" << out;
    if (first != std::string::npos) {
        for (const std::string& line : refused.not_after)
            EXPECT_EQ(out.find(line, first), std::string::npos) << v.label << ": \"" << line << "\" after\n"
                                                                << out;
    }
    for (const std::string& name : refused.no_files)
        EXPECT_EQ(r.files.count(name), 0u) << v.label << ": " << name << " was written";
}

void expect_variants(const std::vector<example_variant>& variants, const refusal_checks& refused)
{
    for (const example_variant& v : variants)
        expect_variant(v, refused);
}

text_edit replaced(const std::string& from, const std::string& to)
{
    return [from, to](std::string text) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            text.replace(at, from.size(), to);
        return text;
    };
}

text_edit cut_after(const std::string& last)
{
    return [last](const std::string& text) {
        const std::size_t at = text.find(last);
        EXPECT_NE(at, std::string::npos) << last;
        return at == std::string::npos ? text : text.substr(0, at + last.size());
    };
}

text_edit whole(const std::string& text)
{
    return [text](const std::string&) { return text; };
}

text_edit appended(const std::string& more)
{
    return [more](const std::string& text) { return text + more; };
}

text_edit made_from(const std::string& base, const text_edit& edit)
{
    return [base, edit](const std::string&) { return edit(base); };
}

text_edit on_line(int n, const text_edit& edit)
{
    return [n, edit](std::string text) {
        std::size_t at = 0;
        for (int k = 1; k < n && at != std::string::npos; ++k) {
            at = text.find('\n', at);
            at = at == std::string::npos ? at : at + 1;
        }
        EXPECT_NE(at, std::string::npos) << "the text has no line " << n;
        if (at == std::string::npos)
            return text;
        const std::size_t end = text.find('\n', at);
        const std::size_t length = end == std::string::npos ? std::string::npos : end - at;
        return text.replace(at, length, edit(text.substr(at, length)));
    };
}

text_edit crlf_from(int n)
{
    return [n](const std::string& text) {
        std::string out;
        int line = 1;
        for (char c : text) {
            if (c == '\n' && line++ >= n)
                out += '\r';
            out += c;
        }
        return out;
    };
}

namespace
{

// Where the line of the card begins and ends (after its newline).
std::pair<std::size_t, std::size_t> find_card_line(const std::string& prj, const std::string& card)
{
    std::size_t at = prj.find("\n" + card);
    while (at != std::string::npos && prj.find_first_of(" \t\r\n", at + 1) != at + 1 + card.size())
        at = prj.find("\n" + card, at + 1);
    EXPECT_NE(at, std::string::npos) << "no card " << card;
    if (at == std::string::npos)
        return {std::string::npos, std::string::npos};
    const std::size_t end = prj.find('\n', at + 1);
    return {at + 1, end == std::string::npos ? prj.size() : end + 1};
}

} // namespace

text_edit set_card(const std::string& card, const std::string& value)
{
    return [card, value](std::string prj) {
        const auto [at, end] = find_card_line(prj, card);
        if (at != std::string::npos)
            prj.replace(at, end - at, (value.empty() ? card : card + " " + value) + "\n");
        return prj;
    };
}

text_edit drop_card(const std::string& card)
{
    return [card](std::string prj) {
        const auto [at, end] = find_card_line(prj, card);
        if (at != std::string::npos)
            prj.erase(at, end - at);
        return prj;
    };
}

std::string noise_bytes(std::size_t n, unsigned seed)
{
    std::string bytes;
    std::uint32_t x = seed;
    for (std::size_t i = 0; i < n; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes += static_cast<char>(x >> 24);
    }
    return bytes;
}

} // namespace torva_test
