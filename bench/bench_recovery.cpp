// Recovery copy benchmark: how long one copy of a 1 MB and a 9.5 MB document holds the program
// up (the control's RTF writer alone, and the whole copy: writer, disk, putting it in place),
// and what that costs while the user types, at one copy a minute.
//   bench_recovery [runs]   (under Wine, with a display; default 3 runs)
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_programs.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"

namespace {

DWORD CALLBACK count_only(DWORD_PTR cookie, LPBYTE, LONG count, LONG* done) {
    *(size_t*)cookie += count;
    *done = count;
    return 0;
}

// A typed letter at the end, as the user's typing changes the document between two copies.
void type_letter(HWND editor) {
    int end = GetWindowTextLengthA(editor);
    SendMessageA(editor, EM_SETSEL, end, end);
    SendMessageA(editor, EM_REPLACESEL, TRUE, (LPARAM) "x");
}

void bench_document(HWND parent, const char* name, size_t bytes, bool rtf, int runs, double interval_ms) {
    std::string path = bench::document_write(name, bytes, rtf);
    HWND editor = editor_create(parent, 0, 0, 0, 0, "VHSCROLL", 10000000);
    if (path.empty() || document_load(&editor, path.c_str()) <= 0) {
        std::printf("%-12s cannot be read\n", name);
        return;
    }
    std::string copy = path + ".copy.rtf";
    std::vector<double> writer, whole;
    size_t rtf_bytes = 0;
    for (int i = 0; i < runs; i++) {
        type_letter(editor);
        rtf_bytes = 0;
        EDITSTREAM stream = {(DWORD_PTR)&rtf_bytes, 0, count_only};
        double start = bench::now_ms();
        SendMessageA(editor, EM_STREAMOUT, SF_RTF, (LPARAM)&stream);
        writer.push_back(bench::now_ms() - start);
        type_letter(editor);
        start = bench::now_ms();
        int result = document_write_copy(editor, copy.c_str());
        whole.push_back(bench::now_ms() - start);
        if (result <= 0) std::printf("%-12s copy failed (%d)\n", name, result);
    }
    double longest = 0;
    for (double w : whole) longest = w > longest ? w : longest;
    double median = bench::median(whole);
    std::printf("%-12s %8.1f MB %10.0f %10.0f %10.0f %8.2f %%\n", name, rtf_bytes / 1e6, bench::median(writer), median,
                longest, 100.0 * median / interval_ms);
    std::fflush(stdout);
    DeleteFileA(copy.c_str());
    DeleteFileA(path.c_str());
    DestroyWindow(editor);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    constexpr double INTERVAL_MS = 55000;  // the longest a document goes without a copy while typing goes on
    HWND parent = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    std::printf("%d runs; milliseconds; share = one whole copy in %.0f s of typing\n", runs, INTERVAL_MS / 1000);
    std::printf("%-12s %11s %10s %10s %10s %9s\n", "document", "copy size", "writer", "copy", "longest", "share");
    bench_document(parent, "rec-1mb.txt", 1000000, false, runs, INTERVAL_MS);
    bench_document(parent, "rec-1mb.rtf", 1000000, true, runs, INTERVAL_MS);
    bench_document(parent, "rec-9mb.txt", 9500000, false, runs, INTERVAL_MS);
    bench_document(parent, "rec-9mb.rtf", 9500000, true, runs, INTERVAL_MS);
    DestroyWindow(parent);
    return 0;
}
