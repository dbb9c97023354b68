// Custom actions of the product's package.
//
// PrepareFaxSetup, ConfigureFax, RollbackFax and CommitFax set up the fax of
// the default printer at the end of an install whose command line gives
// answers (FAXANSWERS, the answer file, and the properties of single answers,
// which win over its keys). Only an install or upgrade with administrator
// rights does it: a repair or maintenance run leaves the fax settings alone.
// The immediate part reads and checks everything the person named, in the
// person's context; the deferred part, as the system account, opens only the
// files it makes itself in a folder of its own, runs the installed faxcfg
// with a time limit, and a refused answer fails the install, which then rolls
// back: RollbackFax has faxcfg put back what was stored before.
//
// StartWizard runs in the installer's user interface, after the installation
// itself has ended: the fax setup wizard asks for administrator rights in its
// manifest, and only the shell can start such a program for an unelevated
// installer client (CreateProcess answers ERROR_ELEVATION_REQUIRED). The shell
// asks the person for consent. Whether the wizard started or why it could not
// is written to the install log; the installation itself stays done either
// way, so a failure shows as the action's failure, not the package's.
// It does not start the wizard when the administrator's policy turns it off:
// the wizard would only say so and end.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <objbase.h>
#include <sddl.h>
#include <shellapi.h>

#include <stdio.h>

#include <string>
#include <vector>

namespace {

// A text of the installer's, asked for in the two calls it wants: its size,
// then the text; empty when either fails.
template <typename Get>
std::wstring InstallerText(Get get) {
    DWORD size = 0;
    wchar_t empty[1] = L"";
    if (get(empty, &size) != ERROR_MORE_DATA) return std::wstring();
    std::wstring out(++size, L'\0');
    if (get(&out[0], &size) != ERROR_SUCCESS) return std::wstring();
    out.resize(size);
    return out;
}

std::wstring Format(MSIHANDLE install, const wchar_t* text) {
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text);
    return InstallerText([&](wchar_t* out, DWORD* size) {
        return MsiFormatRecordW(install, record, out, size);
    });
}

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
    return InstallerText([&](wchar_t* out, DWORD* size) {
        return MsiGetPropertyW(install, name, out, size);
    });
}

// One line of the install log ("<action>: ...").
void LogAs(MSIHANDLE install, const wchar_t* action, const std::wstring& line) {
    PMSIHANDLE record = MsiCreateRecord(1);
    MsiRecordSetStringW(record, 0, (std::wstring(action) + L": [1]").c_str());
    MsiRecordSetStringW(record, 1, line.c_str());
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
}

void Log(MSIHANDLE install, const std::wstring& line) { LogAs(install, L"StartWizard", line); }

std::wstring ErrorText(DWORD error) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, (wchar_t*)&text, 0, nullptr);
    std::wstring out = L"error " + std::to_wstring(error);
    if (n && text) {
        std::wstring message(text, n);
        while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                     message.back() == L' ' || message.back() == L'.'))
            message.pop_back();
        out += L" (" + message + L")";
    }
    if (text) LocalFree(text);
    return out;
}

void LogLine(MSIHANDLE install, const std::wstring& line) { LogAs(install, L"ConfigureFax", line); }

// The properties of single answers and the answer file's keys they stand for.
struct AnswerProperty {
    const wchar_t* Property;
    const char* Key;
};
const AnswerProperty kAnswerProperties[] = {
    {L"FAXUSERNAME", "UserName"},    {L"FAXCOMPANY", "Company"},
    {L"FAXNUMBER", "FaxNumber"},     {L"VOICENUMBER", "VoiceNumber"},
    {L"FAXLINE", "DedicatedLine"},   {L"ANSWERINGMACHINE", "TAM"},
    {L"PCMODEM", "Modem"},           {L"DEVICEOPTION", "DeviceOption"},
};

// The deferred part gets its data as one text: fields separated by ";",
// "%", ";" and control characters written as %XX.
std::wstring Encode(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'%' || c == L';' || c < 0x20) {
            wchar_t hex[4];
            swprintf(hex, 4, L"%%%02X", (unsigned)c);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::wstring> Decode(const std::wstring& data) {
    std::vector<std::wstring> fields(1);
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] == L';') {
            fields.emplace_back();
        } else if (data[i] == L'%' && i + 2 < data.size()) {
            fields.back() += (wchar_t)wcstoul(data.substr(i + 1, 2).c_str(), nullptr, 16);
            i += 2;
        } else {
            fields.back() += data[i];
        }
    }
    return fields;
}

