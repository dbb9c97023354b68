// The benchmark's floor: the least a program can do to show the same two
// pages, with the platform's own dialog boxes. Next on the first page opens
// the second; Cancel ends.
#include <windows.h>

#include "common/timing.h"
#include "framework/dialog.h"

// Marks the steps the benchmark times, as the wizard's pages mark them.
static void Mark(HWND dialog, const char* step) {
    TimingMarkPage((int)(INT_PTR)GetPropA(dialog, WIZ_TEMPLATE_ID_PROP), step);
}

static INT_PTR CALLBACK PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam) Mark(dialog, "shown");
        break;
    case WM_PAINT: {
        // What the dialog's default painting does; marked once it is done.
        PAINTSTRUCT paint;
        BeginPaint(dialog, &paint);
        EndPaint(dialog, &paint);
        Mark(dialog, "painted");
        return TRUE;
    }
    case WM_INITDIALOG:
        // Marked as the framework marks its dialogs, so one driver finds both.
        SetPropA(dialog, WIZ_TEMPLATE_ID_PROP, (HANDLE)lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == 5544 || LOWORD(wParam) == IDCANCEL) {
            if (LOWORD(wParam) == 5544) Mark(dialog, "next");
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
    TimingMark("start");
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(2805), nullptr, PageProc, 2805) == 5544)
        DialogBoxParamA(instance, MAKEINTRESOURCEA(2808), nullptr, PageProc, 2808);
    return 0;
}
