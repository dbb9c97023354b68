#include "pages/setupmarks.h"

#include <string.h>

#include "common/registry/values.h"
#include "maker/link/link.h"

namespace {
const unsigned short kInstallSection = 16;
}

void ClearRunSetupWizard() { WriteRegString(kInstallSection, 0, "RunSetupWizard", "0"); }

int LaunchPendingRegistration() {
    char value[10] = "";
    if (ReadRegString(kInstallSection, 0, "RunRegistration", value, sizeof value) <= 0) return 0;
    // Only the exact text counts: "1 ", "01" or "yes" are not a request.
    if (strcmp(value, "1") != 0) return 0;
    WriteRegString(kInstallSection, 0, "RunRegistration", "0");
    LaunchLink(LINK_PRODUCT_REGISTRATION, nullptr);
    return 1;
}
