#include "support/print_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/test_util.h"
#include "toolkit/richedit/print.h"

namespace {

std::string linux_folder() {
    const char* folder = std::getenv("BREVDUVA_PRINT_DIR");
    return folder ? folder : "";
}

std::string to_linux(const std::string& windows_path) {
    std::string path = windows_path.substr(2);  // "Z:"
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

bool pdf_complete(const std::string& path) {
    std::string content = file_read(path);
    return content.size() > 8 && content.rfind("%%EOF") != std::string::npos &&
           content.rfind("%%EOF") + 8 >= content.size();
}

// The file name of the title's job in the folder, or "".
std::string job_file(const std::string& title) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((print_output_folder() + title + "*-job_*.pdf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return "";
    FindClose(search);
    return found.cFileName;
}

// Runs a shell command line of the host system through Wine's Z: drive and returns what it
// wrote to its output file (renamed into place only when the command is done).
std::string host_command_output(const std::string& command) {
    static int counter = 0;
    std::string out = print_output_folder() + "host-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(++counter) + ".txt";
    std::string target = to_linux(out);
    std::string line = "Z:\\bin\\sh -c \"" + command + " > '" + target + ".tmp' 2>/dev/null; mv '" + target +
                       ".tmp' '" + target + "'\"";
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process)) {
        return "";
    }
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    pump_until([&] { return file_exists(out); }, 20000);
    std::string text = file_read(out);
    DeleteFileA(out.c_str());
    return text;
}

}  // namespace

std::string print_output_folder() {
    std::string folder = linux_folder();
    if (folder.empty()) return "";
    std::string path = "Z:";
    for (char c : folder) path += c == '/' ? '\\' : c;
    if (path.back() != '\\') path += '\\';
    return path;
}

std::string print_output_title(const char* base) {
    static int counter = 0;
    static DWORD started = GetTickCount();  // with the process id: unique across runs too
    char title[128];
    std::snprintf(title, sizeof title, "%s_%lu_%lu_%03dj", base, GetCurrentProcessId(), started % 1000000, ++counter);
    return title;
}

std::string print_output_wait(const std::string& title, int timeout_milliseconds) {
    std::string path;
    pump_until(
        [&] {
            std::string name = job_file(title);
            path = name.empty() ? "" : print_output_folder() + name;
            return !path.empty() && pdf_complete(path);
        },
        timeout_milliseconds);
    return !path.empty() && pdf_complete(path) ? path : "";
}

bool print_output_exists(const std::string& title) { return !job_file(title).empty(); }

std::vector<std::string> print_output_pages(const std::string& pdf_path) {
    std::string text = host_command_output("pdftotext -layout '" + to_linux(pdf_path) + "' -");
    std::vector<std::string> pages;
    size_t start = 0, feed;
    while ((feed = text.find('\f', start)) != std::string::npos) {
        pages.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    return pages;
}

static double attribute(const std::string& tag, const char* name) {
    size_t at = tag.find(std::string(name) + "=\"");
    return at == std::string::npos ? 0.0 : std::atof(tag.c_str() + at + std::strlen(name) + 2);
}

std::vector<printed_word> print_output_words(const std::string& pdf_path) {
    std::string html = host_command_output("pdftotext -bbox '" + to_linux(pdf_path) + "' -");
    std::vector<printed_word> words;
    int page = 0;
    size_t at = 0;
    while ((at = html.find('<', at)) != std::string::npos) {
        size_t close = html.find('>', at);
        if (close == std::string::npos) break;
        std::string tag = html.substr(at, close - at + 1);
        if (tag.compare(0, 6, "<page ") == 0) ++page;
        if (tag.compare(0, 6, "<word ") == 0) {
            size_t end = html.find("</word>", close);
            words.push_back({page, html.substr(close + 1, end - close - 1), attribute(tag, "xMin"),
                             attribute(tag, "yMin"), attribute(tag, "xMax"), attribute(tag, "yMax")});
        }
        at = close;
    }
    return words;
}

std::string print_output_fonts(const std::string& pdf_path) {
    return host_command_output("pdffonts '" + to_linux(pdf_path) + "'");
}

void print_test_format(HWND editor, LONG start, LONG end, DWORD effects, int points, COLORREF colour) {
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_SIZE | CFM_FACE;
    format.dwEffects = effects;
    format.yHeight = points * 20;
    format.crTextColor = colour;
    lstrcpyA(format.szFaceName, "Arial");
    CHARRANGE range = {start, end};
    SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&range);
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    range = {0, 0};
    SendMessageA(editor, EM_EXSETSEL, 0, (LPARAM)&range);
}

std::string print_test_lines(int first, int count, const char* words) {
    std::string text;
    for (int i = first; i < first + count; ++i) {
        char line[256];
        std::snprintf(line, sizeof line, "Rad %04d %s%s", i, words, i < first + count - 1 ? "\r\n" : "");
        text += line;
    }
    return text;
}

std::string print_output_problem() {
    if (GetFileAttributesA(print_output_folder().c_str()) == INVALID_FILE_ATTRIBUTES) {
        return "BREVDUVA_PRINT_DIR is set but its folder " + linux_folder() + " does not exist";
    }
    char entry[256];
    GetProfileStringA("windows", "device", ",,,", entry, sizeof entry);
    HDC printer = printer_create_default();
    if (printer == nullptr) {
        return std::string("BREVDUVA_PRINT_DIR is set but the default printer \"") + entry +
               "\" cannot be opened: is the print spooler with the PDF printer running?";
    }
    DeleteDC(printer);
    return "";
}

print_output_guard::print_output_guard() {
    mutex = CreateMutexA(nullptr, FALSE, "brevduva-test-default-printer");
    if (mutex) WaitForSingleObject(mutex, INFINITE);
    GetProfileStringA("windows", "device", "", device_entry, sizeof device_entry);
}

print_output_guard::~print_output_guard() {
    char now[256];
    GetProfileStringA("windows", "device", "", now, sizeof now);
    if (lstrcmpA(now, device_entry) != 0) WriteProfileStringA("windows", "device", device_entry);
    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
}
