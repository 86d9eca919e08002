// Speed beside a peer: the word processor and the platform's own word pad on the same machine in
// one run. Each row starts the program (with a generated document on the command line for the
// open rows) and times it until its window is idle with the document in its editor; beside the
// times, the peak working set of each program (medians).
// The last row replaces a word all through the 9.5 MB text with each program's replace dialog.
//   bench_peer [runs] [peer.exe] [replace]   (run under Wine from the build folder; default 3
//   runs; "replace" runs the replace row alone)
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_programs.h"

namespace {

const char* const DEFAULT_PEER = "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe";

using bench::timing;

// The platform's replace dialog: its two text fields and its Replace All button.
constexpr int FIND_WHAT_FIELD = 0x480;
constexpr int REPLACE_WITH_FIELD = 0x481;
constexpr int REPLACE_ALL_BUTTON = 0x401;
constexpr const char* REPLACED_WORD = "kort";
constexpr const char* REPLACING_WORD = "vykort";
constexpr long REPLACED_COUNT = 100000;
// a word of the prose as long as the replaced one, turned into it until it occurs often enough
constexpr const char* TURNED_WORD = "brev";

struct row_result {
    double ms;
    long characters;
    double peak_mb;
};

row_result median_of(const char* exe, const char* document, int runs, bool copy_all = false) {
    std::vector<double> times, peaks;
    long characters = 0;
    for (int i = 0; i < runs; i++) {
        timing t = bench::time_until_idle(exe, document, copy_all);
        if (t.ms < 0) return {-1, 0, 0};
        times.push_back(t.ms);
        peaks.push_back(t.peak_mb);
        characters = t.characters;
    }
    return {bench::median(times), characters, bench::median(peaks)};
}

// The replace dialog of the program's process, once it is up.
HWND replace_dialog_wait(DWORD process) {
    for (double start = bench::now_ms(); bench::now_ms() - start < 10000; Sleep(20)) {
        std::pair<DWORD, HWND> search(process, nullptr);
        EnumWindows(
            [](HWND w, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<std::pair<DWORD, HWND>*>(lp);
                DWORD pid = 0;
                char name[16] = {};
                GetWindowThreadProcessId(w, &pid);
                GetClassNameA(w, name, sizeof name);
                if (pid != s->first || !IsWindowVisible(w) || std::strcmp(name, "#32770") != 0) return TRUE;
                if (!GetDlgItem(w, REPLACE_WITH_FIELD)) return TRUE;
                s->second = w;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.second) return search.second;
    }
    return nullptr;
}

void ctrl_key(WORD key) {
    INPUT keys[4] = {};
    for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_CONTROL;
    keys[1].ki.wVk = key;
    keys[2].ki.wVk = key;
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_CONTROL;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
}

// Opens the program's replace dialog with ctrl+H as a user does, fills it and presses Replace
// All; timed from the press until the editor holds the whole replaced text. The count is read
// from the change in length.
row_result replace_all_timed(const char* exe, const char* document) {
    bench::running_program running;
    row_result result = {-1, 0, 0};
    if (!bench::program_start_idle(exe, document, &running)) return result;
    SetForegroundWindow(running.window);
    SetFocus(running.editor);
    Sleep(300);
    ctrl_key('H');
    HWND dialog = replace_dialog_wait(running.process.dwProcessId);
    if (dialog) {
        SetDlgItemTextA(dialog, FIND_WHAT_FIELD, REPLACED_WORD);
        SetDlgItemTextA(dialog, REPLACE_WITH_FIELD, REPLACING_WORD);
        long grow = (long)(std::strlen(REPLACING_WORD) - std::strlen(REPLACED_WORD));
        double start = bench::now_ms();
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(REPLACE_ALL_BUTTON, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, REPLACE_ALL_BUTTON));
        // the editor answers once the program waits for messages again: after its replace all,
        // when it holds every replacement; a program may have put a new editor in the old one's place
        long expected = running.characters + REPLACED_COUNT * grow;
        DWORD_PTR length = running.characters;
        while (bench::now_ms() - start < 900000 && WaitForSingleObject(running.process.hProcess, 0) == WAIT_TIMEOUT) {
            HWND editor = nullptr;
            EnumChildWindows(running.window, bench::find_editor, reinterpret_cast<LPARAM>(&editor));
            if (editor && SendMessageTimeoutA(editor, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 900000, &length) &&
                (long)length == expected) {
                break;
            }
            Sleep(5);
        }
        if ((long)length == expected) {
            result.ms = bench::now_ms() - start;
            result.characters = ((long)length - running.characters) / grow;
        } else {
            DWORD code = 0;
            bool ended = GetExitCodeProcess(running.process.hProcess, &code) && code != STILL_ACTIVE;
            std::fprintf(stderr, "%s: %s after %.0f s, its editor holding %ld characters%s\n", exe,
                         ended ? "ended" : "no whole replace all", (bench::now_ms() - start) / 1000, (long)length,
                         ended ? "" : " (still running)");
        }
    }
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(running.process.hProcess, &memory, sizeof memory)) {
        result.peak_mb = memory.PeakWorkingSetSize / 1048576.0;
    }
    bench::program_end(running);
    return result;
}

