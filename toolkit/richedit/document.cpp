// Whole documents between files and the editor, and the name of a file dropped onto it.
#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/rtf_check.h"
#include "toolkit/richedit/rtf_write.h"
#include "toolkit/richedit/text_encoding.h"

#include <richedit.h>

#include <string.h>

#include <string>
#include <vector>

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

HANDLE open_for_writing(const char* path, DWORD creation) {
    if (is_read_only(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, creation, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Runs EM_STREAMIN or EM_STREAMOUT with the callback's cookie; the characters moved, or TRANSFER_FAILED.
LONG stream_run(HWND editor, UINT message, WPARAM format, DWORD_PTR cookie, EDITSTREAMCALLBACK callback) {
    EDITSTREAM stream = {cookie, 0, callback};
    LONG count = (LONG)SendMessageA(editor, message, format, (LPARAM)&stream);
    if (format & SF_UNICODE) count /= 2;  // counted in bytes
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

// The file a save writes before it takes the target's place: "~", the target's name and ".tmp",
// beside it, so a save that ends abnormally leaves one file plainly ours, which the next save
// of the document writes over. Near the path length limit the short "~bd.tmp" stands in.
bool written_path_make(const char* target, char* written_path) {
    char folder[MAX_PATH];
    if (!folder_of(target, folder)) return false;
    const char* name = target + lstrlenA(folder);
    if (lstrlenA(target) + 5 < MAX_PATH) {
        wsprintfA(written_path, "%s~%s.tmp", folder, name);
        return true;
    }
    if (lstrlenA(folder) + 7 >= MAX_PATH) return false;
    wsprintfA(written_path, "%s~bd.tmp", folder);
    return true;
}

// Writes the whole document into its own file beside the target. The characters written,
// TRANSFER_FAILED (that file is then gone), or DOCUMENT_CANNOT_OPEN when it could not be made.
LONG write_beside(HWND editor, WPARAM format, text_encoding encoding, const char* target, char* written_path) {
    if (!written_path_make(target, written_path)) return DOCUMENT_CANNOT_OPEN;
    HANDLE file = open_for_writing(written_path, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return DOCUMENT_CANNOT_OPEN;
    LONG count = TRANSFER_FAILED;
    if (format == SF_TEXT) {
        format = text_write_begin(file, encoding, document_line_end);
        if (format) count = stream_run(editor, EM_STREAMOUT, format, (DWORD_PTR)file, text_write_callback);
    } else {
        std::string rtf;
        count = rtf_write(editor, 0, rtf);
        LONG written = 0;
        if (count != TRANSFER_FAILED && stream_write_callback((DWORD_PTR)file, (LPBYTE)rtf.data(), (LONG)rtf.size(), &written)) {
            count = TRANSFER_FAILED;
        }
    }
    // the data must be on the disk before it may take the old file's place
    if (!FlushFileBuffers(file)) count = TRANSFER_FAILED;
    if (!CloseHandle(file)) count = TRANSFER_FAILED;
    if (count == TRANSFER_FAILED) DeleteFileA(written_path);
    return count;
}

// The whole file written beside the target takes its place in one step, or is removed.
LONG written_put_in_place(const char* written, const char* target) {
    if (MoveFileExA(written, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    DeleteFileA(written);
    return TRANSFER_FAILED;
}

// The document as it stood before a load, as RTF in memory, so that a load that fails can put
// it back: text, formats, selection and modified flag.
struct document_copy {
    std::string rtf;
    CHARRANGE selection;
    LRESULT modified;
};

bool document_keep(HWND editor, document_copy* copy) {
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&copy->selection);
    copy->modified = SendMessageA(editor, EM_GETMODIFY, 0, 0);
    return rtf_write(editor, 0, copy->rtf) != TRANSFER_FAILED;
}

void document_put_back(HWND* renewed, document_copy* copy) {
    editor_renew_if_large(renewed);
    HWND editor = *renewed;
    // through the filter like a file: the reader takes the writer's indents for a hanging pair
    rtf_memory source = {copy->rtf.data(), copy->rtf.size(), 0};
    rtf_filter filter;
    rtf_filter_start(&filter, rtf_memory_read, (DWORD_PTR)&source);
    filter.whole_document = true;
    stream_run(editor, EM_STREAMIN, SF_RTF, (DWORD_PTR)&filter, rtf_filter_read);
    SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&copy->selection);
    SendMessageA(editor, EM_SCROLLCARET, 0, 0);
    SendMessageA(editor, EM_SETMODIFY, copy->modified, 0);
}

HCURSOR cursor_show_wait() {
    return SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT));
}

// The margin and tab stops a load lays every paragraph out on (editor_set_indent_and_tabs).
struct paragraph_layout {
    int margin, count, step;
};

// True when every paragraph has the model's indents and tab stops. Selects the whole text.
bool paragraphs_match(HWND editor, const PARAFORMAT& model) {
    constexpr DWORD LAID_OUT = PFM_STARTINDENT | PFM_OFFSET | PFM_TABSTOPS;
    editor_select_all(editor);
    PARAFORMAT all = editor_selection_paragraph(editor);  // the mask keeps what all paragraphs share
    return (all.dwMask & LAID_OUT) == LAID_OUT && all.dxStartIndent == model.dxStartIndent &&
           all.dxOffset == model.dxOffset && all.cTabCount == model.cTabCount &&
           memcmp(all.rgxTabs, model.rgxTabs, model.cTabCount * sizeof model.rgxTabs[0]) == 0;
}

DWORD CALLBACK nothing_read_callback(DWORD_PTR, LPBYTE, LONG, LONG* done) {
    *done = 0;
    return 0;
}

// The plain text read into the selection of the one empty paragraph laid out as the model, so
// each new paragraph takes its format.
LONG stream_onto_model(HWND editor, WPARAM format, EDITSTREAMCALLBACK source, DWORD_PTR cookie) {
    // the text takes the characters' format of the last paragraph mark, which keeps its own
    CHARFORMATA characters;
    memset(&characters, 0, sizeof characters);
    characters.cbSize = sizeof characters;
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&characters);
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&characters);
    return stream_run(editor, EM_STREAMIN, format | SFF_SELECTION, cookie, source);
}

// Reads the file with every paragraph on the layout's margin. Laid out after the read, the
// whole document would be measured line by line a second time, which takes about as long as the
// read itself, so the paragraphs come in laid out; only a document whose paragraphs still differ
// gets the pass over the whole. Nothing of it can be undone.
LONG stream_in_laid_out(HWND editor, WPARAM format, EDITSTREAMCALLBACK source, DWORD_PTR cookie,
                        const paragraph_layout& layout) {
    // the empty document and default formats that a read of the whole text starts from
    stream_run(editor, EM_STREAMIN, SF_TEXT, 0, nothing_read_callback);
    editor_set_indent_and_tabs(editor, layout.margin, layout.count, layout.step);
    PARAFORMAT model = editor_selection_paragraph(editor);
    SendMessageA(editor, EM_SETUNDOLIMIT, 0, 0);
    LONG count = stream_onto_model(editor, format, source, cookie);
    if (count != TRANSFER_FAILED && !paragraphs_match(editor, model)) {
        editor_set_indent_and_tabs(editor, layout.margin, layout.count, layout.step);
    }
    SendMessageA(editor, EM_SETUNDOLIMIT, EDITOR_UNDO_LIMIT, 0);
    editor_clear_undo(editor);
    editor_select(editor, 0, 0);
    return count;
}

// Streams the opened file in over the document, which is put back when the control fails
// midway; TRANSFER_FAILED then, or when the document could not be kept beforehand.
LONG stream_in_or_keep(HWND* renewed, WPARAM format, HANDLE file, EDITSTREAMCALLBACK callback,
                       const paragraph_layout* layout) {
    document_copy kept;
    LONG count = TRANSFER_FAILED;
    if (document_keep(*renewed, &kept)) {
        editor_renew_if_large(renewed);
        HWND editor = *renewed;
        rtf_filter filter;
        rtf_filter_start(&filter, callback, (DWORD_PTR)file);
        bool rtf = format == SF_RTF;
        filter.whole_document = rtf;
        EDITSTREAMCALLBACK source = rtf ? rtf_filter_read : callback;
        DWORD_PTR cookie = rtf ? (DWORD_PTR)&filter : (DWORD_PTR)file;
        count = layout ? stream_in_laid_out(editor, format, source, cookie, *layout)
                       : stream_run(editor, EM_STREAMIN, format, cookie, source);
        if (count == TRANSFER_FAILED) document_put_back(renewed, &kept);
    }
    return count;
}

}  // namespace

