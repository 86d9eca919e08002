// Reading back what the tests printed on the PDF test printer.
//
// The test script starts a print spooler whose default printer PDF writes every job to a
// folder named by BREVDUVA_PRINT_DIR (a Linux path), as "<job title>...-job_<n>.pdf".
// Without that variable there is no printer: tests skip (PRINT_OUTPUT_REQUIRE does it).
#pragma once
#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

// The output folder as a Windows path ending in a backslash, or "" when there is no printer.
std::string print_output_folder();

// A job title no other test process uses: letters, digits and underscores only, so the
// spooler keeps it as the file name's start.
std::string print_output_title(const char* base);

// Waits until the job of that title has become a complete PDF file; its Windows path, or ""
// after the timeout.
std::string print_output_wait(const std::string& title, int timeout_milliseconds = 20000);

// Whether any file of that job title exists now.
bool print_output_exists(const std::string& title);

// The text of each page of the PDF (pdftotext -layout), or an empty list when it cannot be read.
std::vector<std::string> print_output_pages(const std::string& pdf_path);

// A word on a printed page with its box in points from the page's top left corner.
struct printed_word {
    int page;  // from 1
    std::string text;  // UTF-8, as the PDF holds it
    double left, top, right, bottom;
};
std::vector<printed_word> print_output_words(const std::string& pdf_path);

// The names of the fonts the PDF uses, one per line (pdffonts).
std::string print_output_fonts(const std::string& pdf_path);

// Gives the characters [start, end) of a rich edit control the face Arial, the size in points,
// the effects (CFE_BOLD ...) and the colour; leaves the caret at 0.
void print_test_format(HWND editor, LONG start, LONG end, DWORD effects, int points, COLORREF colour = 0);

// Lines "Rad <number> <words>" numbered from first (four digits), joined by line breaks.
std::string print_test_lines(int first, int count, const char* words);

// "" when the default printer can be opened and the output folder exists, else what is wrong.
std::string print_output_problem();

// Held for a whole test that prints on the default printer or changes the profile's default
// printer entry: one lock across all test processes, so that an entry one test writes never
// reaches another test's print run. Restores the entry it found when it ends.
struct print_output_guard {
    print_output_guard();
    ~print_output_guard();
    print_output_guard(const print_output_guard&) = delete;
    print_output_guard& operator=(const print_output_guard&) = delete;
    HANDLE mutex;
    char device_entry[256];
};

// Skips the test when this run has no test printer; fails it when one was promised
// (BREVDUVA_PRINT_DIR is set) but cannot be used.
#define PRINT_OUTPUT_REQUIRE()                                                                  \
    do {                                                                                        \
        if (print_output_folder().empty())                                                      \
            GTEST_SKIP() << "no test printer: BREVDUVA_PRINT_DIR is not set (scripts/test.sh "  \
                            "sets it after starting the PDF printer)";                          \
        std::string print_problem_ = print_output_problem();                                    \
        if (!print_problem_.empty()) FAIL() << print_problem_;                                  \
    } while (0)
