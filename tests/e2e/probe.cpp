// A second program the end-to-end tests use beside e2e_peek, for what a user's eyes cannot
// read off the screen reliably or what another program would do to the word processor:
//   e2e_probe button ID          - screen x and y of the centre of the toolbar button ID
//   e2e_probe control ID         - screen x and y of the centre of control ID in the open dialog
//   e2e_probe selection          - start and end of the editor's selection
//   e2e_probe modified           - 1 when the editor holds unsaved changes, else 0
//   e2e_probe resources          - gdi=N user=N private_kb=N workingset_kb=N of the program's process
//   e2e_probe lock PATH SECONDS  - keeps PATH open without sharing, as another program would
//   e2e_probe end                - ends the program's process at once (the window's owner)
//   e2e_probe launch EXE LINE    - starts EXE with exactly LINE as its command line, waits for
//                                  it and exits with its exit code
// Exits 1 when the window (or the file) is not there.
#include <windows.h>
#include <commctrl.h>

#include "window_search.h"
#include <psapi.h>
#include <richedit.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

HWND main_window() { return FindWindowA("Brevduva daraduder", nullptr); }

// A block of memory in the window's process, for messages that answer through a pointer.
struct remote_block {
    HANDLE process;
    void* address;
};

remote_block remote_alloc(HWND w, SIZE_T size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    remote_block block = {};
    block.process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (block.process) block.address = VirtualAllocEx(block.process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    return block;
}

void remote_read(const remote_block& block, void* into, SIZE_T size) {
    ReadProcessMemory(block.process, block.address, into, size, nullptr);
}

void remote_free(remote_block& block) {
    if (block.address) VirtualFreeEx(block.process, block.address, 0, MEM_RELEASE);
    if (block.process) CloseHandle(block.process);
}

int button_centre(HWND window, int id) {
    HWND toolbar = child_of(window, "TOOLBAR");
    if (!toolbar) return 1;
    LRESULT index = SendMessageA(toolbar, TB_COMMANDTOINDEX, id, 0);
    if (index < 0) return 1;
    remote_block block = remote_alloc(toolbar, sizeof(RECT));
    RECT rect = {};
    LRESULT ok = SendMessageA(toolbar, TB_GETITEMRECT, index, (LPARAM)block.address);
    remote_read(block, &rect, sizeof rect);
    remote_free(block);
    if (!ok) return 1;
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(toolbar, &centre);
    std::printf("%ld %ld\n", centre.x, centre.y);
    return 0;
}

struct dialog_search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK find_dialog(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<dialog_search*>(lp);
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == s->process && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(w)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// The program's topmost visible dialog (the innermost one when several are open).
HWND dialog_of(HWND window) {
    dialog_search s = {0, nullptr};
    GetWindowThreadProcessId(window, &s.process);
    EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

int control_centre(HWND window, int id) {
    HWND dialog = dialog_of(window);
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    if (!control) return 1;
    RECT rect = {};
    GetWindowRect(control, &rect);
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
}

int selection_show(HWND window) {
    HWND editor = child_of(window, "RICHEDIT");
    if (!editor) return 1;
    remote_block block = remote_alloc(editor, sizeof(CHARRANGE));
    CHARRANGE range = {};
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)block.address);
    remote_read(block, &range, sizeof range);
    remote_free(block);
    std::printf("%ld %ld\n", range.cpMin, range.cpMax);
    return 0;
}

// Moves the main window as a user dragging its frame would, and prints where the program has it.
int place_show(HWND window);
int window_move(HWND window, int x, int y) {
    if (!SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER)) return 1;
    return place_show(window);
}

int place_show(HWND window) {
    RECT rect = {};
    if (!GetWindowRect(window, &rect)) return 1;
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}

int modified_show(HWND window) {
    HWND editor = child_of(window, "RICHEDIT");
    if (!editor) return 1;
    std::printf("%d\n", SendMessageA(editor, EM_GETMODIFY, 0, 0) ? 1 : 0);
    return 0;
}

// --- object counts of another process ---