int document_save(HWND editor, const char* path) {
    WPARAM format = stream_format(path);
    text_encoding encoding = document_encoding;
    char target[MAX_PATH];
    DWORD length = GetFullPathNameA(path, MAX_PATH, target, nullptr);
    if (length == 0 || length >= MAX_PATH) return DOCUMENT_CANNOT_OPEN;
    // held without sharing while the new file is written, so nobody else can claim it meanwhile
    HANDLE existing = open_for_writing(target, OPEN_EXISTING);
    if (existing == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) return DOCUMENT_CANNOT_OPEN;
    HCURSOR previous = cursor_show_wait();
    char written[MAX_PATH];
    LONG count = write_beside(editor, format, encoding, target, written);
    if (format == SF_TEXT && count == TRANSFER_FAILED && text_letters_lost()) {
        // Windows-1252 cannot store every letter of the document: UTF-8 replaces none
        encoding = TEXT_UTF8;
        count = write_beside(editor, format, encoding, target, written);
    }
    if (existing != INVALID_HANDLE_VALUE) CloseHandle(existing);
    if (count >= 0 && written_put_in_place(written, target) == TRANSFER_FAILED) count = TRANSFER_FAILED;
    SetCursor(previous);
    if (count == DOCUMENT_CANNOT_OPEN) return DOCUMENT_CANNOT_OPEN;
    // a failed write keeps the modified flag, so the document is still offered for saving
    if (count == TRANSFER_FAILED) return DOCUMENT_NOTHING_MOVED;
    if (format == SF_TEXT) document_encoding = encoding;
    SendMessageA(editor, EM_SETMODIFY, 0, 0);
    return count > 0 ? (int)count : DOCUMENT_NOTHING_MOVED;
}

