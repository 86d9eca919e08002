// The platform records the toolkit fills have the sizes the 32-bit program was written against.
// Code always uses sizeof; these checks only hold the 32-bit build to those sizes.
#pragma once
#include <windows.h>
#include <cstddef>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#if !defined(_WIN64)
static_assert(sizeof(WNDCLASSEXA) == 48, "WNDCLASSEXA");
static_assert(sizeof(TBBUTTON) == 20, "TBBUTTON");
// the version-4 record ends with lpTemplateName
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76, "OPENFILENAMEA version 4");
static_assert(sizeof(PRINTDLGA) == 66, "PRINTDLGA");
static_assert(sizeof(FINDREPLACEA) == 40, "FINDREPLACEA");
static_assert(sizeof(CHOOSEFONTA) == 60, "CHOOSEFONTA");
static_assert(sizeof(CHOOSECOLORA) == 36, "CHOOSECOLORA");
static_assert(sizeof(DOCINFOA) == 20, "DOCINFOA");
static_assert(sizeof(PARAFORMAT) == 156, "PARAFORMAT");
static_assert(sizeof(CHARFORMATA) == 60, "CHARFORMATA");
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA");
#endif
