// Recovery copies: while the document is modified, a copy of it in RTF sits in the user's local
// application data folder, with a note beside it that says where the document belongs. A run
// that ends without saving (a crash, a killed process, a lost machine) leaves them behind, and
// the next start offers them back.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/app_state.h"
#include "toolkit/dialogs/file_dialog.h"
#include "toolkit/dialogs/message.h"
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/text_encoding.h"
#include "toolkit/windows/window.h"

namespace {

constexpr char SUBFOLDER[] = "Brevduva Daraduder\\Återställning\\";
constexpr DWORD QUIET_MS = 2000;      // changes have rested this long: a copy now
constexpr DWORD OVERDUE_MS = 55000;   // the oldest change not in a copy is this old: a copy now
constexpr DWORD RETRY_MS = 60000;     // after a failed copy
constexpr DWORD NOTE_LIMIT = 4096;    // a longer note is none of ours
constexpr int OFFER_LIMIT = 32;       // copies offered at one start; the rest at the next

// Indexed by text_encoding: every encoding has its word.
const char* const encoding_words[] = {"CP1252", "UTF8", "UTF8_MARK", "UTF16_MARK", "UTF16_BIG_ENDIAN_MARK"};
constexpr int ENCODING_WORDS = (int)(sizeof encoding_words / sizeof encoding_words[0]);
static_assert(ENCODING_WORDS == TEXT_UTF16_BIG_ENDIAN_MARK + 1, "a word for every text encoding");

struct recovery_note {
    char path[MAX_PATH];  // empty for a document that was never saved
    text_encoding encoding;
    FILETIME time;        // when the copy was written
    DWORD process;
    FILETIME started;     // of that process
};

bool ticks_reached(DWORD now, DWORD since, DWORD span) { return now - since >= span; }

ULONGLONG filetime_value(const FILETIME& time) { return ((ULONGLONG)time.dwHighDateTime << 32) | time.dwLowDateTime; }

FILETIME filetime_of(ULONGLONG value) { return FILETIME{(DWORD)value, (DWORD)(value >> 32)}; }

// The copy's and the note's file names of a process: its id and its start.
void names_make(const char* folder, DWORD process, const FILETIME& started, char* copy, char* note) {
    ULONGLONG start = filetime_value(started);
    wsprintfA(copy, "%s%lu-%08lx%08lx.rtf", folder, process, (DWORD)(start >> 32), (DWORD)start);
    lstrcpyA(note, copy);
    lstrcpyA(note + lstrlenA(note) - 3, "txt");
}

bool folder_make(const char* folder) {
    char partial[MAX_PATH];
    for (int i = 3; folder[i]; i++) {  // past the drive's "C:\"
        if (folder[i] != '\\') continue;
        lstrcpynA(partial, folder, i + 1);
        if (!CreateDirectoryA(partial, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

// The user's local application data folder: from the environment, which costs nothing at
// start, else from the shell.
bool local_folder(char* folder) {
    DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return true;
    return SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder));
}

// Writes the whole note beside its place and puts it there, as documents are saved.
bool note_write(const char* path, const recovery_note& note) {
    char text[MAX_PATH + 256];
    ULONGLONG time = filetime_value(note.time), started = filetime_value(note.started);
    int length = wsprintfA(text,
                           "path=%s\r\ntype=%s\r\nencoding=%s\r\ntime=%08lx%08lx\r\nprocess=%lu\r\n"
                           "started=%08lx%08lx\r\n",
                           note.path, note.path[0] == '\0' ? "NEW" : document_is_rtf(note.path) ? "RTF" : "TEXT",
                           encoding_words[note.encoding], (DWORD)(time >> 32), (DWORD)time, note.process,
                           (DWORD)(started >> 32), (DWORD)started);
    char beside[MAX_PATH + 4];
    wsprintfA(beside, "%s.new", path);
    HANDLE file = CreateFileA(beside, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool whole = WriteFile(file, text, length, &written, nullptr) && written == (DWORD)length;
    whole = FlushFileBuffers(file) && whole;
    whole = CloseHandle(file) && whole;
    if (whole && MoveFileExA(beside, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileA(beside);
    return false;
}

bool hex_value(const char* text, ULONGLONG* value) {
    if (lstrlenA(text) != 16) return false;
    *value = 0;
    for (const char* c = text; *c; c++) {
        int digit = *c >= '0' && *c <= '9' ? *c - '0' : *c >= 'a' && *c <= 'f' ? *c - 'a' + 10 : -1;
        if (digit < 0) return false;
        *value = *value * 16 + digit;
    }
    return true;
}

// One "key=value" line of the note into its field; false for anything that is not ours.
bool note_line_take(char* line, recovery_note* note, int* seen) {
    char* value = std::strchr(line, '=');
    if (!value) return false;
    *value++ = '\0';
    ULONGLONG number = 0;
    if (std::strcmp(line, "path") == 0) {
        if (lstrlenA(value) >= MAX_PATH) return false;
        lstrcpyA(note->path, value);
    } else if (std::strcmp(line, "type") == 0) {
        // follows from the path, as for every document
    } else if (std::strcmp(line, "encoding") == 0) {
        int i = 0;
        while (i < ENCODING_WORDS && std::strcmp(encoding_words[i], value) != 0) i++;
        if (i == ENCODING_WORDS) return false;
        note->encoding = (text_encoding)i;
    } else if (std::strcmp(line, "time") == 0 || std::strcmp(line, "started") == 0) {
        if (!hex_value(value, &number)) return false;
        (line[0] == 't' ? note->time : note->started) = filetime_of(number);
    } else if (std::strcmp(line, "process") == 0) {
        char* end = nullptr;
        note->process = std::strtoul(value, &end, 10);
        if (end == value || *end) return false;
    } else {
        return false;
    }
    (*seen)++;
    return true;
}

// Reads a note through; false when it is cut short, too long, or holds anything not ours.
bool note_read(const char* path, recovery_note* note) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    static char text[NOTE_LIMIT + 1];
    DWORD read = 0;
    bool ok = ReadFile(file, text, NOTE_LIMIT + 1, &read, nullptr) && read <= NOTE_LIMIT;
    CloseHandle(file);
    if (!ok) return false;
    text[read] = '\0';
    if (std::strlen(text) != read) return false;
    std::memset(note, 0, sizeof *note);
    int seen = 0;
    for (char* line = text; ok && *line;) {
        char* end = std::strstr(line, "\r\n");
        if (!end) return false;  // every line ends, the last one too
        *end = '\0';
        ok = note_line_take(line, note, &seen);
        line = end + 2;
    }
    return ok && seen == 6;
}

// A copy is whole when it is RTF from its opening brace to its closing one (the control's writer
// ends it with a NUL).
bool copy_is_whole(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char start[6] = {}, end[4] = {};
    DWORD size = GetFileSize(file, nullptr), read = 0, tail = 0;
    bool ok = size != INVALID_FILE_SIZE && size >= 8 && ReadFile(file, start, 5, &read, nullptr) && read == 5 &&
              SetFilePointer(file, -(LONG)sizeof end, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
              ReadFile(file, end, sizeof end, &tail, nullptr) && tail == sizeof end;
    CloseHandle(file);
    if (!ok || std::memcmp(start, "{\\rtf", 5) != 0) return false;
    int last = sizeof end - 1;
    while (last > 0 && (end[last] == '\0' || end[last] == '\r' || end[last] == '\n')) last--;
    return end[last] == '}';
}

// True while the process that wrote a copy runs: the same id, started at the same time.
bool process_runs(DWORD id, const FILETIME& started) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) return false;
    FILETIME created, exited, kernel, user;
    DWORD code = 0;
    bool runs = GetProcessTimes(process, &created, &exited, &kernel, &user) &&
                CompareFileTime(&created, &started) == 0 && GetExitCodeProcess(process, &code) &&
                code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
}

// The process id and start a copy's or note's file name gives; false for a name not ours.
bool name_owner(const char* name, DWORD* process, FILETIME* started) {
    char digits[32];
    const char* dash = std::strchr(name, '-');
    const char* dot = std::strrchr(name, '.');
    if (!dash || !dot || dot - dash != 17 || dash - name > 10 || dash == name) return false;
    lstrcpynA(digits, name, (int)(dash - name) + 1);
    char* end = nullptr;
    *process = std::strtoul(digits, &end, 10);
    if (*end) return false;
    lstrcpynA(digits, dash + 1, 17);
    ULONGLONG value = 0;
    if (!hex_value(digits, &value)) return false;
    *started = filetime_of(value);
    return true;
}

// "2026-12-08 kl. 14:05", in the user's local time.
void time_text(const FILETIME& time, char* text) {
    FILETIME local;
    SYSTEMTIME parts = {};
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &parts)) {
        lstrcpyA(text, "okänd tid");
        return;
    }
    wsprintfA(text, "%04u-%02u-%02u kl. %02u:%02u", parts.wYear, parts.wMonth, parts.wDay, parts.wHour, parts.wMinute);
}

void copy_remove(const char* copy, const char* note) {
    DeleteFileA(copy);
    DeleteFileA(note);
}

void refused_notice() {
    message_show(app_state.main_window, "FILFEL",
                 const_cast<char*>("Det gick ej att hämta in återställningskopian! Den har tagits bort."), "N");
}

// One copy left by a run that ended: asked about, then taken up or removed. True when it is now
// the document.
bool copy_offer(const char* copy, const char* note_path, const recovery_note& note) {
    char question[200], when[40];
    time_text(note.time, when);
    wsprintfA(question, "Brevduva daraduder avslutades utan att spara. Vill du återställa dokumentet från %s?", when);
    if (MessageBoxA(app_state.main_window, question, "ÅTERSTÄLLA?", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        copy_remove(copy, note_path);
        return false;
    }
    // a document taken up already is replaced only as any other is
    if (SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0) && !document_may_be_replaced()) return false;
    // taken over as this run's own copy, so that no other window offers it meanwhile
    recovery_record& r = app_state.recovery;
    recovery_note own = note;
    own.process = GetCurrentProcessId();
    own.started = r.started;
    if (!MoveFileExA(copy, r.copy_path, MOVEFILE_REPLACE_EXISTING)) return false;
    DeleteFileA(note_path);
    note_write(r.note_path, own);
    r.kept = true;
    if (document_load(&app_state.editor, r.copy_path) <= 0) {
        refused_notice();
        recovery_forget();
        return false;
    }
    document_encoding = note.encoding;
    // named as the original, so that it is saved there, as what it was
    const char* name = note.path + lstrlenA(note.path);
    while (name > note.path && name[-1] != '\\' && name[-1] != '/') name--;
    document_named(note.path[0] ? note.path : nullptr, name);
    editor_set_modified(app_state.editor, "ON");
    editor_clear_undo(app_state.editor);
    r.pending = false;
    return true;
}

struct found_copy {
    char copy[MAX_PATH], note[MAX_PATH];
    recovery_note about;
    bool sound;
};

// The copies of ended runs, oldest first; notes without a copy are removed on the way.
int copies_find(found_copy* found, int limit) {
    const recovery_record& r = app_state.recovery;
    char pattern[MAX_PATH + 8];
    wsprintfA(pattern, "%s*-*.*", r.folder);
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        DWORD process = 0;
        FILETIME started;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !name_owner(data.cFileName, &process, &started)) continue;
        if (process_runs(process, started)) continue;  // another window's, or this run's own
        if (lstrlenA(r.folder) + lstrlenA(data.cFileName) >= MAX_PATH) continue;
        char copy[MAX_PATH], note[MAX_PATH];
        names_make(r.folder, process, started, copy, note);
        if (lstrcmpiA(data.cFileName, copy + lstrlenA(r.folder)) != 0) {
            // a note: kept only beside its copy
            if (GetFileAttributesA(copy) == INVALID_FILE_ATTRIBUTES) DeleteFileA(note);
            continue;
        }
        if (count == limit) break;
        found_copy& f = found[count++];
        lstrcpyA(f.copy, copy);
        lstrcpyA(f.note, note);
        f.sound = copy_is_whole(copy);
        if (GetFileAttributesA(note) == INVALID_FILE_ATTRIBUTES) {
            // cut off between the copy and its first note: a new document, as old as the copy
            std::memset(&f.about, 0, sizeof f.about);
            f.about.time = data.ftLastWriteTime;
        } else {
            f.sound = f.sound && note_read(note, &f.about) && f.about.process == process &&
                      CompareFileTime(&f.about.started, &started) == 0;
        }
    } while (FindNextFileA(search, &data));
    FindClose(search);
    // oldest first
    for (int i = 1; i < count; i++) {
        for (int j = i; j > 0 && CompareFileTime(&found[j].about.time, &found[j - 1].about.time) < 0; j--) {
            found_copy swap = found[j];
            found[j] = found[j - 1];
            found[j - 1] = swap;
        }
    }
    return count;
}

}  // namespace

