#include "tests/whole/demo_install.h"

#include <stdio.h>

#include "tests/common/config_support.h"

namespace wholetest {

namespace {

const char kInstalledFolder[] = "C:\\Program Files\\Kelvaro\\Corvantis";
const char kBuiltInProductKey[] = "HKEY_LOCAL_MACHINE\\Software\\Kelvaro\\Corvantis";
const char kLinkKey[] = "HKEY_LOCAL_MACHINE\\Software\\Kelvaro\\Links\\9936";
const char kNone[] = "<none>";

// Text files get Windows line ends, as the installer writes them.
std::string WindowsLineEnds(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A value of an INI file read from its text, so that no profile cache of
// this process stands between the test and what the program wrote.
std::string IniValue(const std::string& path, const std::string& section, const std::string& key) {
    bool inSection = false;
    for (const std::string& raw : Lines(wiztest::ReadFile(path))) {
        std::string line = Trim(raw);
        if (!line.empty() && line[0] == '[') {
            size_t close = line.find(']');
            inSection = close != std::string::npos && EqualNoCase(line.substr(1, close - 1), section);
            continue;
        }
        if (!inSection || line.empty() || line[0] == ';') continue;
        size_t equals = line.find('=');
        if (equals != std::string::npos && EqualNoCase(Trim(line.substr(0, equals)), key))
            return Trim(line.substr(equals + 1));
    }
    return kNone;
}

bool IniHasSection(const std::string& path, const std::string& section) {
    for (const std::string& raw : Lines(wiztest::ReadFile(path))) {
        std::string line = Trim(raw);
        if (!line.empty() && line[0] == '[' && EqualNoCase(line, "[" + section + "]")) return true;
    }
    return false;
}

// Reads one quoted text of a .reg line at pos, with \\ and \" escapes.
bool ReadQuoted(const std::string& line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < line.size()) c = line[++pos];
        out += c;
    }
    return false;
}

std::string SectionName(long deviceId) { return "Device: " + std::to_string(deviceId); }

}  // namespace

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

DemoInstall::DemoInstall(const DemoOptions& options) { Install(options); }

DemoInstall::~DemoInstall() {
    wiztest::DeleteRegTree(HKEY_LOCAL_MACHINE, ProductKey());
    if (registration_) wiztest::DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Kelvaro\\Links\\9936");
    ClearRegistrationIni();
    SetEnvironmentVariableA("DA_SIM_DIR", nullptr);
    SetEnvironmentVariableA("EV_TRACE_FILE", nullptr);
}

