// Document benchmark: loading and saving generated Swedish documents of about 1 MB and 9.5 MB,
// plain text and RTF, through document_load / document_save and, beside them, through a bare
// EM_STREAMIN / EM_STREAMOUT with the least possible callback. Prints medians and ratios; then
// select all and Delete, paste over all, Replace all and their Undo on the 9.5 MB text, once each.
//   bench_document [runs] [large|replace]   (under Wine, with a display; default 3 runs; "large"
//   runs the 9.5 MB rows alone, "replace" its Replace all rows alone)
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_programs.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/search.h"

namespace {

const char* const WORDS[] = {"brevduvan", "flyger",  "över",   "sjön",   "med",   "ett",    "långt", "brev",
                             "från",      "Åre",     "till",   "Östersund", "där", "hälsningar", "väntar", "på",
                             "bryggan",   "i",       "sommar", "ängen",  "är",    "grön",   "och",   "öppen"};
constexpr int WORD_COUNT = sizeof WORDS / sizeof WORDS[0];

std::string rtf_escaped(const char* word) {
    std::string out;
    for (const char* c = word; *c; c++) {
        unsigned char b = (unsigned char)*c;
        if (b < 0x80) {
            out += *c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", b);
            out += hex;
        }
    }
    return out;
}

// Paragraphs of Swedish words; in RTF every few words change bold, italic, underline, colour or size.
std::string make_document(size_t target_bytes, bool rtf) {
    std::string doc;
    if (rtf) {
        doc = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
              "{\\colortbl;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}\\pard\\li400\\fi-400\\tx400\\tx1000 ";
    }
    const char* const runs[] = {"\\b ", "\\b0 ", "\\i ", "\\i0 ", "\\ul ", "\\ulnone ", "\\cf1 ", "\\cf0 ",
                                "\\fs28 ", "\\fs20 ", "\\f1 ", "\\f0 "};
    unsigned seed = 12345;
    int words_in_line = 0;
    while (doc.size() < target_bytes) {
        seed = seed * 1103515245u + 12345u;
        const char* word = WORDS[(seed >> 16) % WORD_COUNT];
        if (rtf && (seed >> 8) % 5 == 0) doc += runs[(seed >> 20) % 12];
        doc += rtf ? rtf_escaped(word) : word;
        if (++words_in_line == 14) {
            doc += rtf ? "\\par\r\n" : "\r\n";
            words_in_line = 0;
        } else {
            doc += (seed >> 12) % 9 == 0 ? "\t" : " ";
        }
    }
    if (rtf) doc += "\\par}";
    return doc;
}

bool write_whole(const std::string& path, const std::string& content) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(f, content.data(), (DWORD)content.size(), &written, nullptr);
    CloseHandle(f);
    return ok && written == content.size();
}

DWORD CALLBACK bare_read(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    ReadFile((HANDLE)cookie, buffer, count, (DWORD*)done, nullptr);
    return 0;
}

DWORD CALLBACK bare_write(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    WriteFile((HANDLE)cookie, buffer, count, (DWORD*)done, nullptr);
    return 0;
}

WPARAM format_of(const std::string& path) { return path.substr(path.size() - 3) == "rtf" ? SF_RTF : SF_TEXT; }

int bare_load(HWND editor, const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EDITSTREAM stream = {(DWORD_PTR)f, 0, bare_read};
    int n = (int)SendMessageA(editor, EM_STREAMIN, format_of(path), (LPARAM)&stream);
    CloseHandle(f);
    return n;
}

int bare_save(HWND editor, const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EDITSTREAM stream = {(DWORD_PTR)f, 0, bare_write};
    int n = (int)SendMessageA(editor, EM_STREAMOUT, format_of(path), (LPARAM)&stream);
    CloseHandle(f);
    return n;
}

double now_ms() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * (double)t.QuadPart / (double)frequency.QuadPart;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct timing {
    std::vector<double> toolkit, bare;
};

template <typename F>
double timed(F action, int* result) {
    double start = now_ms();
    *result = action();
    return now_ms() - start;
}

void report(const char* what, const std::string& name, const timing& t, int toolkit_result, int bare_result) {
    double ours = median(t.toolkit), theirs = median(t.bare);
    std::printf("%-5s %-18s %10.1f %10.1f %7.3f   (results %d / %d)\n", what, name.c_str(), ours, theirs,
                theirs > 0 ? ours / theirs : 0.0, toolkit_result, bare_result);
    std::fflush(stdout);
}

HWND fresh_editor(HWND parent) { return editor_create(parent, 0, 0, 0, 0, "VHSCROLL", 10000000); }

DWORD CALLBACK discard(DWORD_PTR, LPBYTE, LONG count, LONG* done) {
    *done = count;
    return 0;
}

// Runs the two actions in turn, alternating which goes first, so that drift and warm-up hit
// both alike.
template <typename A, typename B>
void alternate(int turn, A toolkit, B bare, timing* t, int* toolkit_result, int* bare_result) {
    if (turn % 2 == 0) t->toolkit.push_back(timed(toolkit, toolkit_result));
    t->bare.push_back(timed(bare, bare_result));
    if (turn % 2 == 1) t->toolkit.push_back(timed(toolkit, toolkit_result));
}

