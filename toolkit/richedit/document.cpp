// Whole documents between files and the editor, and the name of a file dropped onto it.
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/rtf_check.h"

#include <richedit.h>

char dropped_file_path[MAX_PATH];

namespace {

constexpr DWORD LOAD_FLAGS = FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE;
constexpr LONG TRANSFER_FAILED = -1;

WPARAM stream_format(const char* path) {
    int length = lstrlenA(path);
    if (length < 3) return SF_TEXT;
    return lstrcmpiA(path + length - 3, "RTF") == 0 ? SF_RTF : SF_TEXT;
}

// Refuses what the platform may let a privileged user open anyway.
bool is_read_only(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

HANDLE open_exclusive(const char* path, DWORD creation, DWORD flags) {
    if (is_read_only(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, creation, flags, nullptr);
}

// Runs EM_STREAMIN or EM_STREAMOUT over an open file; the characters moved, or TRANSFER_FAILED.
LONG stream_file(HWND editor, UINT message, WPARAM format, HANDLE file, EDITSTREAMCALLBACK callback) {
    EDITSTREAM stream = {(DWORD_PTR)file, 0, callback};
    LONG count = (LONG)SendMessageA(editor, message, format, (LPARAM)&stream);
    return stream.dwError ? TRANSFER_FAILED : count;
}

// The folder part of a full path, with its trailing backslash kept; false when there is none.
bool folder_of(const char* full_path, char* folder) {
    lstrcpynA(folder, full_path, MAX_PATH);
    char* last = nullptr;
    for (char* c = folder; *c; c++) {
        if (*c == '\\' || *c == '/') last = c;
    }
    if (!last) return false;
    last[1] = '\0';
    return true;
}

// A new file of its own beside the target, named "bd" and four hexadecimal digits: short, so a
// target near the path length limit still has room beside it (the platform's temporary names
// want 14 characters more than the folder). Never an existing file.
HANDLE new_file_beside(const char* folder, char* written_path) {
    if (lstrlenA(folder) + 6 >= MAX_PATH) return INVALID_HANDLE_VALUE;
    DWORD seed = GetTickCount() ^ GetCurrentProcessId();
    for (DWORD attempt = 0; attempt < 64; attempt++) {
        wsprintfA(written_path, "%sbd%04x", folder, (seed + attempt * 40503u) & 0xFFFFu);
        HANDLE file = CreateFileA(written_path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Writes the whole document into a new file beside the target. The characters written,
// TRANSFER_FAILED (the new file is then gone), or DOCUMENT_CANNOT_OPEN when no new file could be made.
LONG write_beside(HWND editor, WPARAM format, const char* target, char* written_path) {
    char folder[MAX_PATH];
    if (!folder_of(target, folder)) return DOCUMENT_CANNOT_OPEN;
    HANDLE file = new_file_beside(folder, written_path);
    if (file == INVALID_HANDLE_VALUE) return DOCUMENT_CANNOT_OPEN;
    LONG count = stream_file(editor, EM_STREAMOUT, format, file, stream_write_callback);
    // the data must be on the disk before it may take the old file's place
    if (!FlushFileBuffers(file)) count = TRANSFER_FAILED;
    if (!CloseHandle(file)) count = TRANSFER_FAILED;
    if (count == TRANSFER_FAILED) DeleteFileA(written_path);
    return count;
}

HCURSOR cursor_show_wait() {
    return SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT));
}

int stream_result(HWND editor, LONG count) {
    SendMessageA(editor, EM_SETMODIFY, 0, 0);
    return count > 0 ? (int)count : DOCUMENT_NOTHING_MOVED;
}

}  // namespace

int document_save(HWND editor, const char* path) {
    WPARAM format = stream_format(path);
    char target[MAX_PATH];
    DWORD length = GetFullPathNameA(path, MAX_PATH, target, nullptr);
    if (length == 0 || length >= MAX_PATH) return DOCUMENT_CANNOT_OPEN;
    // held without sharing while the new file is written, so nobody else can claim it meanwhile
    HANDLE existing = open_exclusive(target, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
    if (existing == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) return DOCUMENT_CANNOT_OPEN;
    HCURSOR previous = cursor_show_wait();
    char written[MAX_PATH];
    LONG count = write_beside(editor, format, target, written);
    if (existing != INVALID_HANDLE_VALUE) CloseHandle(existing);
    if (count >= 0 && !MoveFileExA(written, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(written);
        count = TRANSFER_FAILED;
    }
    SetCursor(previous);
    if (count == DOCUMENT_CANNOT_OPEN) return DOCUMENT_CANNOT_OPEN;
    // a failed write keeps the modified flag, so the document is still offered for saving
    if (count == TRANSFER_FAILED) return DOCUMENT_NOTHING_MOVED;
    return stream_result(editor, count);
}

int document_load(HWND editor, const char* path) {
    WPARAM format = stream_format(path);
    HANDLE file = open_exclusive(path, OPEN_ALWAYS, LOAD_FLAGS);
    if (file == INVALID_HANDLE_VALUE) return DOCUMENT_CANNOT_OPEN;
    // refused before the control sees it: the text and its modified flag stay as they are
    if (format == SF_RTF && !rtf_within_reader_limits(file)) {
        CloseHandle(file);
        return DOCUMENT_NOTHING_MOVED;
    }
    HCURSOR previous = cursor_show_wait();
    // plain text always replaces the document; RTF the control cannot read leaves it as it is
    if (format == SF_TEXT) editor_cut_down(editor);
    rtf_filter filter;
    rtf_filter_start(&filter, file);
    LONG count = format == SF_RTF ? stream_file(editor, EM_STREAMIN, format, (HANDLE)&filter, rtf_filter_read)
                                  : stream_file(editor, EM_STREAMIN, format, file, stream_read_callback);
    CloseHandle(file);
    SetCursor(previous);
    return stream_result(editor, count);
}

int drop_query_file(HDROP drop) {
    int copied = 0;
    if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        copied = (int)DragQueryFileA(drop, 0, dropped_file_path, MAX_PATH);
    }
    DragFinish(drop);
    return copied;
}

DWORD CALLBACK stream_write_callback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    DWORD written = 0;
    BOOL ok = WriteFile((HANDLE)cookie, buffer, (DWORD)count, &written, nullptr);
    *done = (LONG)written;
    // a short or failed write (disk full, I/O error) ends the transfer
    return ok && written == (DWORD)count ? 0 : ERROR_WRITE_FAULT;
}

DWORD CALLBACK stream_read_callback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    DWORD read = 0;
    BOOL ok = ReadFile((HANDLE)cookie, buffer, (DWORD)count, &read, nullptr);
    *done = (LONG)read;
    return ok ? 0 : ERROR_READ_FAULT;
}
