// The document as RTF, the control's writer mended on its way out.
#include "toolkit/richedit/rtf_write.h"

#include <stdio.h>
#include <string.h>

#include <map>
#include <vector>

namespace {

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A byte that stands for itself in the text.
bool is_plain_text(char c) {
    return c != '\\' && c != '{' && c != '}' && c != '\r' && c != '\n' && c != '\0';
}

int hex_value(char c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One token of the writer's output, as the span [start, end) of it.
enum token_kind { TOKEN_OPEN, TOKEN_CLOSE, TOKEN_WORD, TOKEN_CHARACTER, TOKEN_SKIPPED };

struct token {
    token_kind kind;
    size_t start, end;
    std::string word;  // a control word's letters
    bool has_number;
    long number;
    int character;  // a character of the text: a byte, or a \uN's unit
};

// The next token from at: a group's brace, a control word with its number and its ending blank,
// a character of the text (\'hh, \{, a plain byte, \uN with the one character it stands for
// in older readers) or a line end the reader skips.
token token_next(const std::string& s, size_t at) {
    token t = {TOKEN_CHARACTER, at, at + 1, std::string(), false, 0, (unsigned char)s[at]};
    char c = s[at];
    if (c == '{' || c == '}') {
        t.kind = c == '{' ? TOKEN_OPEN : TOKEN_CLOSE;
        return t;
    }
    if (c == '\r' || c == '\n' || c == '\0') {
        t.kind = TOKEN_SKIPPED;
        return t;
    }
    if (c != '\\' || at + 1 >= s.size()) return t;
    char next = s[at + 1];
    if (next == '\'' && at + 3 < s.size() && hex_value(s[at + 2]) >= 0 && hex_value(s[at + 3]) >= 0) {
        t.character = hex_value(s[at + 2]) * 16 + hex_value(s[at + 3]);
        t.end = at + 4;
        return t;
    }
    if (!is_letter(next)) {
        t.character = (unsigned char)next;
        t.end = at + 2;
        if (next != '{' && next != '}' && next != '\\') t.kind = TOKEN_WORD;  // \* and the like
        return t;
    }
    size_t i = at + 1;
    while (i < s.size() && is_letter(s[i])) i++;
    t.kind = TOKEN_WORD;
    t.word.assign(s, at + 1, i - at - 1);
    size_t digits = i;
    if (i < s.size() && s[i] == '-') i++;
    while (i < s.size() && is_digit(s[i])) i++;
    if (i > digits && is_digit(s[i - 1])) {
        t.has_number = true;
        t.number = strtol(s.c_str() + digits, nullptr, 10);
    } else {
        i = digits;
    }
    if (i < s.size() && s[i] == ' ') i++;
    t.end = i;
    if (t.word == "u" && t.has_number) {
        // the writer's \uc1: one character follows for readers without Unicode
        t.kind = TOKEN_CHARACTER;
        t.character = (unsigned short)(short)t.number;
        if (i < s.size()) t.end = token_next(s, i).end;
    }
    return t;
}

// A letter the writer turned into a look-alike: Windows-1252 lacks it. Surrogates and letters it
// has come out right already.
bool letter_replaced(wchar_t letter) {
    if (letter < 0x80) return false;
    char byte;
    BOOL lost = FALSE;
    int made = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &letter, 1, &byte, 1, nullptr, &lost);
    return made != 1 || lost;
}

// True when the writer replaced a letter of the text: one pass of the platform over all of it.
bool text_needs_letters(const std::wstring& text) {
    if (text.empty()) return false;
    std::string bytes(text.size(), '\0');
    BOOL lost = FALSE;
    int made = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, text.data(), (int)text.size(), &bytes[0],
                                   (int)bytes.size(), nullptr, &lost);
    return made != (int)text.size() || lost;
}

// The font table's entries, one per face and character set: each later spelling of a face
// already listed stands for the first one.
struct font_table {
    std::map<long, long> same_as;  // an entry left out, and the one the text then uses
};

std::string lower_case(std::string name) {
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    }
    return name;
}

