// Values kept between runs in the user's part of the registry, under one key of the program's.
// Every value read is only a candidate: callers check its range before they use it.
#pragma once
#include <windows.h>

enum settings_result {
    SETTINGS_OK = 0,
    SETTINGS_MISSING = 1,  // no such value, or one of another type or size
    SETTINGS_FAILED = 2,   // the key could not be opened or written
};

constexpr const char* SETTINGS_KEY_DEFAULT = "Software\\Brevduva Daraduder";

// The key under HKEY_CURRENT_USER that every call below uses; tests point it elsewhere.
void settings_key_set(const char* path);
const char* settings_key_get();

// A DWORD value.
settings_result settings_read_int(const char* name, int* value);
settings_result settings_write_int(const char* name, int value);
// A string value that fits in size bytes with its NUL; a longer one is MISSING, never cut.
settings_result settings_read_text(const char* name, char* buffer, int size);
settings_result settings_write_text(const char* name, const char* text);
// A binary value of exactly size bytes.
settings_result settings_read_bytes(const char* name, void* buffer, int size);
settings_result settings_write_bytes(const char* name, const void* data, int size);
settings_result settings_delete(const char* name);
// Removes the whole key with its values (tests, and a reset to the first start).
settings_result settings_clear();
