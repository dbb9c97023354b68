// The product's install marks in registry section 16 that the end of the
// road settles: "RunSetupWizard" and the one-shot "RunRegistration".
#pragma once
#include <string>

// Records that the setup wizard need not run again: "RunSetupWizard" = "0".
void ClearRunSetupWizard();
// "RunSetupWizard" as it stands; "1" when there is none, as the package and
// the wizard read a missing mark.
std::string ReadRunSetupWizard();
// Puts back a value read before; false when it cannot be written.
bool WriteRunSetupWizard(const std::string& value);

// Starts product registration (link 9936) when "RunRegistration" holds
// exactly "1", clearing it to "0" first so it starts at most once. Any other
// value, or none, is left as it is, and so is "1" when the link library is
// missing or cannot load. Returns 1 when registration was asked for.
int LaunchPendingRegistration();
