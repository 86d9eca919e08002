// Start benchmark: time from starting a program to its main window being shown and idle,
// for the word processor and for a minimal window program, over repeated runs.
//   bench_startup [runs]   (run from the build folder, under Wine)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct found_window {
    DWORD process;
    HWND window;
};

BOOL CALLBACK find_visible(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<found_window*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == f->process && IsWindowVisible(w)) {
        f->window = w;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess until the window is visible and the program waits for input.
double time_start(const char* exe) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    char command[MAX_PATH];
    lstrcpynA(command, exe, sizeof command);
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    found_window f = {pi.dwProcessId, nullptr};
    for (int i = 0; i < 3000 && !f.window; ++i) {
        WaitForInputIdle(pi.hProcess, 10);
        EnumWindows(find_visible, reinterpret_cast<LPARAM>(&f));
        if (!f.window) Sleep(2);
    }
    WaitForInputIdle(pi.hProcess, 30000);
    QueryPerformanceCounter(&end);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!f.window) return -1;
    return 1000.0 * (end.QuadPart - start.QuadPart) / freq.QuadPart;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    std::vector<double> program, minimal;
    time_start("brevduva.exe");  // warm the file cache once
    time_start("minimal_window.exe");
    for (int i = 0; i < runs; ++i) {
        program.push_back(time_start("brevduva.exe"));
        minimal.push_back(time_start("minimal_window.exe"));
    }
    double p = median(program), m = median(minimal);
    std::printf("start to idle window, median of %d runs\n", runs);
    std::printf("  brevduva.exe        %8.1f ms\n", p);
    std::printf("  minimal_window.exe  %8.1f ms\n", m);
    std::printf("  ratio               %8.2f (target < 1.30)\n", m > 0 ? p / m : 0.0);
    return 0;
}
