// RTF as the control's reader splits it up: groups, control words with their numbers, control
// symbols, characters written as \'hh, text and \bin data. Fed one byte at a time, it hands
// back the tokens in order; what they may be is for its caller to judge.
#pragma once
#include <stddef.h>

// Letters and digits of one control word; the reader holds about a thousand.
constexpr int RTF_WORD_LIMIT = 255;

enum rtf_token_kind {
    RTF_NOTHING,  // the byte is part of a token not yet complete
    RTF_GROUP_OPEN,
    RTF_GROUP_CLOSE,
    RTF_WORD,
    RTF_SYMBOL,  // a backslash and one character that is no letter and no '
    RTF_HEX,
    RTF_TEXT,
    RTF_BINARY,  // one byte of the data after \binN
    RTF_END,
};

struct rtf_token {
    rtf_token_kind kind;
    int value;             // the byte of text, symbol or data; the character of a \'hh
    bool skipped;          // a character that stands in for the \uN before it
    const char* word;      // the letters of a control word, valid until the next byte is fed
    bool has_number;       // the word's number, within 32 bits as the reader's numbers wrap
    long long number;      // round past them
    bool over_long;        // more than RTF_WORD_LIMIT letters and digits: the word ends there
    char hex[3];           // the digits of a \'hh as written, none to two
};

// The state between two bytes; its fields are the tokenizer's own.
struct rtf_tokens {
    int mode;
    char word[RTF_WORD_LIMIT + 1];
    int word_letters, word_length;
    bool has_number, negative;
    long long number;
    char hex[3];
    int hex_digits, hex_value;
    long long binary_left;
    int unicode_skip, skip_left;  // what stands in for each \uN letter, and what is left of it
    bool handed_back;             // the last byte fed only ended a token: it comes again
};

void rtf_tokens_start(rtf_tokens* tokens);
// The token that byte c completes, or RTF_NOTHING. False when c did no more than end the token
// before it (a control word's delimiter other than a space, what cuts a \'h short): feed it again.
bool rtf_tokens_feed(rtf_tokens* tokens, int c, rtf_token* token);
// At the end of the input: the token cut short there, or RTF_END.
void rtf_tokens_end(rtf_tokens* tokens, rtf_token* token);
// How many of the bytes ahead are plain text, each a token of its own with no meaning beyond
// itself (no escape, brace, tab, line end or NUL): 0 within a token, for a byte handed back, or
// while a \uN's stand-in characters are due; those are fed one by one.
size_t rtf_tokens_plain_run(const rtf_tokens* tokens, const unsigned char* bytes, size_t size);
