// The benchmark's floor: the least a program can do to show the same two
// pages, with the platform's own dialog boxes. Next on the first page opens
// the second; Cancel ends.
#include <windows.h>

#include "framework/dialog.h"

static INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // Marked as the framework marks its dialogs, so one driver finds both.
        SetPropA(dialog, WIZ_TEMPLATE_ID_PROP, (HANDLE)lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == 5544 || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        RemovePropA(dialog, WIZ_TEMPLATE_ID_PROP);
        break;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(2805), nullptr, PageProc, 2805) == 5544)
        DialogBoxParamA(instance, MAKEINTRESOURCEA(2808), nullptr, PageProc, 2808);
    return 0;
}
