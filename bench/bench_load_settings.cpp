// What each setting of the editor control costs when a large document is read: one bare
// EM_STREAMIN into the control set up as the word processor sets it up, against the same read
// with one setting changed, and against the word processor's own ways of reading a document at
// start (the margin pass after the read, as it was; the paragraphs read in on the margin, as now).
// Every read runs in a fresh process of its own (this program, started again), so no read
// inherits the memory another one left; the settings take turns; medians in milliseconds.
//   bench_load_settings [runs]   (run under Wine from the build folder, with a display; default 3)
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_programs.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/windows/input.h"

namespace {

constexpr LPARAM PROGRAM_EVENTS = ENM_CHANGE | ENM_UPDATE | ENM_SCROLL | ENM_KEYEVENTS | ENM_MOUSEEVENTS |
                                  ENM_REQUESTRESIZE | ENM_SELCHANGE | ENM_DROPFILES | ENM_PROTECTED;
constexpr DWORD PROGRAM_STYLE = WS_CHILD | WS_VISIBLE | ES_NOHIDESEL | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_MULTILINE |
                                WS_HSCROLL | WS_VSCROLL;

struct setting {
    const char* name;
    const char* what;
};

const setting text_settings[] = {
    {"program", "as the program sets it up"},
    {"wrap", "wrapped to the window"},
    {"quiet", "event mask 0 during the read"},
    {"small", "reads of at most 512 bytes"},
    {"noredraw", "no redraw during the read"},
    {"hidden", "hidden during the read"},
    {"limit", "text limit 2^31-2"},
    {"class20", "class RichEdit20W (record)"},
    {"times", "Times New Roman (record)"},
    {"pass", "start: margin pass after"},
    {"margin", "start: read on the margin"},
};
const setting rtf_settings[] = {
    {"program", "as the program sets it up"},
    {"pass", "start: margin pass after"},
    {"margin", "start: read on the margin"},
};
const setting long_settings[] = {
    {"program", "as the program sets it up"},
    {"wrap", "wrapped to the window"},
};

LONG read_limit = 0;  // 0: as much as the control asks for

DWORD CALLBACK file_read(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    if (read_limit > 0 && count > read_limit) count = read_limit;
    ReadFile((HANDLE)cookie, buffer, count, (DWORD*)done, nullptr);
    return 0;
}

LRESULT CALLBACK frame_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

void messages_pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// One read in this process, with the setting named; the milliseconds until it is read, shown
// and every message handled.
int one_read(const std::string& name, const char* path) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = frame_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "bench_frame";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, "bench_frame", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 150, 10, 700, 600,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    messages_pump();
    const char* control_class = "RICHEDIT";
    if (name == "class20") {
        LoadLibraryA("riched20.dll");
        control_class = "RichEdit20W";
    } else {
        LoadLibraryA("RichEd32.DLL");
    }
    DWORD style = PROGRAM_STYLE;
    if (name == "wrap") style &= ~(ES_AUTOHSCROLL | WS_HSCROLL);
    RECT client;
    GetClientRect(frame, &client);
    HWND editor = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, control_class, "", style, 0, 25, client.right,
                                  client.bottom - 46, frame, (HMENU)1, wc.hInstance, nullptr);
    SendMessageA(editor, EM_EXLIMITTEXT, 0, name == "limit" ? 0x7FFFFFFE : 10000000);
    SendMessageA(editor, EM_SETEVENTMASK, 0, PROGRAM_EVENTS);
    HFONT font = font_create(editor, 10, 100, 0, 0, name == "times" ? "Times New Roman" : "ARIAL");
    SendMessageA(editor, WM_SETFONT, (WPARAM)font, TRUE);
    messages_pump();
    bool rtf = strstr(path, ".rtf") != nullptr;
    double start = bench::now_ms();
    if (name == "margin") {
        document_load_on_margin(&editor, path, 1, 20, 30);
    } else if (name == "pass") {
        document_load(&editor, path);
        editor_set_indent_and_tabs(editor, 1, 20, 30);
    } else {
        if (name == "quiet") SendMessageA(editor, EM_SETEVENTMASK, 0, 0);
        if (name == "noredraw") SendMessageA(editor, WM_SETREDRAW, FALSE, 0);
        if (name == "hidden") ShowWindow(editor, SW_HIDE);
        if (name == "small") read_limit = 512;
        HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        EDITSTREAM stream = {(DWORD_PTR)file, 0, file_read};
        SendMessageA(editor, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, (LPARAM)&stream);
        CloseHandle(file);
        if (name == "quiet") SendMessageA(editor, EM_SETEVENTMASK, 0, PROGRAM_EVENTS);
        if (name == "noredraw") {
            SendMessageA(editor, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(editor, nullptr, TRUE);
        }
        if (name == "hidden") ShowWindow(editor, SW_SHOW);
    }
    UpdateWindow(frame);
    messages_pump();
    return (int)(bench::now_ms() - start);
}

// Runs one read in a process of its own; its milliseconds, or -1.
double read_timed(const char* self, const char* name, const std::string& path) {
    std::string line = std::string("\"") + self + "\" --one " + name + " " + path;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(self, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return -1;
    WaitForSingleObject(process.hProcess, 600000);
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

template <size_t N>
void table_print(const char* self, const char* title, const std::string& path, const setting (&settings)[N], int runs) {
    std::vector<double> times[N];
    for (int i = 0; i < runs; i++) {
        for (size_t k = 0; k < N; k++) {
            size_t s = (k + i) % N;  // a different setting goes first in each round
            times[s].push_back(read_timed(self, settings[s].name, path));
        }
    }
    std::printf("%s\n", title);
    double program = bench::median(times[0]);
    for (size_t s = 0; s < N; s++) {
        double ms = bench::median(times[s]);
        std::printf("  %-32s %8.0f %7.2f\n", settings[s].what, ms, program > 0 ? ms / program : 0.0);
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3 && strcmp(argv[1], "--one") == 0) return one_read(argv[2], argv[3]);
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string text = bench::document_write("settings9mb.txt", 9500000, false);
    std::string rtf = bench::document_write("settings9mb.rtf", 9500000, true);
    // wrapped, long paragraphs take a time growing faster than their length: two sizes show it
    std::string long_small = bench::long_lines_write("settings1mb-long.txt", 1000000);
    std::string long_large = bench::long_lines_write("settings3mb-long.txt", 3000000);
    if (text.empty() || rtf.empty() || long_small.empty() || long_large.empty()) {
        std::fprintf(stderr, "cannot write the documents\n");
        return 1;
    }
    std::printf("one read into the editor control, median of %d runs (ms), and its ratio to the control as the\n"
                "program sets it up\n", runs);
    table_print(self, "9.5 MB text, lines of about 80 characters", text, text_settings, runs);
    table_print(self, "9.5 MB RTF, lines of about 80 characters", rtf, rtf_settings, runs);
    table_print(self, "1 MB text, paragraphs of about 3,000 characters", long_small, long_settings, runs);
    table_print(self, "3 MB text, paragraphs of about 3,000 characters", long_large, long_settings, runs);
    for (const std::string& path : {text, rtf, long_small, long_large}) DeleteFileA(path.c_str());
    return 0;
}
