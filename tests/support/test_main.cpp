// Test entry: a crash ends the process with a code of its own instead of waking a debugger.
#include <windows.h>

#include <gtest/gtest.h>

namespace {
constexpr UINT CRASH_EXIT_CODE = 77;

LONG WINAPI end_on_crash(EXCEPTION_POINTERS* info) {
    fprintf(stderr, "crash: exception 0x%08lx\n", info ? info->ExceptionRecord->ExceptionCode : 0ul);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), CRASH_EXIT_CODE);
    return EXCEPTION_EXECUTE_HANDLER;
}
}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(end_on_crash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
