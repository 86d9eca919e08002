#include "toolkit/dialogs/version.h"

#include <stdio.h>
#include <string.h>

namespace {

constexpr int REPORT_SIZE = 512;

// The last call's answer stays until the next call.
version_info last_version;

int code_of(const OSVERSIONINFOA& record) {
    DWORD major = record.dwMajorVersion, minor = record.dwMinorVersion;
    if (record.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        return minor == 0 ? 95 : minor == 10 ? 98 : minor == 90 ? 99 : 0;
    }
    if (record.dwPlatformId != VER_PLATFORM_WIN32_NT) return -1;
    if (major == 3) return 351;
    if (major == 4) return 400;
    if (major == 5 && minor <= 2) return 500 + 10 * (int)minor;
    return 0;
}

void update_of(const OSVERSIONINFOA& record, char* update, int size) {
    if (record.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) {
        lstrcpynA(update, record.szCSDVersion, size);  // the record's text need not end within it
        return;
    }
    const char* edition = "First Edition";
    if (strcmp(record.szCSDVersion, " C") == 0) edition = "OSR2";
    if (strcmp(record.szCSDVersion, " A") == 0) edition = "Second Edition";
    lstrcpynA(update, edition, size);
}

}  // namespace

version_info version_decode(const OSVERSIONINFOA& record) {
    version_info info = {};
    info.code = code_of(record);
    bool family_one = record.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    info.build = family_one ? (int)LOWORD(record.dwBuildNumber) : (int)record.dwBuildNumber;
    update_of(record, info.update, sizeof info.update);
    switch (info.code) {
        case 351: info.major = 3, info.minor = 51; break;
        case 400: info.major = 4; break;
        case 500: case 510: case 520: info.major = 5, info.minor = info.code - 500; break;
        case 0: info.major = (int)record.dwMajorVersion, info.minor = (int)record.dwMinorVersion; break;
        default: break;
    }
    return info;
}

void version_format_report(const version_info& info, char* buffer, int size) {
    const char* system = nullptr;
    switch (info.code) {
        case 95: case 98: case 99:
            snprintf(buffer, size, "OS          =   Windows %i\nBuild       =  %i\nUpdate   =  %s", info.code, info.build,
                     info.update);
            return;
        case 351: case 400: system = "Windows %i.%i  NT Technology"; break;
        case 500: system = "Windows 2000 %i.%i  NT Technology"; break;
        case 510: system = "Windows XP %i.%i  NT Technology"; break;
        case 520: system = "Windows .NET Server 2003 family %i.%i  NT Technology"; break;
        case 0: system = "Windows %i.%i  (version not listed)"; break;
        default: system = "Windows Undknown %i.%i undknown Technology"; break;
    }
    char format[128];
    snprintf(format, sizeof format, "OS          =  %s\nBuild       =  %%i\nUpdate   =  %%s", system);
    snprintf(buffer, size, format, info.major, info.minor, info.build, info.update);
}

int system_version(const char* keyword) {
    OSVERSIONINFOA record = {};
    record.dwOSVersionInfoSize = sizeof record;
    if (!GetVersionExA(&record)) {
        record = OSVERSIONINFOA{};
    }
    last_version = version_decode(record);
    if (!keyword || strcmp(keyword, "SHOW") != 0) return last_version.code;
    char report[REPORT_SIZE];
    version_format_report(last_version, report, sizeof report);
    MessageBoxA(nullptr, report, "OS version info", MB_OK);
    return last_version.code;
}
