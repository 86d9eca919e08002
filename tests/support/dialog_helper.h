// Answers modal dialogs inside a test, on the test's own thread.
//
// A thread timer fires inside every nested modal loop (message boxes, DialogBoxParamA,
// the common dialogs). On each tick the helper looks for the topmost visible, enabled
// dialog (#32770) of the thread that it has not acted on yet, records its caption and
// message text, and runs the next queued action on it. Actions must post, not send, so
// that the tick returns before any nested loop starts.
//
// A modal dialog that shows up with no action queued is recorded as unexpected and closed
// after about two seconds, so a test fails instead of hanging. Modeless dialogs (whose
// owner stays enabled) are left alone unless an action is queued for them.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct seen_dialog {
    std::string caption;
    std::string text;  // the message text of a message box (static 0xFFFF), else empty
};

using dialog_action = std::function<void(HWND dialog)>;

void dialog_helper_start();
void dialog_helper_stop();
void dialog_helper_queue(dialog_action action);
// Queues a click of the button or command id (IDOK, IDYES, IDNO, IDCANCEL, ...).
void dialog_helper_queue_button(int id);
// Queues: put the text into the control id, then press OK (file dialogs: control 1148).
void dialog_helper_queue_text_ok(int control_id, const std::string& text);
// Only dialogs with this caption are acted on by the next queued action (empty: any).
void dialog_helper_queue_for(const std::string& caption, dialog_action action);
int dialog_helper_pending();
const std::vector<seen_dialog>& dialog_helper_seen();
const std::vector<seen_dialog>& dialog_helper_unexpected();
void dialog_helper_clear();

// Reads a dialog's message text (message boxes keep it in the static with id 0xFFFF).
std::string dialog_text(HWND dialog);
std::string window_text(HWND window);
