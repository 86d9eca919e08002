// The reader's tokens, byte by byte.
#include "toolkit/richedit/rtf_tokens.h"

#include <string.h>

namespace {

constexpr long long NUMBER_LIMIT = 2147483647;  // the reader's numbers wrap round past 32 bits

enum { TEXT, ESCAPE, LETTERS, DIGITS, HEX, BINARY };

bool is_letter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_hex(int c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool is_plain(int c) {
    return c != '\\' && c != '{' && c != '}' && c != '\t' && c != '\r' && c != '\n' && c != '\0';
}

void token_clear(rtf_token* token, rtf_token_kind kind, int value) {
    memset(token, 0, sizeof *token);
    token->kind = kind;
    token->value = value;
}

// A character of the text, escaped or not, or a \'hh: one of what stands in for a \uN letter.
// Tabs, line ends and NULs are not counted.
bool stand_in_take(rtf_tokens* t) {
    if (t->skip_left == 0) return false;
    t->skip_left--;
    return true;
}

void word_end(rtf_tokens* t, rtf_token* token) {
    t->word[t->word_letters] = '\0';
    t->mode = TEXT;
    token_clear(token, RTF_WORD, 0);
    token->word = t->word;
    token->has_number = t->has_number;
    token->number = t->negative ? -t->number : t->number;
    token->over_long = t->word_length > RTF_WORD_LIMIT;
    // any word ends the stand-in of a \uN before it; an over-long one means nothing more
    bool is_unicode = !token->over_long && strcmp(t->word, "u") == 0;
    t->skip_left = is_unicode ? t->unicode_skip : 0;
    if (token->over_long) return;
    if (strcmp(t->word, "uc") == 0 && token->has_number && token->number >= 0) {
        t->unicode_skip = token->number > 255 ? 255 : (int)token->number;
    }
    // binary data the reader would take for text and groups
    if (strcmp(t->word, "bin") == 0 && token->has_number && token->number > 0) {
        t->binary_left = token->number;
        t->mode = BINARY;
    }
}

void hex_end(rtf_tokens* t, rtf_token* token) {
    t->mode = TEXT;
    token_clear(token, RTF_HEX, t->hex_value);
    t->hex[t->hex_digits] = '\0';
    memcpy(token->hex, t->hex, sizeof token->hex);
    token->skipped = stand_in_take(t);
}

void escape_feed(rtf_tokens* t, int c, rtf_token* token) {
    if (is_letter(c)) {
        t->mode = LETTERS;
        t->word[0] = (char)c;
        t->word_letters = t->word_length = 1;
        t->has_number = t->negative = false;
        t->number = 0;
    } else if (c == '\'') {
        t->mode = HEX;
        t->hex_digits = t->hex_value = 0;
    } else {
        t->mode = TEXT;
        token->kind = RTF_SYMBOL;
        token->skipped = (c == '\\' || c == '{' || c == '}' || c == ':') && stand_in_take(t);
    }
}

bool word_feed(rtf_tokens* t, int c, rtf_token* token) {
    if (t->mode == LETTERS && (is_letter(c) || c == '-' || is_digit(c))) {
        if (++t->word_length > RTF_WORD_LIMIT) {
            word_end(t, token);
        } else if (is_letter(c)) {
            t->word[t->word_letters++] = (char)c;
        } else {
            t->mode = DIGITS;
            t->negative = c == '-';
            if (is_digit(c)) t->number = c - '0';
            t->has_number = is_digit(c);
        }
        return true;
    }
    if (t->mode == DIGITS && is_digit(c)) {
        if (++t->word_length > RTF_WORD_LIMIT) {
            word_end(t, token);
            return true;
        }
        if (t->number < NUMBER_LIMIT) t->number = t->number * 10 + (c - '0');
        if (t->number > NUMBER_LIMIT) t->number = NUMBER_LIMIT;
        t->has_number = true;
        return true;
    }
    // anything else ends the word; a space is its delimiter and goes with it
    word_end(t, token);
    return c == ' ';
}

bool hex_feed(rtf_tokens* t, int c, rtf_token* token) {
    if (!is_hex(c)) {
        hex_end(t, token);
        return false;
    }
    t->hex[t->hex_digits++] = (char)c;
    t->hex_value = t->hex_value * 16 + (is_digit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
    if (t->hex_digits == 2) hex_end(t, token);
    return true;
}

bool byte_feed(rtf_tokens* t, int c, rtf_token* token) {
    switch (t->mode) {
        case TEXT:
            if (c == '\\') {
                t->mode = ESCAPE;
            } else if (c == '{' || c == '}') {
                token->kind = c == '{' ? RTF_GROUP_OPEN : RTF_GROUP_CLOSE;
            } else {
                token->kind = RTF_TEXT;
                token->skipped = c != '\t' && c != '\r' && c != '\n' && c != '\0' && stand_in_take(t);
            }
            return true;
        case ESCAPE:
            escape_feed(t, c, token);
            return true;
        case LETTERS:
        case DIGITS:
            return word_feed(t, c, token);
        case HEX:
            return hex_feed(t, c, token);
        default:
            token->kind = RTF_BINARY;
            if (--t->binary_left == 0) t->mode = TEXT;
            return true;
    }
}

}  // namespace

void rtf_tokens_start(rtf_tokens* tokens) {
    memset(tokens, 0, sizeof *tokens);
    tokens->unicode_skip = 1;
}

bool rtf_tokens_feed(rtf_tokens* t, int c, rtf_token* token) {
    token_clear(token, RTF_NOTHING, c);
    bool taken = byte_feed(t, c, token);
    t->handed_back = !taken;
    return taken;
}

void rtf_tokens_end(rtf_tokens* t, rtf_token* token) {
    token_clear(token, RTF_END, 0);
    // a lone backslash at the end is nothing
    if (t->mode == LETTERS || t->mode == DIGITS) {
        word_end(t, token);
    } else if (t->mode == HEX) {
        hex_end(t, token);
    }
}

size_t rtf_tokens_plain_run(const rtf_tokens* t, const unsigned char* bytes, size_t size) {
    if (t->mode != TEXT || t->skip_left > 0 || t->handed_back) return 0;
    size_t plain = 0;
    while (plain < size && is_plain(bytes[plain])) plain++;
    return plain;
}
