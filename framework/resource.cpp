#include "framework/resource.h"

static HINSTANCE g_resourceHandle = nullptr;

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleA(nullptr); }

HINSTANCE AfxGetResourceHandle() {
    return g_resourceHandle ? g_resourceHandle : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE instance) { g_resourceHandle = instance; }
