// Speed beside a peer: the word processor and the platform's own word pad on the same machine in
// one run. Each row starts the program (with a generated document on the command line for the
// open rows) and times it until its window is idle with the document in its editor.
//   bench_peer [runs] [peer.exe]   (run under Wine from the build folder; default 3 runs)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const DEFAULT_PEER = "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe";

// Enumeration step: keeps the first visible, unowned top-level window of the process in search.
BOOL CALLBACK main_window_step(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<std::pair<DWORD, HWND>*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != search->first || !IsWindowVisible(w) || GetWindow(w, GW_OWNER)) return TRUE;
    search->second = w;
    return FALSE;
}

HWND main_window_of(DWORD process) {
    std::pair<DWORD, HWND> search(process, nullptr);
    EnumWindows(main_window_step, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

BOOL CALLBACK find_editor(HWND w, LPARAM lp) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    CharUpperA(name);
    if (std::strstr(name, "RICHEDIT")) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

double now_ms() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return 1000.0 * count.QuadPart / frequency.QuadPart;
}

struct timing {
    double ms;       // -1 when the program did not come up
    long characters; // what its editor holds then
};

// From CreateProcess until the main window is there, the program waits for input, and its
// editor answers with its length (which also waits for the editor's work to be done).
timing time_until_idle(const char* exe, const char* document) {
    std::string line = std::string("\"") + exe + "\"";
    if (document) line += std::string(" ") + document;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    timing t = {-1, 0};
    double start = now_ms();
    if (!CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return t;
    HWND window = nullptr;
    // a program that ended before showing a window (no display, say) fails the row at once
    while (!window && now_ms() - start < 300000 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        WaitForInputIdle(process.hProcess, 50);
        window = main_window_of(process.dwProcessId);
    }
    WaitForInputIdle(process.hProcess, 300000);
    HWND editor = nullptr;
    if (window) EnumChildWindows(window, find_editor, reinterpret_cast<LPARAM>(&editor));
    DWORD_PTR length = 0;
    if (editor) SendMessageTimeoutA(editor, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 300000, &length);
    if (window) t = {now_ms() - start, (long)length};
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return t;
}

// Swedish prose in lines of about 80 characters; as RTF, with a change of weight, slant or
// size every few words.
std::string document_text(size_t bytes, bool rtf) {
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

// Writes the document into the temporary folder under a name without blanks (the word
// processor takes its command-line tail as it stands). Its Windows path, or empty.
std::string document_write(const char* name, size_t bytes, bool rtf) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetShortPathNameA(folder, folder, sizeof folder);
    std::string path = std::string(folder) + name;
    std::string text = document_text(bytes, rtf);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(file);
    return written == text.size() ? path : "";
}

struct row_result {
    double ms;
    long characters;
};

row_result median_of(const char* exe, const char* document, int runs) {
    std::vector<double> times;
    long characters = 0;
    for (int i = 0; i < runs; i++) {
        timing t = time_until_idle(exe, document);
        if (t.ms < 0) return {-1, 0};
        times.push_back(t.ms);
        characters = t.characters;
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], characters};
}

void row_print(const char* what, row_result own, row_result peer) {
    double ratio = own.ms > 0 && peer.ms > 0 ? own.ms / peer.ms : 0;
    std::printf("%-22s %10.0f %10.0f %8.2f  %-4s %10ld %10ld\n", what, own.ms, peer.ms, ratio,
                ratio > 0 && ratio <= 1.0 ? "yes" : "NO", own.characters, peer.characters);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const char* peer = argc > 2 ? argv[2] : DEFAULT_PEER;
    char own[MAX_PATH];
    GetFullPathNameA("brevduva.exe", sizeof own, own, nullptr);
    if (GetFileAttributesA(own) == INVALID_FILE_ATTRIBUTES || GetFileAttributesA(peer) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "needs brevduva.exe in the current folder and %s\n", peer);
        return 1;
    }
    struct document_row {
        const char* what;
        const char* name;
        size_t bytes;
        bool rtf;
    };
    const document_row rows[] = {{"open 1 MB text", "peer1mb.txt", 1000000, false},
                                 {"open 9.5 MB text", "peer9mb.txt", 9500000, false},
                                 {"open 1 MB RTF", "peer1mb.rtf", 1000000, true},
                                 {"open 9.5 MB RTF", "peer9mb.rtf", 9500000, true}};
    time_until_idle(own, nullptr);  // the file cache is the same for both from here on
    time_until_idle(peer, nullptr);
    std::printf("from start until the window is idle, median of %d runs (ms)\n", runs);
    std::printf("%-22s %10s %10s %8s  %-4s %10s %10s\n", "", "brevduva", "peer", "ratio", "<=1", "chars", "peer chars");
    row_print("start, no document", median_of(own, nullptr, runs), median_of(peer, nullptr, runs));
    for (const document_row& row : rows) {
        std::string path = document_write(row.name, row.bytes, row.rtf);
        if (path.empty()) {
            std::fprintf(stderr, "cannot write %s\n", row.name);
            return 1;
        }
        row_print(row.what, median_of(own, path.c_str(), runs), median_of(peer, path.c_str(), runs));
        std::fflush(stdout);
        DeleteFileA(path.c_str());
    }
    std::printf("peer: %s\n", peer);
    return 0;
}
