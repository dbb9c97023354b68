// Helpers for the product configuration tests: registry trees of their own,
// module copies in temporary folders, product information files.
#pragma once
#include <windows.h>

#include <string>

namespace wiztest {

// A name no other test (or parallel test process) uses.
std::string UniqueName(const std::string& tag);

// Removes a key and everything below it.
void DeleteRegTree(HKEY root, const std::string& path);
bool RegKeyExists(HKEY root, const std::string& path);
// Sets a string value, creating the key; false on failure.
bool SetRegString(HKEY root, const std::string& path, const char* name, const char* value);

// A "[Registry Paths]" section naming a maker level of its own; the tree
// Software\<maker> under HKEY_LOCAL_MACHINE is removed on destruction.
class OwnRegistryTree {
public:
    OwnRegistryTree();
    ~OwnRegistryTree();
    const std::string& Maker() const { return maker_; }
    const std::string& Line() const { return line_; }
    std::string Section() const;  // the "[Registry Paths]" text
    std::string Key(const std::string& suffix) const;  // Software\maker\line + suffix

private:
    std::string maker_, line_;
};

// A copy of a DLL of the build folder, loaded; freed and left for the
// temporary folder to remove.
class LoadedCopy {
public:
    LoadedCopy(const std::string& builtName, const std::string& destination);
    ~LoadedCopy();
    HMODULE handle() const { return module_; }

private:
    HMODULE module_;
};

bool CopyBuiltFile(const std::string& builtName, const std::string& destination);

// The user's three-letter language code as the platform gives it, in capitals.
std::string UserLanguage();

}  // namespace wiztest
