// Message boxes and the short text helpers the application builds its messages with.
#pragma once
#include <windows.h>

// Asks only when the editor's document is modified: 0 not modified (or the box failed),
// 1 Yes, 2 Cancel, 3 No.
int prompt_save_changes(HWND editor, const char* caption, const char* question);
// An OK box; "D" empties the text buffer afterwards. Always 0.
int message_show(HWND owner, const char* caption, char* text, const char* keyword);
// Appends the converted values and a line feed; characters outside conversions are dropped.
// Conversions: %f (double, precision from the k-th digit of the format, else 2), %i, %l
// (signed; the letter after it is skipped), %u, %U (unsigned), %s. Any other %x appends nothing.
char* text_append_format(char* destination, const char* format, ...);
// At most limit characters (all of them when limit <= 0), always NUL-terminated.
char* text_copy_limited(char* destination, const char* source, int limit);
int text_to_int(const char* text);
char* int_to_text(char* destination, int value);
int text_length(const char* text);
