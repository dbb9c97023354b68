// What the wizard uses of the maker's UI extension library: InitUiExtensions,
// CMacroText with LoadEx, and the CFaxIdEdit and CFaxHeaderField controls.
#pragma once
#include "maker/uiext/uiext.h"
