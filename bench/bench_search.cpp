// Searches a 9.5 MB document down and up over the same distances and prints the times.
// Target: the upward search never takes more than twice the downward one.
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <random>
#include <string>

#include "toolkit/richedit/editor.h"
#include "toolkit/richedit/search.h"

namespace {

constexpr size_t DOCUMENT_SIZE = 9500000;

WNDPROC control_procedure = nullptr;
int search_calls = 0;

LRESULT CALLBACK counting_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == EM_FINDTEXTEX) ++search_calls;
    return CallWindowProcA(control_procedure, window, message, wparam, lparam);
}

// Paragraphs of 200 to 2800 characters of ordinary words; two marker words near either end.
std::string make_document() {
    const char* words[] = {"och", "att", "det", "som", "en", "på", "är", "av", "för", "med", "till", "den", "har",
                           "de", "inte", "om", "ett", "han", "men", "var", "jag", "sig", "från", "vi", "så",
                           "kan", "man", "när", "år", "säger", "hon", "under", "också", "efter", "eller", "nu",
                           "brev", "duva", "dokument", "sökning", "Åsa", "Öland", "ärende", "mellan", "många"};
    std::mt19937 random(7);
    std::string text;
    text.reserve(DOCUMENT_SIZE + 4000);
    size_t paragraph_end = 0;
    while (text.size() < DOCUMENT_SIZE) {
        if (text.size() >= paragraph_end) {
            if (!text.empty()) text += "\r\n";
            paragraph_end = text.size() + 200 + random() % 2600;
        }
        text += words[random() % (sizeof words / sizeof *words)];
        text += ' ';
        if (text.size() > DOCUMENT_SIZE * 3 / 100 && text.find("fjärranstart") == std::string::npos) text += "fjärranstart ";
        if (text.size() > DOCUMENT_SIZE * 97 / 100 && text.find("fjärranslut") == std::string::npos) text += "fjärranslut ";
    }
    return text;
}

struct memory_source {
    const std::string* text;
    size_t at;
};

DWORD CALLBACK read_memory(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    memory_source* source = (memory_source*)cookie;
    size_t left = source->text->size() - source->at;
    *done = (LONG)(left < (size_t)count ? left : (size_t)count);
    memcpy(buffer, source->text->data() + source->at, *done);
    source->at += *done;
    return 0;
}

double seconds_since(LARGE_INTEGER start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

struct timing {
    double seconds;
    int result;
    int calls;
};

timing run_find(HWND editor, const char* word, LONG caret, const char* direction) {
    editor_select(editor, caret, caret);
    search_calls = 0;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    int result = editor_find(editor, word, 0, direction, nullptr);
    return {seconds_since(start), result, search_calls};
}

void compare(HWND editor, const char* what, const char* down_word, const char* up_word, LONG length) {
    timing down = run_find(editor, down_word, 0, "D");
    CHARRANGE found;
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&found);
    LONG down_distance = down.result == 0 ? found.cpMin : length;
    timing up = run_find(editor, up_word, length, "U");
    SendMessageA(editor, EM_EXGETSEL, 0, (LPARAM)&found);
    LONG up_distance = up.result == 0 ? length - found.cpMax : length;
    std::printf("%-10s down from 0:   %8.3f s  result %2d  distance %8ld  %3d control calls\n", what, down.seconds,
                down.result, (long)down_distance, down.calls);
    std::printf("%-10s up from end:   %8.3f s  result %2d  distance %8ld  %3d control calls  up/down %.2f\n", what,
                up.seconds, up.result, (long)up_distance, up.calls, up.seconds / down.seconds);
}

}  // namespace

int main() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "bench_search";
    RegisterClassA(&window_class);
    HWND parent = CreateWindowA("bench_search", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                                window_class.hInstance, nullptr);
    HWND editor = editor_create(parent, 0, 0, 0, 0, "VHSCROLL", 10000000);
    if (!editor) {
        std::printf("no editor\n");
        return 1;
    }
    control_procedure = (WNDPROC)SetWindowLongPtrA(editor, GWLP_WNDPROC, (LONG_PTR)counting_procedure);

    std::string text = make_document();
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    memory_source source = {&text, 0};
    EDITSTREAM stream = {(DWORD_PTR)&source, 0, read_memory};
    SendMessageA(editor, EM_STREAMIN, SF_TEXT, (LPARAM)&stream);
    LONG length = editor_text_length(editor);
    std::printf("document: %ld characters, loaded in %.1f s\n", (long)length, seconds_since(start));

    compare(editor, "absent", "saknasord", "saknasord", length);
    compare(editor, "far away", "fjärranslut", "fjärranstart", length);
    // a word a few hundred characters away, up and down from the middle
    timing down = run_find(editor, "Öland", length / 2, "D");
    timing up = run_find(editor, "Öland", length / 2, "U");
    std::printf("near       down %8.3f s (%d calls), up %8.3f s (%d calls) from the middle\n", down.seconds, down.calls,
                up.seconds, up.calls);
    return 0;
}