// Copies the table group that starts at `at` into out without repeated faces; returns where it ends.
size_t font_table_copy(const std::string& s, size_t at, font_table& table, std::string& out) {
    std::map<std::string, long> first;  // face and character set, and its first entry
    size_t i = token_next(s, at).end;   // past "{"
    int depth = 1;
    out += "{";
    while (i < s.size() && depth > 0) {
        token t = token_next(s, i);
        if (depth == 1 && t.kind == TOKEN_OPEN) {
            // one entry: {\fN\fcharsetM name;}
            size_t end = i;
            int inner = 0;
            do {
                token e = token_next(s, end);
                if (e.kind == TOKEN_OPEN) inner++;
                if (e.kind == TOKEN_CLOSE) inner--;
                end = e.end;
            } while (inner > 0 && end < s.size());
            std::string entry(s, i, end - i);
            long number = -1;
            std::string key;
            for (size_t k = 1; k < entry.size();) {
                token e = token_next(entry, k);
                if (e.kind == TOKEN_WORD && e.word == "f" && e.has_number && number < 0) number = e.number;
                else if (e.kind == TOKEN_WORD && e.word != "f") key += "\\" + e.word + std::to_string(e.number) + " ";
                else if (e.kind == TOKEN_CHARACTER) key += std::string(entry, e.start, e.end - e.start);
                k = e.end;
            }
            key = lower_case(key);
            auto known = first.find(key);
            if (number >= 0 && known != first.end()) {
                table.same_as[number] = known->second;
            } else {
                if (number >= 0) first[key] = number;
                out += entry;
            }
            i = end;
            continue;
        }
        if (t.kind == TOKEN_OPEN) depth++;
        if (t.kind == TOKEN_CLOSE) depth--;
        if (t.start != at) out.append(s, t.start, t.end - t.start);
        i = t.end;
    }
    return i;
}

void word_put(std::string& out, const char* word, long number) {
    char text[32];
    snprintf(text, sizeof text, "\\%s%ld ", word, number);
    out += text;
}

// The indents the writer names for a paragraph: its \li is the first line's offset from the
// other lines, its \fi where the other lines stand less that offset.
struct indents_held {
    bool held;
    long offset, start;
};

void indents_put(std::string& out, indents_held& indents) {
    if (!indents.held) return;
    if (indents.offset != 0 || indents.start != 0) {
        char words[48];
        snprintf(words, sizeof words, "\\li%ld\\fi%ld ", indents.start + indents.offset, -indents.offset);
        out += words;
    }
    indents = indents_held{false, 0, 0};
}

// Follows the document's text through the characters of the writer's body; false once they part
// (something the text and the RTF hold differently), and then nothing more is mended.
struct text_follow {
    const std::wstring* text;
    size_t at;
    bool in_step;
};

wchar_t text_take(text_follow& follow) {
    if (!follow.in_step || follow.at >= follow.text->size()) {
        follow.in_step = false;
        return 0;
    }
    return (*follow.text)[follow.at++];
}

// The writer's character c in the body stands for the next letter of the text: copied as it
// is, or as \uN? where the writer replaced the letter.
void character_put(const std::string& s, const token& t, text_follow& follow, std::string& out) {
    if (!follow.in_step) {
        out.append(s, t.start, t.end - t.start);
        return;
    }
    wchar_t letter = text_take(follow);
    if (follow.in_step && letter_replaced(letter) && t.character != letter) {
        char text[24];
        snprintf(text, sizeof text, "\\u%d?", (int)(short)letter);
        out += text;
        return;
    }
    if (letter != t.character && !(letter >= 0x80 && t.character >= 0x80)) follow.in_step = false;
    out.append(s, t.start, t.end - t.start);
}

// A word of the body that stands for characters of the text.
void text_word_follow(const token& t, text_follow& follow) {
    if (!follow.in_step) return;
    if (t.word == "tab") {
        if (text_take(follow) != L'\t') follow.in_step = false;
    } else if (t.word == "par") {
        // the document's last paragraph mark is not part of its text; a text file's paragraphs
        // end as its lines did, in CR LF, LF, CR or CR CR LF
        if (follow.at >= follow.text->size()) return;
        wchar_t end = text_take(follow);
        const std::wstring& text = *follow.text;
        if (end == L'\r' && follow.at + 1 < text.size() && text[follow.at] == L'\r' && text[follow.at + 1] == L'\n') {
            follow.at += 2;
        } else if (end == L'\r' && follow.at < text.size() && text[follow.at] == L'\n') {
            follow.at++;
        } else if (end != L'\r' && end != L'\n') {
            follow.in_step = false;
        }
    } else if (t.word == "line") {
        text_take(follow);
    } else if (t.word == "cell" || t.word == "row" || t.word == "nestcell") {
        follow.in_step = false;
    }
}

}  // namespace

