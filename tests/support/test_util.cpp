#include "support/test_util.h"

#include <commctrl.h>

#include "toolkit/richedit/document.h"
#include "toolkit/richedit/editor.h"

#include <cstdio>
#include <cstring>

void pump_messages(int milliseconds) {
    pump_until([] { return false; }, milliseconds);
}

bool pump_until(const std::function<bool()>& condition, int timeout_milliseconds) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if ((int)(GetTickCount() - start) >= timeout_milliseconds) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

std::string temp_folder() {
    static int counter = 0;
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%sbrevduva-%lu-%lu-%d\\", base, GetCurrentProcessId(), GetTickCount(),
                  ++counter);
    CreateDirectoryA(path, nullptr);
    return path;
}

std::string file_read(const std::string& path) {
    std::string content;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return content;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
    std::fclose(f);
    return content;
}

bool file_write(const std::string& path, const std::string& content) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    return std::fclose(f) == 0 && ok;
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

part_ink statusbar_part_ink(HWND bar, int part) {
    RECT r = {};
    SendMessageA(bar, SB_GETRECT, part - 1, (LPARAM)&r);
    UpdateWindow(bar);
    HDC context = GetDC(bar);
    part_ink ink;
    for (int x = r.left; x < r.right; ++x) {
        for (int y = r.top; y < r.bottom; ++y) {
            COLORREF pixel = GetPixel(context, x, y);
            if (GetRValue(pixel) < 80 && GetGValue(pixel) < 80 && GetBValue(pixel) < 80) {
                ink.count++;
                ink.room_right = r.right - 1 - x;
            }
        }
    }
    ReleaseDC(bar, context);
    return ink;
}

PARAFORMAT paragraph_at(HWND editor, LONG position) {
    CHARRANGE at = {position, position};
    SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&at);
    PARAFORMAT format = {};
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    return format;
}

std::string editor_copied_and_saved(HWND editor, const std::string& path) {
    editor_select_all(editor);
    editor_copy(editor);
    return document_save(editor, path.c_str()) > 0 ? file_read(path) : "";
}

namespace {

HGLOBAL block_of(const char* bytes, size_t size) {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
    if (data) {
        memcpy(GlobalLock(data), bytes, size);
        GlobalUnlock(data);
    }
    return data;
}

}  // namespace

bool clipboard_text_set(const char* text, const std::string& rtf) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    bool placed = SetClipboardData(CF_TEXT, block_of(text, lstrlenA(text) + 1)) != nullptr;
    if (!rtf.empty()) {
        UINT format = RegisterClipboardFormatA("Rich Text Format");
        placed &= SetClipboardData(format, block_of(rtf.c_str(), rtf.size() + 1)) != nullptr;
    }
    CloseClipboard();
    return placed;
}

std::string bitmap_header_hex(unsigned long width, unsigned long height, unsigned long bits,
                              unsigned long compression, unsigned long colours, unsigned long size) {
    const unsigned long fields[][3] = {{0, 4, size},  {4, 4, width},        {8, 4, height}, {12, 2, 1},
                                       {14, 2, bits}, {16, 4, compression}, {32, 4, colours}};
    unsigned char header[40] = {};
    for (const auto& field : fields) {
        for (unsigned long i = 0; i < field[1]; i++) header[field[0] + i] = (unsigned char)(field[2] >> (8 * i));
    }
    std::string hex;
    for (unsigned char byte : header) hex += {"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
    return hex;
}
