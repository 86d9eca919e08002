#include "toolkit/dialogs/file_dialog.h"

#include <commdlg.h>
#include <stdlib.h>
#include <string.h>

char save_dialog_path[260], save_dialog_title[256], open_dialog_path[260], open_dialog_title[256];

namespace {

// Each list: description and pattern pairs, closed by the literal's own terminating NUL.
const char NONE_FILTER[] = "Alla filer (*.*)\0*.*\0";
const char TXT_FILTER[] = "Text filer (*.txt)\0*.TXT\0Alla filer (*.*)\0*.*\0";
const char ALL_FILTER[] =
    "Text filer (*.txt)\0*.TXT\0"
    "Write-dokument (*.wri)\0*.wri\0"
    "RTF-dokument (*.rtf)\0*.rtf\0"
    "Works filer (*.w*)\0*.w*\0"
    "Works-dokument (*.wps)\0*.wps\0"
    "Works-kalkylblad (*.wks)\0*.wks\0"
    "Works-databas (*.wdb)\0*.wdb\0"
    "World 6.0/95-dokument (*.doc)\0*.doc\0"
    "World 97-dokument (*.doc)\0*.doc\0"
    "Exel-kalkylblad (*.xl*)\0*.xl*\0"
    "dBase-databas (*.dbf)\0*.dbf\0"
    "Lotus 1-2-3 dokument(*.wk1)\0*.wk1\0"
    "HTML-dokument (*.htm*)\0*.htm*\0"
    "Alla filer (*.*)\0*.*\0";
const char C_DEV_FILTER[] =
    "Programkod (*.c,*.cpp,*.h)\0*.CPP;*.C;*.H\0"
    "Resursfiler (*.rc,*.res,*.rh)\0*.RC;*.RES;*.RH\0"
    "Alla filer (*.*)\0*.*\0";

struct file_dialog {
    OPENFILENAMEA record;
    char* own_filter;  // the toolkit's copy: the caller's list may not outlive the call
    char* path;
    char* title;
    DWORD flags;
    // null: the name stays as typed; "": a name without extension gets the chosen type's
    const char* default_extension;
    BOOL(WINAPI* show)(LPOPENFILENAMEA);
};

file_dialog save_dialog = {{}, nullptr, save_dialog_path, save_dialog_title,
                           OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "", GetSaveFileNameA};
file_dialog open_dialog = {{}, nullptr, open_dialog_path, open_dialog_title,
                           OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY,
                           nullptr, GetOpenFileNameA};

constexpr DWORD PATH_SIZE = sizeof save_dialog_path, TITLE_SIZE = sizeof save_dialog_title;
static_assert(sizeof open_dialog_path == PATH_SIZE && sizeof open_dialog_title == TITLE_SIZE, "same buffers");

bool keyword_is(const char* keyword, const char* word) { return keyword && strcmp(keyword, word) == 0; }

// Bytes of a filter list up to and including the NUL that closes it.
size_t filter_size(const char* list) {
    size_t size = 0;
    while (list[size] || list[size + 1]) ++size;
    return size + 2;
}

char* filter_copy(const char* list) {
    if (!list) return nullptr;
    size_t size = filter_size(list);
    char* copy = (char*)malloc(size);
    if (copy) memcpy(copy, list, size);
    return copy;
}

void filter_choose(file_dialog& dialog, const char* keyword, const char* own_filter) {
    struct { const char* keyword; const char* list; } lists[] = {
        {"NONE_FILTER", NONE_FILTER}, {"TXT_FILTER", TXT_FILTER}, {"ALL_FILTER", ALL_FILTER}, {"C_DEV_FILTER", C_DEV_FILTER}};
    const char* chosen = nullptr;
    bool known = keyword_is(keyword, "OWN_FILTER");
    for (const auto& entry : lists) {
        if (!known && keyword_is(keyword, entry.keyword)) {
            chosen = entry.list;
            known = true;
        }
    }
    if (!known) return;
    free(dialog.own_filter);
    dialog.own_filter = chosen ? nullptr : filter_copy(own_filter);
    dialog.record.lpstrFilter = chosen ? chosen : dialog.own_filter;
}

int file_dialog_run(file_dialog& dialog, HWND owner, const char* title, const char* title_keyword,
                    const char* filter_keyword, const char* own_filter) {
    OPENFILENAMEA& record = dialog.record;
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner = owner;
    filter_choose(dialog, filter_keyword, own_filter);
    record.nFilterIndex = 1;
    record.lpstrFile = dialog.path;
    record.nMaxFile = PATH_SIZE;
    record.lpstrFileTitle = dialog.title;
    record.nMaxFileTitle = TITLE_SIZE;
    record.lpstrInitialDir = nullptr;
    record.lpstrTitle = title;
    record.Flags = dialog.flags;
    record.lpstrDefExt = dialog.default_extension;
    if (!dialog.show(&record)) return 1;
    if (keyword_is(title_keyword, "FILENAME")) SetWindowTextA(owner, dialog.title);
    if (keyword_is(title_keyword, "PATH")) SetWindowTextA(owner, dialog.path);
    return 0;
}

}  // namespace

int file_dialog_save(HWND owner, const char* title, const char* title_keyword, const char* filter_keyword,
                     const char* own_filter) {
    return file_dialog_run(save_dialog, owner, title, title_keyword, filter_keyword, own_filter);
}

int file_dialog_open(HWND owner, const char* title, const char* title_keyword, const char* filter_keyword,
                     const char* own_filter) {
    return file_dialog_run(open_dialog, owner, title, title_keyword, filter_keyword, own_filter);
}