std::string rtf_written_mend(const std::string& written, const std::wstring& text) {
    std::string out;
    out.reserve(written.size() + written.size() / 16);
    font_table fonts;
    indents_held indents = {false, 0, 0};
    text_follow follow = {&text, 0, !text.empty()};
    int depth = 0;
    bool group_start = false;
    long body_face = -1;        // the face the body's text is in
    bool word_unended = false;  // the last word out needs a blank or a backslash after it
    for (size_t i = 0; i < written.size();) {
        if (!follow.in_step && !indents.held && is_plain_text(written[i])) {
            // a run of text that needs nothing mended goes over whole
            size_t end = i + 1;
            while (end < written.size() && is_plain_text(written[end])) end++;
            out.append(written, i, end - i);
            word_unended = false;
            group_start = false;
            i = end;
            continue;
        }
        token t = token_next(written, i);
        if (t.kind == TOKEN_WORD && depth == 1 && (t.word == "li" || t.word == "fi")) {
            indents.held = true;
            (t.word == "li" ? indents.offset : indents.start) = t.has_number ? t.number : 0;
            i = t.end;
            continue;
        }
        if (indents.held) word_unended = false;
        indents_put(out, indents);
        if (t.kind == TOKEN_WORD && group_start && depth == 2 && t.word == "fonttbl") {
            // the group's "{" is already out; the table is copied from it again
            out.pop_back();
            i = font_table_copy(written, t.start - 1, fonts, out);
            depth--;
            group_start = false;
            continue;
        }
        group_start = t.kind == TOKEN_OPEN;
        if (t.kind == TOKEN_OPEN) depth++;
        if (t.kind == TOKEN_CLOSE) depth--;
        if (t.kind == TOKEN_WORD && t.word == "f" && t.has_number && depth == 1) {
            // a face that changed only its spelling is no change: the word goes, its blank stays
            bool respelled = fonts.same_as.count(t.number) != 0;
            long face = respelled ? fonts.same_as[t.number] : t.number;
            if (face == body_face) {
                // the blank ends the word before, if there is one; before text it would be text
                if (written[t.end - 1] == ' ' && word_unended) out += ' ';
                word_unended = word_unended && written[t.end - 1] != ' ';
                body_face = face;
                i = t.end;
                continue;
            } else if (respelled) {
                word_put(out, "f", face);
            } else {
                out.append(written, t.start, t.end - t.start);
            }
            body_face = face;
        } else if (t.kind == TOKEN_WORD && t.word == "f" && t.has_number && fonts.same_as.count(t.number)) {
            word_put(out, "f", fonts.same_as[t.number]);
        } else if (t.kind == TOKEN_CHARACTER && depth == 1) {
            character_put(written, t, follow, out);
        } else if (t.kind != TOKEN_SKIPPED || depth > 0) {
            if (t.kind == TOKEN_WORD && depth == 1) text_word_follow(t, follow);
            out.append(written, t.start, t.end - t.start);
        }
        word_unended = t.kind == TOKEN_WORD && written[t.end - 1] != ' ';
        i = t.end;
        // nothing after the brace that closes the document: the writer adds a NUL
        if (t.kind == TOKEN_CLOSE && depth == 0) break;
    }
    return out;
}

namespace {

DWORD CALLBACK bytes_append(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
    ((std::string*)cookie)->append((const char*)bytes, count);
    *done = count;
    return 0;
}

LONG streamed(HWND editor, WPARAM format, std::string& bytes) {
    EDITSTREAM stream = {(DWORD_PTR)&bytes, 0, bytes_append};
    LONG count = (LONG)SendMessageA(editor, EM_STREAMOUT, format, (LPARAM)&stream);
    return stream.dwError ? -1 : count;
}

}  // namespace

LONG rtf_write(HWND editor, WPARAM selection, std::string& rtf) {
    std::string written;
    LONG count = streamed(editor, SF_RTF | selection, written);
    if (count < 0) return -1;
    std::string units;
    if (streamed(editor, SF_TEXT | SF_UNICODE | selection, units) < 0) return -1;
    std::wstring text((const wchar_t*)units.data(), units.size() / sizeof(wchar_t));
    units.clear();
    // only a text holding a letter the writer replaces is followed through the RTF
    if (!text_needs_letters(text)) text.clear();
    rtf = rtf_written_mend(written, text);
    return count;
}
