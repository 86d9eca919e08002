// Opening a large document against the control alone: the word processor started with the
// document, from start until its window is idle, beside one bare EM_STREAMIN of the same file
// into the same control with the same face (minimal_editor, which times its own EM_STREAMIN).
// The two programs take turns, so drift on a busy machine hits both alike; medians.
// A third row opens long paragraphs (about 3,000 characters), where the wrap setting costs most.
//   bench_open [runs] [wrap]   (run under Wine from the build folder; default 3 runs; wrap 0, 1
//   or 2 sets the word processor's Radbrytning to Ingen, Efter fönstret or Efter sidan for the
//   runs and removes the setting afterwards)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_programs.h"
#include "toolkit/dialogs/user_settings.h"

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    int wrap = argc > 2 ? std::atoi(argv[2]) : -1;
    if (wrap >= 0) settings_write_int("Wrap", wrap);
    std::string own = bench::program_path("brevduva.exe"), bare = bench::program_path("minimal_editor.exe");
    if (own.empty() || bare.empty()) {
        std::fprintf(stderr, "needs brevduva.exe and minimal_editor.exe in the current folder\n");
        return 1;
    }
    const struct {
        const char* what;
        const char* name;
        size_t bytes;
        bool rtf;
        bool long_paragraphs;
    } rows[] = {{"open 9.5 MB text", "open9mb.txt", 9500000, false, false},
                {"open 9.5 MB RTF", "open9mb.rtf", 9500000, true, false},
                {"open 1 MB long par.", "open1mb-long.txt", 1000000, false, true}};
    std::printf("median of %d runs (ms); ratio = brevduva from start until idle / bare EM_STREAMIN (target <= 1.10)\n",
                runs);
    std::printf("%-18s %10s %12s %12s %7s %9s %9s\n", "", "brevduva", "EM_STREAMIN", "bare start", "ratio",
                "peak MB", "bare MB");
    for (const auto& row : rows) {
        std::string path = row.long_paragraphs ? bench::long_lines_write(row.name, row.bytes)
                                               : bench::document_write(row.name, row.bytes, row.rtf);
        if (path.empty()) {
            std::fprintf(stderr, "cannot write %s\n", row.name);
            return 1;
        }
        std::vector<double> ours, stream, bare_start, ours_mb, bare_mb;
        for (int i = 0; i < runs; i++) {
            for (int turn = 0; turn < 2; turn++) {
                bool own_turn = (turn + i) % 2 == 0;
                bench::timing t = bench::time_until_idle(own_turn ? own.c_str() : bare.c_str(), path.c_str());
                if (own_turn) {
                    ours.push_back(t.ms);
                    ours_mb.push_back(t.peak_mb);
                } else {
                    bare_start.push_back(t.ms);
                    bare_mb.push_back(t.peak_mb);
                    stream.push_back(std::atof(t.title.c_str() + t.title.find_first_of("0123456789")));
                }
            }
        }
        double streamed = bench::median(stream);
        std::printf("%-18s %10.0f %12.0f %12.0f %7.2f %9.0f %9.0f\n", row.what, bench::median(ours), streamed,
                    bench::median(bare_start), streamed > 0 ? bench::median(ours) / streamed : 0.0,
                    bench::median(ours_mb), bench::median(bare_mb));
        std::fflush(stdout);
        DeleteFileA(path.c_str());
    }
    if (wrap >= 0) settings_delete("Wrap");
    return 0;
}
