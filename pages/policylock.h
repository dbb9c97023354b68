// A value the administrator's policy holds is shown on its page but cannot be
// changed there: its controls are disabled and the page's note says why.
#pragma once
#include <initializer_list>

#include "framework/dialog.h"
#include "settings/policy.h"

// Disables the controls of the value and shows the page's note when a policy
// holds the value; true then.
bool LockHeldValue(CDialog& page, PolicyValue value, std::initializer_list<int> controls);
