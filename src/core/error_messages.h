// The reporter's table of codes and message texts.
#pragma once

struct error_message_entry {
    int code;
    const char* text; // with @what@, @file@, @value1@, @value2@ placeholders
};

// The message template of a code, or nullptr when the code has none.
const char* error_message_template(int code);

int error_message_count();
const error_message_entry& error_message_at(int index);