bool recovery_start(const char* folder) {
    recovery_record& r = app_state.recovery;
    std::memset(&r, 0, sizeof r);
    char base[MAX_PATH];
    if (folder) {
        lstrcpynA(base, folder, MAX_PATH);
    } else if (!local_folder(base)) {
        return false;
    }
    int length = lstrlenA(base);
    if (length > 0 && base[length - 1] != '\\') base[length++] = '\\';
    base[length] = '\0';
    if (!folder) {
        if (length + (int)sizeof SUBFOLDER >= MAX_PATH) return false;
        lstrcatA(base, SUBFOLDER);
    }
    if (lstrlenA(base) + 40 >= MAX_PATH) return false;  // room for the names
    lstrcpyA(r.folder, base);
    FILETIME exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &r.started, &exited, &kernel, &user)) return false;
    names_make(r.folder, GetCurrentProcessId(), r.started, r.copy_path, r.note_path);
    // a folder that cannot be made shows when the first copy cannot be written
    folder_make(r.folder);
    r.enabled = true;
    return true;
}

void recovery_note_change() {
    recovery_record& r = app_state.recovery;
    DWORD now = GetTickCount();
    if (!r.pending) r.first_change = now;
    r.pending = true;
    r.last_change = now;
}

void recovery_tick() {
    recovery_record& r = app_state.recovery;
    if (!r.enabled) return;
    if (!SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0)) {
        if (r.kept || r.pending) recovery_forget();
        return;
    }
    DWORD now = GetTickCount();
    if (!r.pending || (r.failing && (LONG)(now - r.next_attempt) < 0)) return;
    if (!ticks_reached(now, r.last_change, QUIET_MS) && !ticks_reached(now, r.first_change, OVERDUE_MS)) return;
    folder_make(r.folder);
    recovery_note note = {};
    lstrcpynA(note.path, save_dialog_path, MAX_PATH);
    note.encoding = document_encoding;
    GetSystemTimeAsFileTime(&note.time);
    note.process = GetCurrentProcessId();
    note.started = r.started;
    // the copy first: one cut off leaves the last whole copy and its note
    bool written = document_write_copy(app_state.editor, r.copy_path) > 0 && note_write(r.note_path, note);
    bool was_failing = r.failing;
    r.failing = !written;
    if (written) {
        r.kept = true;
        r.pending = false;
    } else {
        r.next_attempt = now + RETRY_MS;
    }
    if (r.failing != was_failing) status_refresh();
}

void recovery_forget() {
    recovery_record& r = app_state.recovery;
    if (!r.enabled) return;
    DeleteFileA(r.copy_path);
    DeleteFileA(r.note_path);
    r.kept = false;
    // what stays modified (a cancelled dialog after No) changes once more before its next copy
    r.pending = false;
}

bool recovery_offer() {
    if (!app_state.recovery.enabled) return false;
    static found_copy found[OFFER_LIMIT];
    int count = copies_find(found, OFFER_LIMIT);
    bool taken = false;
    for (int i = 0; i < count; i++) {
        if (!found[i].sound) {
            refused_notice();
            copy_remove(found[i].copy, found[i].note);
            continue;
        }
        if (copy_offer(found[i].copy, found[i].note, found[i].about)) taken = true;
    }
    return taken && SendMessageA(app_state.editor, EM_GETMODIFY, 0, 0);
}
