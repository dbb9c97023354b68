// $name$ references in the texts of a dialog and its controls, filled from the
// name=value string ranges of the resource module.
#pragma once
#include <windows.h>

#include "common/expand.h"

// Expands the window's own text and, recursively, those of its children,
// except edit and combo-box controls, whose text is the user's. Returns the
// number of windows that had a text.
int ExpandDialogTexts(HWND window, HINSTANCE instance, WORD firstId, WORD secondId,
                      ExpandFlags flags);

// Expands one window's text, whatever its length. Returns 1 when the window
// had a text, else 0.
int ExpandWindowText(HWND window, HINSTANCE instance, WORD firstId, WORD secondId,
                     ExpandFlags flags);