// In the system's code page, as faxcfg reads its answer file; false when a
// character has no place there or the conversion fails.
bool ToAnsi(const std::wstring& text, std::string* out) {
    out->clear();
    if (text.empty()) return true;
    BOOL lost = FALSE;
    // The UTF-8 code page takes neither flag: it loses nothing it can write.
    bool utf8 = GetACP() == CP_UTF8;
    DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(CP_ACP, flags, text.c_str(), (int)text.size(), nullptr, 0, nullptr,
                                utf8 ? nullptr : &lost);
    if (n <= 0) return false;
    out->assign((size_t)n, '\0');
    n = WideCharToMultiByte(CP_ACP, flags, text.c_str(), (int)text.size(), &(*out)[0], n, nullptr,
                            utf8 ? nullptr : &lost);
    return n > 0 && !lost;
}

std::wstring FromAnsi(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), nullptr, 0);
    std::wstring out((size_t)(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), &out[0], n);
    return out;
}

// As faxcfg writes a value: the profile functions drop one pair of quotes
// around a value and blanks at either end, so such a value gets quotes of
// its own.
std::wstring ProfileValue(const std::wstring& value) {
    bool quoted = !value.empty() && (value.front() == L'"' || value.front() == L'\'' ||
                                     value.front() == L' ' || value.back() == L' ');
    return quoted ? L"\"" + value + L"\"" : value;
}

// How long the install waits for faxcfg: a printer on a slow network answers
// well within it. FAXTIMEOUT (seconds) sets another.
const DWORD kDefaultTimeoutSeconds = 300;

// The folder of one configuration: the system account's temporary folder
// (its own, not the installing user's), under a name the immediate part
// chose, so that the rollback and commit parts find it too.
std::wstring WorkFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (!n || n > MAX_PATH || name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos)
        return std::wstring();
    return std::wstring(temp) + name;
}

// Made anew, readable by the system account and administrators alone, not
// inheriting the temporary folder's rights: the answers and the backup of
// the settings lie there. False when it exists already (made by someone
// else) or cannot be made.
bool MakePrivateFolder(const std::wstring& folder) {
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1,
            &attributes.lpSecurityDescriptor, nullptr))
        return false;
    BOOL made = CreateDirectoryW(folder.c_str(), &attributes);
    LocalFree(attributes.lpSecurityDescriptor);
    return made != 0;
}

void RemoveFolder(const std::wstring& folder) {
    if (folder.empty()) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolder(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// The answer file faxcfg gets: the lines of the administrator's [Fax]
// section as they stand, then each answer given as a property over them.
// False, with the reason in the log, when any part cannot be written.
bool WriteAnswers(MSIHANDLE install, const std::wstring& path, const std::wstring& sectionLines,
                  const std::vector<std::wstring>& values) {
    std::string ansiPath, section;
    if (!ToAnsi(path, &ansiPath)) {
        LogLine(install, L"the path " + path + L" has no form in the system's code page");
        return false;
    }
    // The section's lines came apart by line ends; the profile call wants
    // them each ended by a zero byte.
    std::string lines;
    if (!ToAnsi(sectionLines, &lines)) {
        LogLine(install, L"the answer file's lines have no form in the system's code page");
        return false;
    }
    // Written whole, so that the section is there even when it has no key
    // (every answer held by a policy).
    std::string text = "[Fax]\r\n";
    for (char c : lines) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr) &&
              written == text.size();
    DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) {
        LogLine(install, L"the answers cannot be written to " + path + L": " + ErrorText(error));
        return false;
    }
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i].empty()) continue;
        std::string ansi;
        if (!ToAnsi(ProfileValue(values[i]), &ansi)) {
            LogLine(install, std::wstring(L"refused ") + kAnswerProperties[i].Property +
                                 L": it holds characters the system's code page cannot show");
            return false;
        }
        if (!WritePrivateProfileStringA("Fax", kAnswerProperties[i].Key, ansi.c_str(),
                                        ansiPath.c_str())) {
            LogLine(install, std::wstring(L"the answer ") + kAnswerProperties[i].Property +
                                 L" cannot be written to " + path + L": " + ErrorText(GetLastError()));
            return false;
        }
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ansiPath.c_str());
    return true;
}

