#include "support/dialog_helper.h"

#include <deque>
#include <map>
#include <set>

namespace {

struct queued_action {
    std::string caption;  // empty: any dialog
    dialog_action action;
};

UINT_PTR timer_id = 0;
bool in_tick = false;
std::deque<queued_action> actions;
std::vector<seen_dialog> seen;
std::vector<seen_dialog> unexpected;
std::set<HWND> acted_on;
std::map<HWND, int> unattended_ticks;

constexpr int UNEXPECTED_TICKS = 40;  // 40 x 50 ms

struct search {
    std::vector<HWND> dialogs;
};

BOOL CALLBACK collect_dialog(HWND window, LPARAM lparam) {
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window)) {
        reinterpret_cast<search*>(lparam)->dialogs.push_back(window);
    }
    return TRUE;
}

bool is_modal(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    return owner == nullptr || !IsWindowEnabled(owner);
}

void forget_gone_windows() {
    for (auto it = acted_on.begin(); it != acted_on.end();) {
        it = IsWindow(*it) ? std::next(it) : acted_on.erase(it);
    }
    for (auto it = unattended_ticks.begin(); it != unattended_ticks.end();) {
        it = IsWindow(it->first) ? std::next(it) : unattended_ticks.erase(it);
    }
}

seen_dialog describe(HWND dialog) { return {window_text(dialog), dialog_text(dialog)}; }

void handle_unattended(HWND dialog) {
    if (!is_modal(dialog)) return;
    if (++unattended_ticks[dialog] < UNEXPECTED_TICKS) return;
    unexpected.push_back(describe(dialog));
    acted_on.insert(dialog);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (in_tick) return;
    in_tick = true;
    forget_gone_windows();
    search found;
    EnumThreadWindows(GetCurrentThreadId(), collect_dialog, reinterpret_cast<LPARAM>(&found));
    for (HWND dialog : found.dialogs) {
        if (acted_on.count(dialog)) continue;
        if (!actions.empty() &&
            (actions.front().caption.empty() || actions.front().caption == window_text(dialog))) {
            queued_action next = actions.front();
            actions.pop_front();
            seen.push_back(describe(dialog));
            acted_on.insert(dialog);
            next.action(dialog);
            break;
        }
        handle_unattended(dialog);
    }
    in_tick = false;
}

}  // namespace

void dialog_helper_start() {
    dialog_helper_clear();
    if (timer_id == 0) timer_id = SetTimer(nullptr, 0, 50, tick);
}

void dialog_helper_stop() {
    if (timer_id) KillTimer(nullptr, timer_id);
    timer_id = 0;
}

void dialog_helper_queue(dialog_action action) { actions.push_back({std::string(), std::move(action)}); }

void dialog_helper_queue_for(const std::string& caption, dialog_action action) {
    actions.push_back({caption, std::move(action)});
}

void dialog_helper_queue_button(int id) {
    dialog_helper_queue([id](HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); });
}

void dialog_helper_queue_text_ok(int control_id, const std::string& text) {
    dialog_helper_queue([control_id, text](HWND dialog) {
        SetDlgItemTextA(dialog, control_id, text.c_str());
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
}

int dialog_helper_pending() { return (int)actions.size(); }
const std::vector<seen_dialog>& dialog_helper_seen() { return seen; }
const std::vector<seen_dialog>& dialog_helper_unexpected() { return unexpected; }

void dialog_helper_clear() {
    actions.clear();
    seen.clear();
    unexpected.clear();
    acted_on.clear();
    unattended_ticks.clear();
}

std::string window_text(HWND window) {
    char buffer[2048] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string dialog_text(HWND dialog) {
    HWND label = GetDlgItem(dialog, 0xFFFF);
    return label ? window_text(label) : std::string();
}
