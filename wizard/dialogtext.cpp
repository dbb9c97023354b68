#include "wizard/dialogtext.h"

#include <stdlib.h>

int ExpandWindowText(HWND window, HINSTANCE instance, WORD firstId, WORD secondId,
                     ExpandFlags flags) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0) return 0;
    // Room for the references to grow to twice the text.
    long size = 2L * (length + 1);
    if (size < 256) size = 256;
    // The expansion counts in 16 bits; a longer text stays as it is rather
    // than being cut.
    if (size > 0x7FFF) return 1;
    char* buffer = static_cast<char*>(calloc((size_t)size, 1));
    if (!buffer) return 1;
    GetWindowTextA(window, buffer, (int)size);
    if (buffer[0]) {
        ExpandWithStringResources(buffer, (short)size, instance, firstId, secondId, flags);
        SetWindowTextA(window, buffer);
    }
    free(buffer);
    return 1;
}

int ExpandDialogTexts(HWND window, HINSTANCE instance, WORD firstId, WORD secondId,
                      ExpandFlags flags) {
    int count = ExpandWindowText(window, instance, firstId, secondId, flags);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[33] = {};
        if (GetClassNameA(child, className, sizeof className) <= 0) continue;
        if (lstrcmpiA(className, "combobox") == 0 || lstrcmpiA(className, "edit") == 0) continue;
        count += ExpandDialogTexts(child, instance, firstId, secondId, flags);
    }
    return count;
}
