#include "tests/common/config_support.h"

#include <stdio.h>

#include <vector>

#include "tests/support/test_support.h"

namespace wiztest {

std::string UniqueName(const std::string& tag) {
    static LONG counter = 0;
    char name[96];
    snprintf(name, sizeof name, "WizT%s_%lu_%lu_%ld", tag.c_str(), GetCurrentProcessId(),
             GetTickCount(), InterlockedIncrement(&counter));
    return name;
}

void DeleteRegTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> children;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string& child : children) DeleteRegTree(root, path + "\\" + child);
    RegDeleteKeyA(root, path.c_str());
}

bool RegKeyExists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool SetRegString(HKEY root, const std::string& path, const char* name, const char* value) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value,
                             (DWORD)strlen(value) + 1) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

OwnRegistryTree::OwnRegistryTree() : maker_(UniqueName("3")), line_("Line") {}

OwnRegistryTree::~OwnRegistryTree() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\" + maker_);
}

std::string OwnRegistryTree::Section() const {
    return "[Registry Paths]\r\nRegMfgBase=" + maker_ + "\r\nRegOrgBase=" + line_ +
           "\r\nRegProdBase=Prod\r\n";
}

std::string OwnRegistryTree::Key(const std::string& suffix) const {
    return "Software\\" + maker_ + "\\" + line_ + suffix;
}

bool CopyBuiltFile(const std::string& builtName, const std::string& destination) {
    return CopyFileA((BinDir() + "\\" + builtName).c_str(), destination.c_str(), FALSE) != 0;
}

LoadedCopy::LoadedCopy(const std::string& builtName, const std::string& destination)
    : module_(nullptr) {
    if (CopyBuiltFile(builtName, destination)) module_ = LoadLibraryA(destination.c_str());
}

LoadedCopy::~LoadedCopy() {
    if (module_) FreeLibrary(module_);
}

std::string UserLanguage() {
    char code[10] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, code, sizeof code);
    CharUpperA(code);
    return code;
}

}  // namespace wiztest
