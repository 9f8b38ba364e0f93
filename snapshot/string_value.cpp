// The size first, then a block of that size and one byte more.
#include "snapshot/string_value.h"

StringValueRead ReadStringValue(HKEY key, LPCSTR valueName, HeapBlock* text) {
    DWORD size = 0;
    SetLastError(RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, &size));
    if (GetLastError() != ERROR_SUCCESS) return kStringValueSizeFailed;
    if (!text->Allocate(static_cast<SIZE_T>(size) + 1)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return kStringValueDataFailed;
    }
    DWORD read = size;
    SetLastError(RegQueryValueExA(key, valueName, nullptr, nullptr, text->bytes(), &read));
    if (GetLastError() != ERROR_SUCCESS) return kStringValueDataFailed;
    text->bytes()[read <= size ? read : size] = 0;
    return kStringValueRead;
}