void DemoInstall::Install(const DemoOptions& options) {
    builtInNames_ = options.BuiltInNames;
    registration_ = options.Registration;
    line_ = builtInNames_ ? "Corvantis" : wiztest::UniqueName("Whole");
    std::string folder = root_.path();
    for (const std::string& part : {std::string("\\Program Files"), std::string("\\Kelvaro"),
                                    "\\" + options.Folder}) {
        folder += part;
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    programDir_ = folder;
    CreateDirectoryA(DataDir().c_str(), nullptr);
    CreateDirectoryA((programDir_ + "\\HELP").c_str(), nullptr);
    simDir_ = root_.File("DeviceSim");
    CreateDirectoryA(simDir_.c_str(), nullptr);
    // Programs started by the test find the same devices.
    SetEnvironmentVariableA("DA_SIM_DIR", simDir_.c_str());
    SetEnvironmentVariableA("EV_TRACE_FILE", root_.File("evtrace.log").c_str());

    // Whatever an earlier test left in the shared places starts afresh.
    if (builtInNames_) wiztest::DeleteRegTree(HKEY_LOCAL_MACHINE, ProductKey());
    if (registration_) wiztest::DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Kelvaro\\Links\\9936");
    ClearRegistrationIni();

    if (CopyProgramFiles(options) && WriteRegistry(options)) SeedDevices();
}

bool DemoInstall::CopyProgramFiles(const DemoOptions& options) {
    std::vector<std::string> required = {"faxwiz.exe", "devaccess.dll", "evobject.dll"};
    std::vector<std::string> optional = {"link.dll", "msgbox.dll", "register.exe", "faxcfg.exe"};
    if (options.ResourceModules) {
        for (const char* language : {"ENU", "DEU", "JPN", "FRA", "ESP"})
            required.push_back(std::string("FXWRES.") + language);
    }
    for (const std::string& name : required) {
        if (!wiztest::CopyBuiltFile(name, programDir_ + "\\" + name)) {
            error_ = name + " is not built";
            return false;
        }
    }
    for (const std::string& name : optional) wiztest::CopyBuiltFile(name, programDir_ + "\\" + name);

    std::string product = wiztest::SourceDir() + "\\product";
    std::string texts = wiztest::BinaryDir() + "\\installed-texts\\" + options.Language;
    std::string prodinfo = wiztest::ReadFile(texts + "\\prodinfo.ini");
    std::string ini = wiztest::ReadFile(product + "\\corvfax.ini");
    std::string summary = wiztest::ReadFile(texts + "\\summary.ini");
    std::string readme = wiztest::ReadFile(texts + "\\README.TXT");
    if (prodinfo.empty() || ini.empty() || summary.empty() || readme.empty()) {
        error_ = "the product files cannot be read from " + product + " and " + texts;
        return false;
    }
    if (options.ProdInfo) {
        prodinfo = ReplaceAll(prodinfo, "RegOrgBase=Corvantis", "RegOrgBase=" + line_);
        wiztest::WriteFile(programDir_ + "\\prodinfo.ini", WindowsLineEnds(prodinfo));
    }
    wiztest::WriteFile(ProductIni(), WindowsLineEnds(ini));
    wiztest::WriteFile(DataDir() + "\\summary.ini", WindowsLineEnds(summary));
    wiztest::WriteFile(programDir_ + "\\HELP\\README.TXT", WindowsLineEnds(readme));
    return true;
}

// The product's tree, then the printers that their own installation registers.
bool DemoInstall::WriteRegistry(const DemoOptions& options) {
    for (const char* name : {"corvantis.reg", "devices.reg"}) {
        std::string file = wiztest::SourceDir() + "\\product\\" + name;
        std::vector<std::string> lines = Lines(wiztest::ReadFile(file));
        if (lines.empty()) {
            error_ = "the registry file cannot be read: " + file;
            return false;
        }
        if (!WriteRegistryLines(lines, options)) return false;
    }
    return true;
}

bool DemoInstall::WriteRegistryLines(const std::vector<std::string>& lines, const DemoOptions& options) {
    std::string key;  // under HKEY_LOCAL_MACHINE; empty: a key this install leaves out
    for (const std::string& raw : lines) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line == "REGEDIT4") continue;
        if (line[0] == '[') {
            std::string path = line.substr(1, line.size() - 2);
            if (StartsWith(path, kBuiltInProductKey))
                key = ProductKey() + path.substr(strlen(kBuiltInProductKey));
            else if (StartsWith(path, kLinkKey) && registration_)
                key = path.substr(strlen("HKEY_LOCAL_MACHINE\\"));
            else
                key.clear();
            if (!key.empty()) {
                HKEY created;
                if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &created, nullptr) != ERROR_SUCCESS) {
                    error_ = "cannot create " + key;
                    return false;
                }
                RegCloseKey(created);
            }
            continue;
        }
        size_t pos = 0;
        std::string name, value;
        if (!ReadQuoted(line, pos, name) || pos >= line.size() || line[pos++] != '=' ||
            !ReadQuoted(line, pos, value)) {
            error_ = "a line of the registry file is not understood: " + line;
            return false;
        }
        if (key.empty()) continue;
        if (name == "ProdIniFile" && !options.ProdIniFileValue) continue;
        if (name == "Language") value = options.Language;
        value = ReplaceAll(value, kInstalledFolder, programDir_);
        if (!wiztest::SetRegString(HKEY_LOCAL_MACHINE, key, name.c_str(), value.c_str())) {
            error_ = "cannot write " + key + "\\" + name;
            return false;
        }
    }
    return true;
}

bool DemoInstall::SeedDevices() {
    // As the demo installation leaves them: 77, the default device, as it
    // left the factory, reporting the device option; 78 in use already.
    devsim::StoreLock lock;
    devsim::RemoveDevice(77);
    devsim::RemoveDevice(78);
    devsim::DeviceState first = devsim::FactoryState();
    first.info[17] = 1;
    first.params[15] = 2;
    first.params[16] = 5;
    devsim::DeviceState second = devsim::FactoryState();
    second.info[17] = 0;
    second.params[15] = 3;
    second.params[16] = 6;
    bool ok = devsim::ParseValue(4, "+1 555 0178", second.objects[31]) &&
              devsim::ParseValue(4, "Front Office", second.objects[32]) &&
              devsim::ParseValue(8, "2", second.objects[51]) &&
              devsim::ParseValue(2, "3", second.objects[48]);
    if (!ok || !devsim::SaveState(77, first) || !devsim::SaveState(78, second)) {
        error_ = "the simulated devices cannot be written in " + simDir_;
        return false;
    }
    return true;
}

