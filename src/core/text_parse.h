// Text helpers shared by the readers.
#pragma once

#include <string>

// Removes the first n characters (n >= 1); -1 for an empty text, else 0.
int delete_prefix(std::string& text, int n);

// Removes one leading and one trailing double quote; inner quotes stay.
void strip_quotes(std::string& text);
