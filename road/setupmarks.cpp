#include "road/setupmarks.h"

#include <string.h>

#include "common/registry/values.h"
#include "common/util.h"
#include "maker/link/link.h"

namespace {
const unsigned short kInstallSection = 16;

// The link library is only needed here, at the end of the wizard, so it is
// loaded now rather than with the program: one library less to load before
// the first page. It lies beside the program, where the loader found it.
// Null when it is missing or cannot load: registration cannot start, and the
// wizard still ends normally.
decltype(&LaunchLink) LinkLauncher() {
    static decltype(&LaunchLink) launch = nullptr;
    if (!launch) {
        char path[MAX_PATH];
        if (GetFileBesideModule(nullptr, "link.dll", path, sizeof path) <= 0) return nullptr;
        HMODULE library = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!library) return nullptr;
        launch = (decltype(&LaunchLink))(void*)GetProcAddress(library, "LaunchLink");
        if (!launch) FreeLibrary(library);
    }
    return launch;
}
}  // namespace

void ClearRunSetupWizard() { WriteRegString(kInstallSection, 0, "RunSetupWizard", "0"); }

std::string ReadRunSetupWizard() {
    char value[256] = "";
    if (ReadRegString(kInstallSection, 0, "RunSetupWizard", value, sizeof value) <= 0) return "1";
    return value;
}

bool WriteRunSetupWizard(const std::string& value) {
    return WriteRegString(kInstallSection, 0, "RunSetupWizard", value.c_str()) ==
           (short)value.size();
}

int LaunchPendingRegistration() {
    char value[10] = "";
    if (ReadRegString(kInstallSection, 0, "RunRegistration", value, sizeof value) <= 0) return 0;
    // Only the exact text counts: "1 ", "01" or "yes" are not a request.
    if (strcmp(value, "1") != 0) return 0;
    // Without the library registration never ran: the request stays for
    // the next time. From here on it is cleared first, so that it starts at
    // most once, whatever the launch reports.
    decltype(&LaunchLink) launch = LinkLauncher();
    if (!launch) return 1;
    WriteRegString(kInstallSection, 0, "RunRegistration", "0");
    launch(LINK_PRODUCT_REGISTRATION, nullptr);
    return 1;
}