void DemoInstall::ClearRegistrationIni() {
    std::string path = RegistrationIniPath();
    char names[8192];
    DWORD n = GetPrivateProfileSectionNamesA(names, sizeof names, path.c_str());
    std::vector<std::string> devices;
    for (const char* p = names; p < names + n && *p; p += strlen(p) + 1)
        if (StartsWith(p, "Device: ")) devices.push_back(p);
    for (const std::string& section : devices)
        WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path.c_str());
}

std::string DemoInstall::RegValue(const std::string& subkey, const std::string& name) const {
    HKEY key;
    std::string path = ProductKey() + "\\" + subkey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return kNone;
    char value[1024] = "";
    DWORD size = sizeof value - 1, type = 0;
    LONG r = RegQueryValueExA(key, name.c_str(), nullptr, &type, (BYTE*)value, &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::string(value) : std::string(kNone);
}

bool DemoInstall::HasRegValue(const std::string& subkey, const std::string& name) const {
    return RegValue(subkey, name) != kNone;
}

void DemoInstall::SetRegValue(const std::string& subkey, const std::string& name,
                              const std::string& value) const {
    wiztest::SetRegString(HKEY_LOCAL_MACHINE, ProductKey() + "\\" + subkey, name.c_str(),
                          value.c_str());
}

std::string DemoInstall::Setup(const std::string& key) const {
    return IniValue(ProductIni(), "Setup", key);
}

void DemoInstall::SetSetup(const std::string& key, const std::string& value) const {
    WritePrivateProfileStringA("Setup", key.c_str(), value.c_str(), ProductIni().c_str());
}

std::string DemoInstall::ProductIniText() const { return wiztest::ReadFile(ProductIni()); }

std::string DemoInstall::RegistrationIniPath() {
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string path = windows;
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + "KLCV_REG.INI";
}

std::string DemoInstall::Registration(long deviceId, const std::string& key) {
    return IniValue(RegistrationIniPath(), SectionName(deviceId), key);
}

bool DemoInstall::HasRegistrationSection(long deviceId) {
    return IniHasSection(RegistrationIniPath(), SectionName(deviceId));
}

void DemoInstall::AddDevice(long deviceId, const std::string& model) const {
    std::string key = ProductKey() + "\\Devices\\" + std::to_string(deviceId);
    wiztest::SetRegString(HKEY_LOCAL_MACHINE, key, "Model", model.c_str());
    wiztest::SetRegString(HKEY_LOCAL_MACHINE, key, "PortID", "3");
    devsim::StoreLock lock;
    devsim::RemoveDevice(deviceId);
    devsim::SaveState(deviceId, devsim::FactoryState());
}

void DemoInstall::ChangeDevice(long deviceId,
                               const std::function<void(devsim::DeviceState&)>& change) const {
    devsim::StoreLock lock;
    devsim::DeviceState state;
    devsim::LoadState(deviceId, state);
    change(state);
    devsim::SaveState(deviceId, state);
}

devsim::DeviceState DemoInstall::Device(long deviceId) const {
    devsim::StoreLock lock;
    devsim::DeviceState state;
    devsim::LoadState(deviceId, state);
    return state;
}

std::vector<std::string> DemoInstall::Journal(long deviceId) const {
    std::string text;
    {
        devsim::StoreLock lock;
        text = devsim::ReadJournal(deviceId);
    }
    std::vector<std::string> lines;
    for (const std::string& line : Lines(text))
        if (!line.empty()) lines.push_back(line);
    return lines;
}

int DemoInstall::RegistrationStarts() const {
    int count = 0;
    for (const std::string& line : Lines(wiztest::ReadFile(RegistrationLog())))
        if (!Trim(line).empty()) ++count;
    return count;
}

std::vector<std::string> DemoInstall::ClientLog(DWORD processId) const {
    std::string text;
    {
        devsim::StoreLock lock;
        text = devsim::ReadClientLog();
    }
    return LinesOf(Lines(text), processId);
}

std::vector<std::string> DemoInstall::EventTrace(DWORD processId) const {
    return LinesOf(Lines(wiztest::ReadFile(root_.File("evtrace.log"))), processId);
}

std::vector<std::string> LinesOf(const std::vector<std::string>& lines, DWORD processId) {
    std::string prefix = std::to_string(processId) + " ";
    std::vector<std::string> mine;
    for (const std::string& line : lines)
        if (line.compare(0, prefix.size(), prefix) == 0) mine.push_back(line.substr(prefix.size()));
    return mine;
}

}  // namespace wholetest
