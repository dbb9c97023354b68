// The framework's resource handle: where dialogs, strings and bitmaps come from.
#pragma once
#include <windows.h>

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);
// The program's own instance.
HINSTANCE AfxGetInstanceHandle();
