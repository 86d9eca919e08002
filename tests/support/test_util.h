// Small helpers shared by the tests: message pumping, temporary folders and files.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <functional>
#include <string>

// Dispatches this thread's messages for about the given time.
void pump_messages(int milliseconds);
// Dispatches messages until the condition holds or the time is up; returns the condition.
bool pump_until(const std::function<bool()>& condition, int timeout_milliseconds);
// A new empty folder under the system's temporary folder, ending in a backslash.
std::string temp_folder();
std::string file_read(const std::string& path);
bool file_write(const std::string& path, const std::string& content);
bool file_exists(const std::string& path);
// The paragraph format of the rich edit control's paragraph that holds the position (the
// selection moves there).
PARAFORMAT paragraph_at(HWND editor, LONG position);
// Selects the whole text of the editor, copies it and saves it to the path (an .rtf path runs the
// control's RTF writer for both): the saved file's bytes, or nothing when the save failed.
std::string editor_copied_and_saved(HWND editor, const std::string& path);
// Puts the text on the clipboard as CF_TEXT, and the RTF when given as "Rich Text Format", as
// another program would; false when the clipboard could not be had.
bool clipboard_text_set(const char* text, const std::string& rtf = "");
// A bitmap's header in hex, as a picture's data begins in RTF (size: the header's own count of
// its bytes, written in its first field).
std::string bitmap_header_hex(unsigned long width, unsigned long height, unsigned long bits,
                              unsigned long compression, unsigned long colours, unsigned long size = 40);

// The text a status-bar part shows on the screen: how many dark pixels it has, and how far the
// rightmost one stays from the part's right border (-1 without any; a cut text touches it).
struct part_ink {
    int count = 0;
    int room_right = -1;
};
part_ink statusbar_part_ink(HWND bar, int part);