// Wine's GDI handle table, which the process's PEB points at: one 16-byte entry per handle,
// a used one with a non-zero type.
struct gdi_entry {
    UINT64 object;
    ULONG owner;
    UCHAR type;
    UCHAR flags;
    USHORT generation;
};
constexpr int GDI_HANDLE_SLOTS = 0x10000;

int gdi_count_from_table(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
    // GdiSharedHandleTable, inside winternl.h's reserved block of the PEB
#ifdef _WIN64
    constexpr size_t TABLE_AT = 0xf8;
#else
    constexpr size_t TABLE_AT = 0x94;
#endif
    void* table = nullptr;
    if (!ReadProcessMemory(process, (char*)basic.PebBaseAddress + TABLE_AT, &table, sizeof table, nullptr) || !table) {
        return -1;
    }
    std::vector<gdi_entry> entries(GDI_HANDLE_SLOTS);
    SIZE_T done = 0;
    if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(gdi_entry), &done)) return -1;
    int used = 0;
    for (const gdi_entry& e : entries) used += e.type != 0;
    return used;
}

struct window_count {
    DWORD process;
    int count;
};

BOOL CALLBACK count_child(HWND, LPARAM lp) {
    reinterpret_cast<window_count*>(lp)->count++;
    return TRUE;
}

BOOL CALLBACK count_top(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<window_count*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == c->process) {
        c->count++;
        EnumChildWindows(w, count_child, lp);
    }
    return TRUE;
}

// The process's windows, hidden and owned ones included, with all their children.
int window_count_of(DWORD pid) {
    window_count c = {pid, 0};
    EnumWindows(count_top, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

int resources_show(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return 1;
    // where the platform keeps no counts, the handle table and the windows stand in
    int gdi = (int)GetGuiResources(process, GR_GDIOBJECTS);
    const char* source = "platform";
    if (gdi == 0) {
        gdi = gdi_count_from_table(process);
        source = "tables";
    }
    int user = (int)GetGuiResources(process, GR_USEROBJECTS);
    if (user == 0) user = window_count_of(pid);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, &memory, sizeof memory);
    CloseHandle(process);
    std::printf("gdi=%d user=%d private_kb=%lu workingset_kb=%lu counted_by=%s\n", gdi, user,
                (unsigned long)(memory.PagefileUsage / 1024), (unsigned long)(memory.WorkingSetSize / 1024), source);
    return 0;
}

int file_lock(const char* path, int seconds) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::printf("locked\n");
    std::fflush(stdout);
    Sleep(seconds * 1000);
    CloseHandle(file);
    return 0;
}

int program_end(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return 1;
    BOOL ended = TerminateProcess(process, 9) && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended ? 0 : 1;
}

// No shell or launcher in between rewrites the quotes: the program gets the line as given.
int program_launch(const char* exe, const char* line) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> command(line, line + std::strlen(line) + 1);
    if (!CreateProcessA(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

}  // namespace

int main(int argc, char** argv) {
    const char* what = argc > 1 ? argv[1] : "";
    if (std::strcmp(what, "lock") == 0 && argc > 3) return file_lock(argv[2], std::atoi(argv[3]));
    if (std::strcmp(what, "launch") == 0 && argc > 3) return program_launch(argv[2], argv[3]);
    HWND window = main_window();
    if (!window) return 1;
    if (std::strcmp(what, "button") == 0 && argc > 2) return button_centre(window, std::atoi(argv[2]));
    if (std::strcmp(what, "control") == 0 && argc > 2) return control_centre(window, std::atoi(argv[2]));
    if (std::strcmp(what, "selection") == 0) return selection_show(window);
    if (std::strcmp(what, "modified") == 0) return modified_show(window);
    if (std::strcmp(what, "move") == 0 && argc > 3) return window_move(window, std::atoi(argv[2]), std::atoi(argv[3]));
    if (std::strcmp(what, "place") == 0) return place_show(window);
    if (std::strcmp(what, "resources") == 0) return resources_show(window);
    if (std::strcmp(what, "end") == 0) return program_end(window);
    std::fprintf(stderr, "usage: e2e_probe button ID | control ID | selection | modified | place | move X Y | resources | end | lock PATH SECONDS | launch EXE LINE\n");
    return 2;
}