bool document_is_rtf(const char* path) { return stream_format(path) == SF_RTF; }

int document_write_copy(HWND editor, const char* path) {
    char target[MAX_PATH], written[MAX_PATH];
    DWORD length = GetFullPathNameA(path, MAX_PATH, target, nullptr);
    if (length == 0 || length >= MAX_PATH) return DOCUMENT_CANNOT_OPEN;
    LONG count = write_beside(editor, SF_RTF, document_encoding, target, written);
    if (count >= 0 && written_put_in_place(written, target) == TRANSFER_FAILED) count = TRANSFER_FAILED;
    if (count == DOCUMENT_CANNOT_OPEN) return DOCUMENT_CANNOT_OPEN;
    return count > 0 ? (int)count : DOCUMENT_NOTHING_MOVED;
}

namespace {

int document_read(HWND* editor, const char* path, const paragraph_layout* layout) {
    WPARAM format = stream_format(path);
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, LOAD_FLAGS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return DOCUMENT_CANNOT_OPEN;
    // refused before the control sees it: the text and its modified flag stay as they are
    if (format == SF_RTF && !rtf_within_reader_limits(file)) {
        CloseHandle(file);
        return DOCUMENT_NOTHING_MOVED;
    }
    // the control's RTF reader may refuse an empty file; it is an empty document in either format
    DWORD high = 0;
    if (GetFileSize(file, &high) == 0 && high == 0) format = SF_TEXT;
    HCURSOR previous = cursor_show_wait();
    bool plain = format == SF_TEXT;
    // an RTF document keeps its own indents and tab stops, however it is opened
    if (!plain) layout = nullptr;
    text_encoding encoding = plain ? text_encoding_detect(file) : TEXT_CP1252;
    if (plain) format = text_read_prepare(file, encoding);
    // a paragraph of endless tabs would keep the control busy for minutes: refused like an RTF
    // file's. So is text a tenth beyond the characters the editor may hold: a file just beyond
    // the limit is read whole, never cut, but the control reads any length, 3 s for each 10 MB
    // without answering (50 MB kept the window from answering for half a minute; more runs out
    // of memory)
    long long most = editor_text_limit(*editor) + editor_text_limit(*editor) / 10;
    bool refused = plain && (text_tabs_too_many() || text_length_found() > most);
    LONG count = refused
                     ? TRANSFER_FAILED
                     : stream_in_or_keep(editor, format, file, plain ? text_read_callback : stream_read_callback,
                                         layout);
    CloseHandle(file);
    SetCursor(previous);
    if (count == TRANSFER_FAILED) return DOCUMENT_NOTHING_MOVED;
    document_encoding = encoding;
    document_line_end = plain ? text_line_end_found() : TEXT_LINE_END_KEPT;
    SendMessageA(*editor, EM_SETMODIFY, 0, 0);
    return (int)count;
}

}  // namespace

