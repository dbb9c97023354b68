// What the pages share about their edit fields: reading what the user typed,
// and refusing a field that must not stay empty.
#pragma once
#include <windows.h>

#include "framework/cstring.h"
#include "framework/dialog.h"

// The field's text as typed; the road makes it a stored value.
CString TypedText(const CWnd& field);

// Tells the user what the field lacks: message string textId with caption
// string captionId, their $name$ references filled in, in a box owned by the
// page with the exclamation icon and OK; then the focus goes back to the field.
void RefuseField(CDialog& page, UINT textId, UINT captionId, CWnd& field);

// A page without fields of its own opens with the focus on Next, wherever it
// stands in the tab order, so that Enter goes on. Returns what OnInitDialog
// returns once it has set the focus.
BOOL StartOnNext(CDialog& page);
// The focus on the page's first answer that can be changed, else on Next;
// what OnInitDialog returns.
BOOL StartOnFirstAnswer(CDialog& page);
