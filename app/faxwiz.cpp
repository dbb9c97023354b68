// The fax setup wizard program: its one application object. The framework's
// WinMain drives it.
#include "app/wizardapp.h"

WizardApp theApp;
