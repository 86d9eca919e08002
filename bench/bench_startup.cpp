// Start benchmark: time from starting a program to its main window being shown and idle,
// for the word processor, for a minimal window program and for that window with the platform's
// controls the word processor uses, over repeated runs.
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
    const char* const programs[] = {"brevduva.exe", "minimal_window.exe", "minimal_controls.exe"};
    std::vector<double> times[3];
    for (const char* program : programs) time_start(program);  // warm the file cache once
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 3; ++p) times[p].push_back(time_start(programs[p]));
    }
    double own = median(times[0]), bare = median(times[1]), floor = median(times[2]);
    std::printf("start to idle window, median of %d runs\n", runs);
    std::printf("  brevduva.exe          %8.1f ms\n", own);
    std::printf("  minimal_window.exe    %8.1f ms\n", bare);
    std::printf("  minimal_controls.exe  %8.1f ms  (the same window with a toolbar, a status bar and a rich edit)\n", floor);
    std::printf("  ratio                 %8.2f (target < 1.30)\n", bare > 0 ? own / bare : 0.0);
    std::printf("  floor ratio           %8.2f (the platform's controls alone)\n", bare > 0 ? floor / bare : 0.0);
    return 0;
}
