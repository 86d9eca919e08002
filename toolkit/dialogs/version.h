// Which version of the system runs, as one code, and a small report of it.
#pragma once
#include <windows.h>

// Condensed from the platform's version record. code: 95, 98, 99 (family 1); 351, 400, 500, 510,
// 520 (family 2); 0 for a version of either family not named here; -1 for any other family.
struct version_info {
    int code;
    int major, minor;  // as the report shows them; a version not named keeps its own numbers
    int build;         // family 1: the low 16 bits only
    char update[128];  // family 1: "First Edition", "OSR2" or "Second Edition"; else the service pack text
};

version_info version_decode(const OSVERSIONINFOA& record);
// The report's text; size 512 holds any of them.
void version_format_report(const version_info& info, char* buffer, int size);
// The code of the running system; "SHOW" also shows the report in a message box.
int system_version(const char* keyword);
