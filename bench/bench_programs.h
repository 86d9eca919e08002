// What the benchmarks that start whole programs share: starting a program with a document,
// timing it until its window is idle with the document in its editor, and the generated
// Swedish documents they open.
#pragma once
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Enumeration step: keeps the first visible, unowned top-level window of the process in search.
inline BOOL CALLBACK main_window_step(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<std::pair<DWORD, HWND>*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != search->first || !IsWindowVisible(w) || GetWindow(w, GW_OWNER)) return TRUE;
    search->second = w;
    return FALSE;
}

inline HWND main_window_of(DWORD process) {
    std::pair<DWORD, HWND> search(process, nullptr);
    EnumWindows(main_window_step, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

inline BOOL CALLBACK find_editor(HWND w, LPARAM lp) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    CharUpperA(name);
    if (std::strstr(name, "RICHEDIT")) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

inline double now_ms() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * count.QuadPart / frequency.QuadPart;
}

struct timing {
    double ms;          // -1 when the program did not come up
    long characters;    // what its editor holds then
    double peak_mb;     // the most memory the process had in use (peak working set)
    std::string title;  // of its main window then
};

// A program started with a document and idle with it in its editor.
struct running_program {
    PROCESS_INFORMATION process;
    HWND window;
    HWND editor;
    long characters;
    double start;  // now_ms() at CreateProcess
};

// From CreateProcess until the main window is there, the program waits for input, and its
// editor answers with its length (which also waits for the editor's work to be done). False
// when the program did not come up; it is ended then.
inline bool program_start_idle(const char* exe, const char* document, running_program* running) {
    std::string line = std::string("\"") + exe + "\"";
    if (document) line += std::string(" ") + document;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    *running = {};
    running->start = now_ms();
    PROCESS_INFORMATION& process = running->process;
    if (!CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return false;
    HWND window = nullptr;
    // a program that ended before showing a window (no display, say) fails the row at once
    while (!window && now_ms() - running->start < 300000 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        WaitForInputIdle(process.hProcess, 50);
        window = main_window_of(process.dwProcessId);
    }
    WaitForInputIdle(process.hProcess, 300000);
    HWND editor = nullptr;
    if (window) EnumChildWindows(window, find_editor, reinterpret_cast<LPARAM>(&editor));
    DWORD_PTR length = 0;
    if (editor) SendMessageTimeoutA(editor, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 300000, &length);
    running->window = window;
    running->editor = editor;
    running->characters = (long)length;
    return window != nullptr;
}

inline void program_end(running_program& running) {
    if (!running.process.hProcess) return;
    TerminateProcess(running.process.hProcess, 0);
    WaitForSingleObject(running.process.hProcess, 10000);
    CloseHandle(running.process.hThread);
    CloseHandle(running.process.hProcess);
    running.process = {};
}

// With copy_all, the time from then on of selecting the whole text and copying it.
inline timing time_until_idle(const char* exe, const char* document, bool copy_all = false) {
    running_program running;
    timing t = {-1, 0, 0, ""};
    if (program_start_idle(exe, document, &running)) {
        t.ms = now_ms() - running.start;
        t.characters = running.characters;
        if (running.editor && copy_all) {
            double copy_start = now_ms();
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(running.editor, EM_SETSEL, 0, -1, SMTO_NORMAL, 300000, &ignored);
            SendMessageTimeoutA(running.editor, WM_COPY, 0, 0, SMTO_NORMAL, 300000, &ignored);
            t.ms = now_ms() - copy_start;
        }
        char title[256] = {};
        GetWindowTextA(running.window, title, sizeof title);
        t.title = title;
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(running.process.hProcess, &memory, sizeof memory)) {
            t.peak_mb = memory.PeakWorkingSetSize / 1048576.0;
        }
    }
    program_end(running);
    return t;
}

inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Swedish prose in lines of about 80 characters; as RTF, with a change of weight, slant or
// size every few words.
inline std::string document_text(size_t bytes, bool rtf) {
    static const char* const words[] = {"brevduvan", "lyfte",  "från",  "taket", "vid", "älven", "och",
                                        "bar",       "ett",    "kort",  "brev",  "om",  "hösten", "på",
                                        "Öland",     "där",    "åkrarna", "låg", "tysta", "under", "månen"};
    static const char* const looks[] = {"\\b ", "\\b0 ", "\\i ", "\\i0 ", "\\fs24 ", "\\fs20 "};
    std::string text = rtf ? "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 " : "";
    unsigned seed = 7;
    size_t line = 0;
    while (text.size() < bytes) {
        seed = seed * 1664525u + 1013904223u;
        if (rtf && seed % 7 == 0) text += looks[(seed >> 8) % 6];
        for (const char* c = words[(seed >> 16) % 21]; *c; c++) {
            unsigned char b = (unsigned char)*c;
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", b);
            text += rtf && b >= 0x80 ? hex : std::string(1, *c);
        }
        line += 8;
        bool end = line > 80;
        text += end ? (rtf ? "\\par\r\n" : "\r\n") : " ";
        if (end) line = 0;
    }
    if (rtf) text += "}";
    return text;
}

// Writes the text into the temporary folder under a name without blanks (the word processor
// takes its command-line tail as it stands). Its Windows path, or empty.
inline std::string temporary_file_write(const char* name, const std::string& text) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetShortPathNameA(folder, folder, sizeof folder);
    std::string path = std::string(folder) + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(file);
    return written == text.size() ? path : "";
}

inline std::string document_write(const char* name, size_t bytes, bool rtf) {
    return temporary_file_write(name, document_text(bytes, rtf));
}

// Long paragraphs: the same prose with a line break only every few thousand characters.
inline std::string long_lines_write(const char* name, size_t bytes) {
    std::string text = document_text(bytes, false);
    size_t kept = 0;
    for (size_t i = 0; i + 1 < text.size(); i++) {
        if (text[i] == '\r' && text[i + 1] == '\n' && ++kept % 50 != 0) text.replace(i, 2, "  ");
    }
    return temporary_file_write(name, text);
}

// A program in the current folder by its full path, or empty when it is not there.
inline std::string program_path(const char* name) {
    char full[MAX_PATH];
    GetFullPathNameA(name, sizeof full, full, nullptr);
    return GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES ? "" : full;
}

}  // namespace bench
