#include "core/text_parse.h"

int delete_prefix(std::string& text, int n)
{
    if (text.empty()) return -1;
    if (n < 0) n = 0;
    if (static_cast<size_t>(n) >= text.size())
        text.clear();
    else
        text.erase(0, static_cast<size_t>(n));
    return 0;
}

void strip_quotes(std::string& text)
{
    if (text.empty()) return;
    if (text.front() == '"') delete_prefix(text, 1);
    if (!text.empty() && text.back() == '"') text.pop_back();
}