// The 9.5 MB prose with the replaced word occurring exactly REPLACED_COUNT times as a word.
std::string replace_document_write(const char* name) {
    std::string text = bench::document_text(9500000, false);
    size_t length = std::strlen(REPLACED_WORD);
    auto word_at = [&](size_t at, const char* word) {
        bool starts = at == 0 || text[at - 1] == ' ' || text[at - 1] == '\n';
        size_t end = at + length;
        return starts && text.compare(at, length, word) == 0 && (end == text.size() || text[end] == ' ' || text[end] == '\r');
    };
    long count = 0;
    for (size_t at = 0; at + length <= text.size(); ++at) count += word_at(at, REPLACED_WORD);
    for (size_t at = 0; at + length <= text.size() && count < REPLACED_COUNT; ++at) {
        if (word_at(at, TURNED_WORD)) {
            text.replace(at, length, REPLACED_WORD);
            ++count;
        }
    }
    return count == REPLACED_COUNT ? bench::temporary_file_write(name, text) : std::string();
}

row_result replace_median(const char* exe, const char* document, int runs) {
    std::vector<double> times, peaks;
    long count = 0;
    for (int i = 0; i < runs; i++) {
        row_result r = replace_all_timed(exe, document);
        if (r.ms < 0) return {-1, 0, 0};
        times.push_back(r.ms);
        peaks.push_back(r.peak_mb);
        count = r.characters;
    }
    return {bench::median(times), count, bench::median(peaks)};
}

void row_print(const char* what, row_result own, row_result peer) {
    double ratio = own.ms > 0 && peer.ms > 0 ? own.ms / peer.ms : 0;
    std::printf("%-22s %10.0f %10.0f %8.2f  %-4s %10ld %10ld %9.0f %9.0f\n", what, own.ms, peer.ms, ratio,
                ratio > 0 && ratio <= 1.0 ? "yes" : "NO", own.characters, peer.characters, own.peak_mb, peer.peak_mb);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const char* peer = argc > 2 ? argv[2] : DEFAULT_PEER;
    std::string own_path = bench::program_path("brevduva.exe");
    const char* own = own_path.c_str();
    if (own_path.empty() || GetFileAttributesA(peer) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "needs brevduva.exe in the current folder and %s\n", peer);
        return 1;
    }
    struct document_row {
        const char* what;
        const char* name;
        size_t bytes;
        bool rtf;
        bool copy_all;  // the row times the copy of the whole text once it is open
    };
    const document_row rows[] = {{"open 1 MB text", "peer1mb.txt", 1000000, false, false},
                                 {"open 9.5 MB text", "peer9mb.txt", 9500000, false, false},
                                 {"open 1 MB RTF", "peer1mb.rtf", 1000000, true, false},
                                 {"open 9.5 MB RTF", "peer9mb.rtf", 9500000, true, false},
                                 {"copy all, 9.5 MB text", "peer9mb.txt", 9500000, false, true},
                                 {"copy all, 9.5 MB RTF", "peer9mb.rtf", 9500000, true, true}};
    bool replace_only = argc > 3 && std::strcmp(argv[3], "replace") == 0;
    bench::time_until_idle(own, nullptr);  // the file cache is the same for both from here on
    bench::time_until_idle(peer, nullptr);
    std::printf("from start until the window is idle, median of %d runs (ms)\n", runs);
    std::printf("%-22s %10s %10s %8s  %-4s %10s %10s %9s %9s\n", "", "brevduva", "peer", "ratio", "<=1", "chars",
                "peer chars", "peak MB", "peer MB");
    if (!replace_only) row_print("start, no document", median_of(own, nullptr, runs), median_of(peer, nullptr, runs));
    for (const document_row& row : rows) {
        if (replace_only) break;
        std::string path = bench::document_write(row.name, row.bytes, row.rtf);
        if (path.empty()) {
            std::fprintf(stderr, "cannot write %s\n", row.name);
            return 1;
        }
        row_print(row.what, median_of(own, path.c_str(), runs, row.copy_all),
                  median_of(peer, path.c_str(), runs, row.copy_all));
        std::fflush(stdout);
        DeleteFileA(path.c_str());
    }
    // the words column holds the number of words replaced
    std::string words = replace_document_write("peer9mb-replace.txt");
    if (words.empty()) {
        std::fprintf(stderr, "cannot write the replace document\n");
        return 1;
    }
    row_print("replace all, 9.5 MB", replace_median(own, words.c_str(), runs), replace_median(peer, words.c_str(), runs));
    DeleteFileA(words.c_str());
    std::printf("peer: %s\n", peer);
    return 0;
}
