// Word-by-word reading of the free-format precipitation and radar files.
// Words are separated by white space. The reader takes characters from the
// stream one at a time and never reads past the word it returns, so the rest
// of a line can be taken right after a word, and a later call goes on where
// this one stopped.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

enum class word_status { ok, end, bad };

class precip_word_reader
{
  public:
    explicit precip_word_reader(std::FILE* fp) : fp_(fp) {}

    // The next word, at most max characters of it (0: the whole word); a
    // longer word is split and its rest is the next word. False at the end.
    bool word(std::string& out, std::size_t max = 0);

    // The next word as a whole integer or a finite real.
    word_status integer(int& out);
    word_status real(double& out);

    // The rest of the current line with its line end; false when the file
    // has ended before any character.
    bool rest_of_line(std::string& out);

  private:
    std::FILE* fp_;
};

// True when the first letters of word equal key (given in lower case),
// ignoring case; the word must be at least as long as key.
bool word_starts_with(const std::string& word, const char* key);

// Whole-word number conversions shared with the token readers.
bool parse_int_word(const std::string& word, int& out);
bool parse_real_word(const std::string& word, double& out);
