#include "toolkit/dialogs/user_settings.h"

#include <string.h>

namespace {

char settings_key[256] = "Software\\Brevduva Daraduder";

// The key opened for reading, or null when it does not exist.
HKEY key_open_read() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, settings_key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

HKEY key_open_write() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, settings_key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// Reads a value of the given type into buffer; size in: the buffer's, out: the value's.
settings_result value_read(const char* name, DWORD type, void* buffer, DWORD* size) {
    HKEY key = key_open_read();
    if (!key) return SETTINGS_MISSING;
    DWORD found = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &found, static_cast<BYTE*>(buffer), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && found == type ? SETTINGS_OK : SETTINGS_MISSING;
}

settings_result value_write(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = key_open_write();
    if (!key) return SETTINGS_FAILED;
    LONG status = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? SETTINGS_OK : SETTINGS_FAILED;
}

}  // namespace

void settings_key_set(const char* path) {
    if (!path || strlen(path) >= sizeof settings_key) return;
    strcpy(settings_key, path);
}

const char* settings_key_get() { return settings_key; }

settings_result settings_read_int(const char* name, int* value) {
    DWORD read = 0, size = sizeof read;
    settings_result result = value_read(name, REG_DWORD, &read, &size);
    if (result != SETTINGS_OK || size != sizeof read) return SETTINGS_MISSING;
    *value = static_cast<int>(read);
    return SETTINGS_OK;
}

settings_result settings_write_int(const char* name, int value) {
    DWORD data = static_cast<DWORD>(value);
    return value_write(name, REG_DWORD, &data, sizeof data);
}

settings_result settings_read_text(const char* name, char* buffer, int size) {
    if (!buffer || size <= 0) return SETTINGS_MISSING;
    DWORD got = static_cast<DWORD>(size);
    settings_result result = value_read(name, REG_SZ, buffer, &got);
    // a value stored without its NUL, or one that fills the buffer to the last byte, is too long
    if (result != SETTINGS_OK || got == 0 || memchr(buffer, '\0', got) == nullptr) {
        buffer[0] = '\0';
        return SETTINGS_MISSING;
    }
    return SETTINGS_OK;
}

settings_result settings_write_text(const char* name, const char* text) {
    return value_write(name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
}

settings_result settings_read_bytes(const char* name, void* buffer, int size) {
    if (!buffer || size <= 0) return SETTINGS_MISSING;
    DWORD got = static_cast<DWORD>(size);
    settings_result result = value_read(name, REG_BINARY, buffer, &got);
    return result == SETTINGS_OK && got == static_cast<DWORD>(size) ? SETTINGS_OK : SETTINGS_MISSING;
}

settings_result settings_write_bytes(const char* name, const void* data, int size) {
    return value_write(name, REG_BINARY, data, static_cast<DWORD>(size));
}

settings_result settings_delete(const char* name) {
    HKEY key = key_open_write();
    if (!key) return SETTINGS_FAILED;
    LONG status = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? SETTINGS_OK : SETTINGS_FAILED;
}

settings_result settings_clear() {
    LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, settings_key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? SETTINGS_OK : SETTINGS_FAILED;
}