// Every load goes into a new, empty editor: the control takes long to delete a large text it
// already holds (see the emptying row), which would swamp what is measured here. Saves are
// cheap beside loads, so each load is followed by several of them.
void bench_file(HWND parent, const std::string& folder, const std::string& name, int runs) {
    constexpr int SAVES_PER_LOAD = 5;
    std::string source = folder + name;
    std::string ours = folder + "ut-" + name, theirs = folder + "bar-" + name;
    timing load, save;
    int a = 0, b = 0, c = 0, d = 0;
    for (int i = 0; i < runs; i++) {
        HWND editor = fresh_editor(parent);
        HWND other = fresh_editor(parent);
        alternate(i, [&] { return document_load(&editor, source.c_str()); }, [&] { return bare_load(other, source); },
                  &load, &a, &b);
        EDITSTREAM warm_up = {0, 0, discard};
        SendMessageA(editor, EM_STREAMOUT, format_of(source), (LPARAM)&warm_up);
        for (int k = 0; k < SAVES_PER_LOAD; k++) {
            alternate(i + k, [&] { return document_save(editor, ours.c_str()); },
                      [&] { return bare_save(editor, theirs); }, &save, &c, &d);
        }
        DestroyWindow(editor);
        DestroyWindow(other);
    }
    report("load", name, load, a, b);
    report("save", name, save, c, d);
}

// Emptying a loaded document (as New does) against the control emptying itself in one go.
// Once each: the control's own way takes about half a minute for a megabyte.
void bench_emptying(HWND parent, const std::string& folder, const std::string& name) {
    std::string source = folder + name;
    HWND editor = fresh_editor(parent);
    HWND other = fresh_editor(parent);
    document_load(&editor, source.c_str());
    bare_load(other, source);
    timing t;
    int a = 0, b = 0;
    t.toolkit.push_back(timed([&] { return editor_set_text(&editor, ""); }, &a));
    t.bare.push_back(timed([&] { return (int)SendMessageA(other, WM_SETTEXT, 0, (LPARAM)""); }, &b));
    report("empty", name, t, a, b);
    DestroyWindow(editor);
    DestroyWindow(other);
}

// Select all and Delete on the 9.5 MB prose of the start benchmarks (about 120,000 lines), its Undo, and a paste of the same text over all, as
// the program runs them (the editor's procedure, the document step), once each: the control's
// own way took minutes (about a minute for 30,000 short paragraphs, its Undo six).
void bench_large_selection(HWND parent, const std::string& folder, bool replace_only) {
    std::string name = "9.5mb-prose.txt", source = folder + name;
    if (!write_whole(source, bench::document_text(9500000, false))) return;
    HWND editor = fresh_editor(parent);
    document_load(&editor, source.c_str());
    std::string text(editor_text_length(editor) + 1, '\0');
    GetWindowTextA(editor, &text[0], (int)text.size());
    int length = editor_text_length(editor), result = 0;
    auto step = [&](const char* what, auto action) {
        double ms = timed(action, &result);
        editor = GetDlgItem(parent, 1);  // a large selection is replaced in a new control
        std::printf("%-24s %-18s %10.1f   (length then %d of %d)\n", what, name.c_str(), ms, editor_text_length(editor),
                    length);
        std::fflush(stdout);
    };
    if (!replace_only) {
        step("select all, Delete", [&] {
            editor_select_all(editor);
            return (int)SendMessageA(editor, WM_KEYDOWN, VK_DELETE, 0);
        });
        step("its Undo", [&] { return (int)document_step_undo(&editor); });
        if (OpenClipboard(parent)) {
            EmptyClipboard();
            if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size())) {
                memcpy(GlobalLock(block), text.data(), text.size());
                GlobalUnlock(block);
                if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
            }
            CloseClipboard();
        }
        step("paste over all", [&] {
            editor_select_all(editor);
            return (int)SendMessageA(editor, WM_PASTE, 0, 0);
        });
        step("its Undo", [&] { return (int)document_step_undo(&editor); });
    }
    // every "brev" of the text (83,536), as the replace dialog's Replace all does it
    step("replace all", [&] { return editor_replace_all(&editor, "brev", "kort", FR_MATCHCASE | FR_WHOLEWORD); });
    std::printf("%-24s %d\n", "  words replaced", result);
    step("its Undo", [&] { return (int)document_step_undo(&editor); });
    DestroyWindow(editor);
    DeleteFileA(source.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    HWND parent = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HWND probe = fresh_editor(parent);
    if (!probe) {
        std::fprintf(stderr, "no editor (is there a display?)\n");
        return 1;
    }
    DestroyWindow(probe);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "brevduva-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const struct {
        const char* name;
        size_t bytes;
        bool rtf;
    } documents[] = {{"1mb.txt", 1000000, false}, {"1mb.rtf", 1000000, true},
                     {"9.5mb.txt", 9500000, false}, {"9.5mb.rtf", 9500000, true}};
    if (argc > 2 && (std::strcmp(argv[2], "large") == 0 || std::strcmp(argv[2], "replace") == 0)) {
        bench_large_selection(parent, folder, std::strcmp(argv[2], "replace") == 0);
        RemoveDirectoryA(folder.c_str());
        return 0;
    }
    std::printf("%d runs each; medians in milliseconds; ratio = toolkit / bare (target <= 1.15)\n", runs);
    std::printf("%-5s %-18s %10s %10s %7s\n", "", "document", "toolkit", "bare", "ratio");
    for (const auto& doc : documents) {
        if (!write_whole(folder + doc.name, make_document(doc.bytes, doc.rtf))) {
            std::fprintf(stderr, "cannot write %s\n", doc.name);
            return 1;
        }
        bench_file(parent, folder, doc.name, runs);
    }
    bench_emptying(parent, folder, documents[0].name);
    bench_large_selection(parent, folder, false);
    for (const auto& doc : documents) {
        for (const char* prefix : {"", "ut-", "bar-"}) DeleteFileA((folder + prefix + doc.name).c_str());
    }
    RemoveDirectoryA(folder.c_str());
    DestroyWindow(parent);
    return 0;
}
