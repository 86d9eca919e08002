// Finding the word processor's controls from another program, for the end-to-end helpers.
#pragma once
#include <windows.h>

#include <cstring>

namespace window_search_detail {

struct child_search {
    const char* class_fragment;
    HWND found;
};

inline BOOL CALLBACK find_child(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<child_search*>(lp);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    CharUpperA(cls);
    if (std::strstr(cls, s->class_fragment)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace window_search_detail

// The first child window whose class name holds the fragment (given in upper case), or null.
inline HWND child_of(HWND parent, const char* fragment) {
    window_search_detail::child_search s = {fragment, nullptr};
    EnumChildWindows(parent, window_search_detail::find_child, reinterpret_cast<LPARAM>(&s));
    return s.found;
}
