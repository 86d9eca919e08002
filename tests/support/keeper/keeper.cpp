// Keeps one Wine program alive for a whole test run, so each test program starts fast.
#include <windows.h>

int main() {
    CreateWindowExA(0, "STATIC", "brevduva-keeper", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    Sleep(INFINITE);
    return 0;
}
