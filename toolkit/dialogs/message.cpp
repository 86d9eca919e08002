// Message boxes and the short text helpers the application builds its messages with.
#include "toolkit/dialogs/message.h"

#include <richedit.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr int PRECISION_SLOTS = 10;
constexpr int DEFAULT_PRECISION = 2;
constexpr int NUMBER_SCRATCH = 100;

// The k-th digit anywhere in the format is the precision of the k-th %f.
void read_precisions(const char* format, int* precisions) {
    for (int i = 0; i < PRECISION_SLOTS; i++) precisions[i] = DEFAULT_PRECISION;
    int next = 0;
    for (const char* c = format; *c && next < PRECISION_SLOTS; c++) {
        if (*c >= '0' && *c <= '9') precisions[next++] = *c - '0';
    }
}

// Fixed-point when it fits the scratch; a number too long for it is written in exponent form.
void format_real(char* scratch, double value, int precision) {
    int needed = snprintf(scratch, NUMBER_SCRATCH, "%.*f", precision, value);
    if (needed < 0 || needed >= NUMBER_SCRATCH) snprintf(scratch, NUMBER_SCRATCH, "%.*e", precision, value);
}

}  // namespace

int prompt_save_changes(HWND editor, const char* caption, const char* question) {
    if (SendMessageA(editor, EM_GETMODIFY, 0, 0) == 0) return 0;
    switch (MessageBoxA(editor, question, caption, MB_YESNOCANCEL)) {
        case IDYES:
            return 1;
        case IDCANCEL:
            return 2;
        case IDNO:
            return 3;
        default:
            return 0;
    }
}

int message_show(HWND owner, const char* caption, char* text, const char* keyword) {
    MessageBoxA(owner, text, caption, MB_OK);
    if (text && keyword && strcmp(keyword, "D") == 0) text[0] = '\0';
    return 0;
}

char* text_append_format(char* destination, const char* format, ...) {
    int precisions[PRECISION_SLOTS];
    read_precisions(format, precisions);
    int reals = 0;
    char scratch[NUMBER_SCRATCH];
    va_list values;
    va_start(values, format);
    for (const char* c = format; *c; c++) {
        if (*c != '%' || c[1] == '\0') continue;
        scratch[0] = '\0';
        switch (*++c) {
            case 'f': {
                // past the tenth %f there is no digit left to choose, so the default holds
                int precision = reals < PRECISION_SLOTS ? precisions[reals] : DEFAULT_PRECISION;
                reals++;
                format_real(scratch, va_arg(values, double), precision);
                break;
            }
            case 'i':
            case 'l':
                wsprintfA(scratch, "%i", va_arg(values, int));
                break;
            case 'u':
            case 'U':
                wsprintfA(scratch, "%u", va_arg(values, unsigned int));
                break;
            case 's': {
                const char* text = va_arg(values, const char*);
                if (text) lstrcatA(destination, text);
                break;
            }
            default:
                break;
        }
        lstrcatA(destination, scratch);
    }
    va_end(values);
    return lstrcatA(destination, "\n");
}

char* text_copy_limited(char* destination, const char* source, int limit) {
    destination[0] = '\0';
    if (limit <= 0) return lstrcpyA(destination, source);
    int i = 0;
    for (; i < limit && source[i]; i++) destination[i] = source[i];
    destination[i] = '\0';
    return destination;
}

int text_to_int(const char* text) {
    return atoi(text);
}

char* int_to_text(char* destination, int value) {
    wsprintfA(destination, "%i", value);
    return destination;
}

int text_length(const char* text) {
    return lstrlenA(text);
}