int document_load(HWND* editor, const char* path) { return document_read(editor, path, nullptr); }

int document_load_on_margin(HWND* editor, const char* path, int margin, int count, int step) {
    paragraph_layout layout = {margin, count, step};
    return document_read(editor, path, &layout);
}

namespace {

// The last changes of the whole document, the oldest first and those undone last: each the
// document before it, and after it once it is undone. The oldest go when they hold more than
// STEPS_HELD_BYTES (a 9.5 MB document's RTF is about 14 MB).
struct document_step_record {
    std::string before;
    std::string after;
    LONG after_length;
    bool undone;
};
constexpr size_t STEPS_HELD_BYTES = 64u << 20;
std::vector<document_step_record> document_steps;
std::string document_step_before;  // taken by document_step_begin

// The step Undo takes: the last not undone; null when there is none.
document_step_record* step_to_undo() {
    for (size_t i = document_steps.size(); i > 0; i--) {
        if (!document_steps[i - 1].undone) return &document_steps[i - 1];
    }
    return nullptr;
}

// The step Redo takes: the first undone; null when there is none.
document_step_record* step_to_redo() {
    for (document_step_record& step : document_steps) {
        if (step.undone) return &step;
    }
    return nullptr;
}

}  // namespace

std::string document_rtf(HWND editor, WPARAM selection) {
    // mended as for a file: the writer alone puts look-alikes for letters and swaps indents
    std::string rtf;
    rtf_write(editor, selection & SFF_SELECTION, rtf);
    return rtf;
}

LONG document_rtf_read(HWND editor, const std::string& rtf, WPARAM selection) {
    rtf_memory source = {rtf.data(), rtf.size(), 0};
    rtf_filter filter;
    rtf_filter_start(&filter, rtf_memory_read, (DWORD_PTR)&source);
    filter.whole_document = !(selection & SFF_SELECTION);
    return stream_run(editor, EM_STREAMIN, SF_RTF | (selection & SFF_SELECTION), (DWORD_PTR)&filter, rtf_filter_read);
}

void document_rtf_set(HWND* editor, const std::string& rtf) {
    // the control empties a large document in a time growing with the square of its paragraphs
    editor_renew_if_large(editor);
    document_rtf_read(*editor, rtf);
    SendMessageA(*editor, EM_SETMODIFY, TRUE, 0);
}

void document_step_begin(HWND editor) { document_step_before = document_rtf(editor); }

void document_step_end(HWND editor) {
    // a new change ends what could be redone
    while (!document_steps.empty() && document_steps.back().undone) document_steps.pop_back();
    document_steps.push_back({std::move(document_step_before), std::string(), editor_text_length(editor), false});
    document_step_before.clear();
    size_t held = 0;
    for (const document_step_record& step : document_steps) held += step.before.size();
    while (document_steps.size() > 1 && held > STEPS_HELD_BYTES) {
        held -= document_steps.front().before.size();
        document_steps.erase(document_steps.begin());
    }
    SendMessageA(editor, EM_SETMODIFY, TRUE, 0);
}

void document_step_forget() {
    document_steps.clear();
    document_step_before.clear();
}

// Only while the document is as the step left it: the control has no step of its own to undo
// first (it keeps none from before a whole change), and the length is the step's.
bool document_step_can_undo(HWND editor) {
    document_step_record* step = step_to_undo();
    return step && !SendMessageA(editor, EM_CANUNDO, 0, 0) && editor_text_length(editor) == step->after_length;
}

bool document_step_can_redo(HWND editor) { return step_to_redo() && !SendMessageA(editor, EM_CANUNDO, 0, 0); }

bool document_step_undo(HWND* editor) {
    if (!document_step_can_undo(*editor)) return false;
    document_step_record* step = step_to_undo();
    HCURSOR kept = cursor_show_wait();
    // what the owner of the change (or the parent, on an emptied page) made of the document last
    step->after = document_rtf(*editor);
    document_rtf_set(editor, step->before);
    step->undone = true;
    SetCursor(kept);
    return true;
}

bool document_step_redo(HWND* editor) {
    if (!document_step_can_redo(*editor)) return false;
    document_step_record* step = step_to_redo();
    HCURSOR kept = cursor_show_wait();
    document_rtf_set(editor, step->after);
    step->after.clear();
    step->undone = false;
    SetCursor(kept);
    return true;
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
