// Speed beside a peer: the word processor and the platform's own word pad on the same machine in
// one run. Each row starts the program (with a generated document on the command line for the
// open rows) and times it until its window is idle with the document in its editor; beside the
// times, the peak working set of each program (medians).
//   bench_peer [runs] [peer.exe]   (run under Wine from the build folder; default 3 runs)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_programs.h"

namespace {

const char* const DEFAULT_PEER = "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe";

using bench::timing;

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
    bench::time_until_idle(own, nullptr);  // the file cache is the same for both from here on
    bench::time_until_idle(peer, nullptr);
    std::printf("from start until the window is idle, median of %d runs (ms)\n", runs);
    std::printf("%-22s %10s %10s %8s  %-4s %10s %10s %9s %9s\n", "", "brevduva", "peer", "ratio", "<=1", "chars",
                "peer chars", "peak MB", "peer MB");
    row_print("start, no document", median_of(own, nullptr, runs), median_of(peer, nullptr, runs));
    for (const document_row& row : rows) {
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
    std::printf("peer: %s\n", peer);
    return 0;
}