// faxcfg's log, into the install log; a refused key given as a property is
// named by its property.
void CopyLog(MSIHANDLE install, const wchar_t* action, const std::wstring& path,
             const std::vector<std::wstring>& values) {
    std::string ansiPath;
    if (!ToAnsi(path, &ansiPath)) return;
    FILE* file = fopen(ansiPath.c_str(), "rb");
    if (!file) return;
    char buffer[2048];
    while (fgets(buffer, sizeof buffer, file)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        size_t refused = line.find("refused ");
        if (refused != std::string::npos) {
            for (size_t i = 0; i < values.size(); ++i) {
                std::string key = std::string("refused ") + kAnswerProperties[i].Key + ":";
                if (!values[i].empty() && line.compare(refused, key.size(), key) == 0) {
                    std::string property;
                    ToAnsi(kAnswerProperties[i].Property, &property);
                    line.insert(refused + 8, property + " (");
                    line.insert(refused + 8 + property.size() + 2 + strlen(kAnswerProperties[i].Key), ")");
                    break;
                }
            }
        }
        LogAs(install, action, L"faxcfg: " + FromAnsi(line));
    }
    fclose(file);
}

// Runs faxcfg with the arguments and waits at most timeout seconds; its
// exit code, or -1 when it could not start or was ended for taking too long
// (the log says which).
long RunFaxcfg(MSIHANDLE install, const wchar_t* action, const std::wstring& program,
               const std::wstring& arguments, DWORD timeoutSeconds) {
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LogAs(install, action, L"running " + command);
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        LogAs(install, action, L"faxcfg could not be started: " + ErrorText(GetLastError()));
        return -1;
    }
    long result = -1;
    if (WaitForSingleObject(process.hProcess, timeoutSeconds * 1000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
        LogAs(install, action,
              L"faxcfg did not end within " + std::to_wstring(timeoutSeconds) +
                  L" seconds (the printer may not answer): it was ended");
    } else {
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        result = (long)code;
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return result;
}

// The lines of a section as they stand, in wide text; false when the file
// has no such section.
bool SectionLines(const std::string& ansiPath, const std::wstring& section,
                  std::vector<std::wstring>* lines) {
    std::vector<char> names(65536, '\0');
    GetPrivateProfileSectionNamesA(names.data(), (DWORD)names.size(), ansiPath.c_str());
    for (const char* p = names.data(); *p; p += strlen(p) + 1) {
        if (_wcsicmp(FromAnsi(p).c_str(), section.c_str()) != 0) continue;
        std::vector<char> text(65536, '\0');
        GetPrivateProfileSectionA(p, text.data(), (DWORD)text.size(), ansiPath.c_str());
        for (const char* line = text.data(); *line; line += strlen(line) + 1)
            lines->push_back(FromAnsi(line));
        return true;
    }
    return false;
}

std::wstring LineKey(const std::wstring& line) {
    size_t equals = line.find(L'=');
    std::wstring key = line.substr(0, equals == std::wstring::npos ? 0 : equals);
    while (!key.empty() && (key.back() == L' ' || key.back() == L'\t')) key.pop_back();
    return key;
}

// The answer file the administrator named, read here in the installing
// user's context: a relative path is taken beside the package. Its [Fax]
// lines with this PC's section [Fax:<computer name>] over them key by key,
// one per line; false with the reason in the log.
bool ReadAnswerFile(MSIHANDLE install, const std::wstring& given, std::wstring* lines) {
    std::wstring path = given;
    bool relative = !(path.size() > 1 && path[1] == L':') && path.compare(0, 2, L"\\\\") != 0 &&
                    path.compare(0, 1, L"\\") != 0;
    if (relative) {
        std::wstring package = Property(install, L"OriginalDatabase");
        size_t slash = package.find_last_of(L"\\/");
        if (slash != std::wstring::npos) path = package.substr(0, slash + 1) + path;
    }
    std::string ansiPath;
    if (!ToAnsi(path, &ansiPath)) {
        LogLine(install, L"refused FAXANSWERS: the path " + path +
                             L" has no form in the system's code page");
        return false;
    }
    std::wstring pcSection = L"Fax:" + Property(install, L"ComputerName");
    std::vector<std::wstring> common, own;
    bool hasCommon = false, hasOwn = false;
    if (GetFileAttributesA(ansiPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        hasCommon = SectionLines(ansiPath, L"Fax", &common);
        hasOwn = SectionLines(ansiPath, pcSection, &own);
    }
    if (!hasCommon && !hasOwn) {
        LogLine(install, L"refused FAXANSWERS: the answer file " + path +
                             L" is missing, cannot be read or has neither a section [Fax] nor [" +
                             pcSection + L"]");
        return false;
    }
    for (const std::wstring& line : own) {
        std::wstring key = LineKey(line);
        for (std::wstring& other : common)
            if (!key.empty() && _wcsicmp(LineKey(other).c_str(), key.c_str()) == 0) other.clear();
        common.push_back(line);
    }
    lines->clear();
    for (const std::wstring& line : common)
        if (!line.empty()) *lines += line + L"\n";
    LogLine(install, L"answers read from " + path + (hasCommon ? L" [Fax]" : L"") +
                         (hasCommon && hasOwn ? L" and" : L"") +
                         (hasOwn ? L" [" + pcSection + L"]" : std::wstring()));
    return true;
}

// For inventory, as the product's programs record it: this configuration was
// the installer's. The product's tree in the package's own registry view.
void RecordStatus(MSIHANDLE install, long code) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Kelvaro\\Corvantis\\Status", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        LogLine(install, L"the status could not be recorded in the registry");
        return;
    }
    // faxcfg recorded the printer's id; what ran it, when it ended and how
    // are the installer's to say (faxcfg may not have come so far).
    DWORD exit = code < 0 ? ERROR_TIMEOUT : (DWORD)code, configured = code == 0 ? 1 : 0;
    bool ok = RegSetValueExW(key, L"By", 0, REG_SZ, (const BYTE*)L"installer", sizeof L"installer") ==
                  ERROR_SUCCESS &&
              RegSetValueExW(key, L"ExitCode", 0, REG_DWORD, (const BYTE*)&exit, sizeof exit) ==
                  ERROR_SUCCESS &&
              RegSetValueExW(key, L"PrinterConfigured", 0, REG_DWORD, (const BYTE*)&configured,
                             sizeof configured) == ERROR_SUCCESS;
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        wchar_t time[32];
        swprintf(time, 32, L"%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                 now.wHour, now.wMinute, now.wSecond);
        ok &= RegSetValueExW(key, L"Time", 0, REG_SZ, (const BYTE*)time,
                             (DWORD)((wcslen(time) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    if (!ok) LogLine(install, L"the status could not be recorded in the registry");
}

// A repair, a change or a maintenance run of the installed product changes
// no fax setting, nor does an install without administrator rights: the
// configuration runs as the system account.
bool MayConfigure(MSIHANDLE install) {
    if (!Property(install, L"Installed").empty()) {
        LogLine(install, L"the fax answers were not applied: this run repairs or changes the "
                         L"installed product, which sets no fax settings (run faxcfg /answers "
                         L"as an administrator instead)");
        return false;
    }
    if (Property(install, L"Privileged").empty()) {
        LogLine(install, L"the fax answers were not applied: the installation does not run with "
                         L"administrator rights");
        return false;
    }
    return true;
}

}  // namespace

// Immediate, in the installing user's context: decides whether this run may
// configure the fax, checks the answers given as properties, reads the
// answer file, and hands all of it to the deferred parts as data.
extern "C" __declspec(dllexport) UINT __stdcall PrepareFaxSetup(MSIHANDLE install) {
    const wchar_t* parts[] = {L"ConfigureFax", L"RollbackFax", L"CommitFax"};
    for (const wchar_t* part : parts) MsiSetPropertyW(install, part, L"");
    if (!MayConfigure(install)) return ERROR_SUCCESS;

    std::vector<std::wstring> values;
    for (const AnswerProperty& answer : kAnswerProperties) {
        std::wstring value = Property(install, answer.Property);
        for (wchar_t c : value) {
            // A line break would be another line, key or section of the answer file.
            if (c < 0x20 || c == 0x7F) {
                LogLine(install, std::wstring(L"refused ") + answer.Property +
                                     L": it holds a control character (a line break or a tab)");
                return ERROR_INSTALL_FAILURE;
            }
        }
        if (!wcscmp(answer.Property, L"FAXLINE") && !value.empty()) {
            if (!_wcsicmp(value.c_str(), L"DEDICATED")) value = L"1";
            else if (!_wcsicmp(value.c_str(), L"SHARED")) value = L"0";
            else {
                LogLine(install, L"refused FAXLINE: \"" + value + L"\" is neither DEDICATED nor SHARED");
                return ERROR_INSTALL_FAILURE;
            }
        }
        std::string ansi;
        if (!ToAnsi(value, &ansi)) {
            LogLine(install, std::wstring(L"refused ") + answer.Property +
                                 L": it holds characters the system's code page cannot show");
            return ERROR_INSTALL_FAILURE;
        }
        values.push_back(value);
    }
    std::wstring lines;
    std::wstring file = Property(install, L"FAXANSWERS");
    if (!file.empty() && !ReadAnswerFile(install, file, &lines)) return ERROR_INSTALL_FAILURE;

    std::wstring timeout = Property(install, L"FAXTIMEOUT");
    DWORD seconds = kDefaultTimeoutSeconds;
    if (!timeout.empty()) {
        wchar_t* end = nullptr;
        unsigned long n = wcstoul(timeout.c_str(), &end, 10);
        if (*end || n == 0 || n > 86400) {
            LogLine(install, L"refused FAXTIMEOUT: \"" + timeout +
                                 L"\" is not a number of seconds from 1 to 86400");
            return ERROR_INSTALL_FAILURE;
        }
        seconds = (DWORD)n;
    }
    GUID guid;
    wchar_t name[64];
    if (CoCreateGuid(&guid) != S_OK) return ERROR_INSTALL_FAILURE;
    swprintf(name, 64, L"CorvantisFax-%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X",
             (unsigned long)guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
             guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
             guid.Data4[7]);
    std::wstring program = Encode(Format(install, L"[#faxcfg]"));
    std::wstring data = program + L";" + name + L";" + std::to_wstring(seconds) + L";" + Encode(lines);
    for (const std::wstring& value : values) data += L";" + Encode(value);
    std::wstring rollback = program + L";" + name + L";" + std::to_wstring(seconds);
    if (MsiSetPropertyW(install, L"ConfigureFax", data.c_str()) != ERROR_SUCCESS ||
        MsiSetPropertyW(install, L"RollbackFax", rollback.c_str()) != ERROR_SUCCESS ||
        MsiSetPropertyW(install, L"CommitFax", name) != ERROR_SUCCESS)
        return ERROR_INSTALL_FAILURE;
    return ERROR_SUCCESS;
}

// Deferred, as the system account: writes the answers into a folder of its
// own and runs faxcfg on them, which keeps what was stored before for the
// rollback. Refused answers, a printer that is not registered or values
// that could not be stored fail the install; a printer that cannot be
// reached does not (the settings are stored, and the wizard's reminder
// brings them to it), and the log says so.
extern "C" __declspec(dllexport) UINT __stdcall ConfigureFax(MSIHANDLE install) {
    std::vector<std::wstring> fields = Decode(Property(install, L"CustomActionData"));
    const size_t count = sizeof kAnswerProperties / sizeof kAnswerProperties[0];
    std::wstring folder = fields.size() == 4 + count ? WorkFolder(fields[1]) : std::wstring();
    if (fields.size() != 4 + count || fields[0].empty() || folder.empty()) {
        LogLine(install, L"the answers did not reach the installation");
        return ERROR_INSTALL_FAILURE;
    }
    DWORD seconds = wcstoul(fields[2].c_str(), nullptr, 10);
    std::vector<std::wstring> values(fields.begin() + 4, fields.end());
    if (!MakePrivateFolder(folder)) {
        LogLine(install, L"the folder " + folder + L" for the answers cannot be made: " +
                             ErrorText(GetLastError()));
        return ERROR_INSTALL_FAILURE;
    }
    std::wstring answers = folder + L"\\answers.ini", log = folder + L"\\faxcfg.log";
    if (!WriteAnswers(install, answers, fields[3], values)) return ERROR_INSTALL_FAILURE;
    long code = RunFaxcfg(install, L"ConfigureFax", fields[0],
                          L"/answers \"" + answers + L"\" /log \"" + log + L"\" /backup \"" +
                              folder + L"\\backup\"",
                          seconds ? seconds : kDefaultTimeoutSeconds);
    CopyLog(install, L"ConfigureFax", log, values);
    RecordStatus(install, code);
    if (code < 0) {
        LogLine(install, L"the fax was not configured; the install fails");
        return ERROR_INSTALL_FAILURE;
    }
    LogLine(install, L"faxcfg ended with exit code " + std::to_wstring(code));
    if (code == 6) {
        LogLine(install, L"the printer was NOT configured: it could not be reached or refused "
                         L"values. The settings are stored on this computer and the setup "
                         L"wizard's reminder stays on: the wizard sends them to the printer "
                         L"when it next runs, or run faxcfg /answers again with the printer on");
        return ERROR_SUCCESS;
    }
    return code == 0 ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

// Rollback, as the system account: the install failed or was cancelled after
// ConfigureFax began; faxcfg puts back what it kept.
extern "C" __declspec(dllexport) UINT __stdcall RollbackFax(MSIHANDLE install) {
    std::vector<std::wstring> fields = Decode(Property(install, L"CustomActionData"));
    std::wstring folder = fields.size() == 3 ? WorkFolder(fields[1]) : std::wstring();
    if (folder.empty()) return ERROR_SUCCESS;
    std::wstring backup = folder + L"\\backup", log = folder + L"\\restore.log";
    if (GetFileAttributesW((backup + L"\\backup.ini").c_str()) == INVALID_FILE_ATTRIBUTES) {
        LogAs(install, L"RollbackFax", L"no fax settings were changed; nothing to put back");
    } else {
        DWORD seconds = wcstoul(fields[2].c_str(), nullptr, 10);
        long code = RunFaxcfg(install, L"RollbackFax", fields[0],
                              L"/restore \"" + backup + L"\" /log \"" + log + L"\"",
                              seconds ? seconds : kDefaultTimeoutSeconds);
        CopyLog(install, L"RollbackFax", log, {});
        // The configuration the status records was undone with the install.
        RecordStatus(install, ERROR_INSTALL_FAILURE);
        LogAs(install, L"RollbackFax",
              code == 0 ? std::wstring(L"put back the fax settings stored before the install")
                        : L"the fax settings stored before the install were not all put back "
                          L"(faxcfg exit code " + std::to_wstring(code) + L")");
    }
    RemoveFolder(folder);
    return ERROR_SUCCESS;
}

// Commit, as the system account: the install succeeded; the answers and the
// backup go.
extern "C" __declspec(dllexport) UINT __stdcall CommitFax(MSIHANDLE install) {
    RemoveFolder(WorkFolder(Property(install, L"CustomActionData")));
    return ERROR_SUCCESS;
}

// Whether the policy "DisableWizard" turns the wizard off, read as the
// program reads it (settings/policy.cpp): a DWORD 1, or a text that starts
// with 1, Y or T. Any other value leaves the wizard on, as it does there.
bool WizardTurnedOff() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Policies\\Kelvaro\\Corvantis\\Fax", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> data(4096, L'\0');
    DWORD type = REG_NONE, size = (DWORD)((data.size() - 1) * sizeof(wchar_t));
    LONG result = RegQueryValueExW(key, L"DisableWizard", nullptr, &type, (BYTE*)data.data(), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    if (type == REG_DWORD) return size == sizeof(DWORD) && *(const DWORD*)data.data() == 1;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    return data[0] != L'\0' && wcschr(L"1YyTt", data[0]);
}

extern "C" __declspec(dllexport) UINT __stdcall StartWizard(MSIHANDLE install) {
    if (WizardTurnedOff()) {
        Log(install, L"not started: the administrator's policy DisableWizard turns the wizard off");
        return ERROR_SUCCESS;
    }
    std::wstring program = Format(install, L"[#faxwiz.exe]");
    std::wstring folder = Format(install, L"[INSTALLDIR]");
    if (program.empty()) {
        Log(install, L"the wizard could not be started: the installed faxwiz.exe is not known");
        return ERROR_INSTALL_FAILURE;
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // No error boxes of the shell: the log says what went wrong. The consent
    // prompt for the wizard's administrator rights is not one of them.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = program.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        Log(install, L"the wizard " + program + L" could not be started: " + ErrorText(GetLastError()));
        return ERROR_INSTALL_FAILURE;
    }
    if (info.hProcess) CloseHandle(info.hProcess);
    Log(install, L"started " + program);
    return ERROR_SUCCESS;
}
