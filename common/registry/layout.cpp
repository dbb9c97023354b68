#include "common/registry/layout.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/diag.h"
#include "common/expand.h"
#include "common/prodinfo.h"
#include "common/registry/devices.h"
#include "common/util.h"

char MfgBase[kRegBaseSize];
char OrgBase[kRegBaseSize];
char ProdBase[kRegBaseSize];
HKEY RootKey = nullptr;

static const char kProdInfoName[] = "prodinfo.ini";
static const char kRegistryPaths[] = "Registry Paths";

void ResetRegistryPaths() {
    MfgBase[0] = '\0';
    OrgBase[0] = '\0';
    ProdBase[0] = '\0';
    RootKey = nullptr;
}

void LoadRegistryPaths(HINSTANCE instance, const char* file, const char* section) {
    // File and section get buffers of their own, so a long path never eats
    // into the section name.
    char* path = (char*)malloc(MAX_PATH);
    if (!path) return;
    ResetRegistryPaths();
    if (file && *file)
        CopyBounded(path, file, MAX_PATH);
    else
        GetFileBesideModule(instance, kProdInfoName, path, MAX_PATH);
    ReadRegistryBases(path, section && *section ? section : kRegistryPaths);
    free(path);
}

static void ReadBase(const char* file, const char* section, const char* key, char* base) {
    char value[80];
    if (GetIniString(section, key, value, sizeof value, file, StandardValueFlags) > 0) {
        base[0] = '\\';
        CopyBounded(base + 1, value, kRegBaseSize - 1);
    }
}

void ReadRegistryBases(const char* file, const char* section) {
    ResetRegistryPaths();
    if (!section || !*section) section = kRegistryPaths;
    ReadBase(file, section, "RegMfgBase", MfgBase);
    ReadBase(file, section, "RegOrgBase", OrgBase);
    ReadBase(file, section, "RegProdBase", ProdBase);
    if (!MfgBase[0]) CopyBounded(MfgBase, "\\Kelvaro", kRegBaseSize);
    if (!OrgBase[0]) CopyBounded(OrgBase, "\\Corvantis", kRegBaseSize);
}

void EnsureRegistryPaths() {
    // Once the bases were read from a file they always hold at least the
    // maker and product-line levels; only then are they complete. A missing
    // "RegProdBase" must not send us back to the file beside the program,
    // which would replace bases taken from the file that was really found.
    if (!MfgBase[0] || !OrgBase[0]) {
        char path[MAX_PATH];
        if (GetFileBesideModule(nullptr, kProdInfoName, path, sizeof path) > 0)
            ReadRegistryBases(path, kRegistryPaths);
    }
    if (!RootKey) RootKey = HKEY_LOCAL_MACHINE;
}

short GetRegSectionStr(WORD section, long id, char* destination, short room) {
    const int kWork = 256;
    char* path = (char*)malloc(kWork);
    if (!path) return 0;
    ValidateBuffer(path, kWork, "GetRegSectionStr");

    if ((section == 9 || section == 14 || section == 18) && id == 0) id = GetDefaultDeviceId();

    const char* suffix = "";
    char number[16] = "";
    snprintf(number, sizeof number, "\\%ld", id);
    char tail[48] = "";
    bool withOrg = section >= 6 && section <= 18;
    switch (section) {
    case 2: suffix = "\\Transport"; break;
    case 3: suffix = "\\Transport\\1284"; break;
    case 4: suffix = "\\Transport\\TRX"; break;
    case 5: suffix = "\\Transport\\DMO"; break;
    case 7: suffix = "\\Ports"; break;
    case 8: suffix = "\\Devices"; break;
    case 9: snprintf(tail, sizeof tail, "\\Devices%s", number); suffix = tail; break;
    case 10: suffix = "\\Models"; break;
    case 11: case 17: suffix = "\\Env"; break;
    case 12: suffix = "\\RunTimeData"; break;
    case 13: suffix = "\\RunTimeData\\General"; break;
    case 14: snprintf(tail, sizeof tail, "\\RunTimeData%s", number); suffix = tail; break;
    case 16: suffix = "\\Install"; break;
    case 18:
        snprintf(tail, sizeof tail, "\\RunTimeData%s\\FaxData", number);
        suffix = tail;
        break;
    default: break;  // 0, 1, 6, 15 and 19 on: no suffix
    }
    snprintf(path, kWork, "Software%s%s%s", MfgBase, withOrg ? OrgBase : "", suffix);

    short length = 0;
    if (destination) {
        CopyBounded(destination, path, room);
        length = (short)strlen(path);
    }
    free(path);
    return length;
}

HKEY OpenRegSection(WORD section, long id) {
    if (!RootKey) EnsureRegistryPaths();
    char path[MAX_PATH];
    if (GetRegSectionStr(section, id, path, sizeof path) <= 0 || !path[0]) return nullptr;
    HKEY key = nullptr;
    // Like the platform's plain create-key call: every missing key on the
    // path is made, and the key gets whatever access the caller is allowed.
    if (RegCreateKeyExA(RootKey, path, 0, nullptr, REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}
