// Custom actions of the product's package.
//
// PrepareFaxSetup and ConfigureFax set up the fax of the default printer at
// the end of an install whose command line gives answers (FAXANSWERS, the
// answer file, and the properties of single answers, which win over its
// keys): the deferred part runs the installed faxcfg with the installer's
// rights, and a refused answer fails the install, which then rolls back.
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
// character has no place there.
bool ToAnsi(const std::wstring& text, std::string* out) {
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), (int)text.size(),
                                nullptr, 0, nullptr, &lost);
    out->assign((size_t)(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), (int)text.size(),
                            &(*out)[0], n, nullptr, &lost);
    return !lost;
}

std::wstring FromAnsi(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), nullptr, 0);
    std::wstring out((size_t)(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), &out[0], n);
    return out;
}

std::wstring TempFile(const wchar_t* prefix) {
    wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (!n || n > MAX_PATH || !GetTempFileNameW(folder, prefix, 0, name)) return std::wstring();
    return name;
}

// The answer file faxcfg gets: the [Fax] section of the administrator's file
// (when one is given), then each answer given as a property over it.
bool WriteAnswers(MSIHANDLE install, const std::wstring& path, const std::wstring& fileGiven,
                  const std::vector<std::wstring>& values) {
    std::string ansiPath;
    if (!ToAnsi(path, &ansiPath)) return false;
    if (!fileGiven.empty()) {
        std::string given;
        std::vector<char> section(65536);
        DWORD n = 0;
        if (!ToAnsi(fileGiven, &given) || GetFileAttributesA(given.c_str()) == INVALID_FILE_ATTRIBUTES ||
            (n = GetPrivateProfileSectionA("Fax", section.data(), (DWORD)section.size(), given.c_str())) == 0) {
            LogLine(install, L"refused FAXANSWERS: the answer file " + fileGiven +
                                 L" is missing, cannot be read or has no section [Fax]");
            return false;
        }
        if (!WritePrivateProfileSectionA("Fax", section.data(), ansiPath.c_str())) return false;
    }
    for (size_t i = 0; i < values.size(); ++i) {
        const AnswerProperty& answer = kAnswerProperties[i];
        std::wstring value = values[i];
        if (value.empty()) continue;
        if (!wcscmp(answer.Property, L"FAXLINE")) {
            if (!_wcsicmp(value.c_str(), L"DEDICATED")) value = L"1";
            else if (!_wcsicmp(value.c_str(), L"SHARED")) value = L"0";
            else {
                LogLine(install, L"refused FAXLINE: \"" + value + L"\" is neither DEDICATED nor SHARED");
                return false;
            }
        }
        std::string ansi;
        if (!ToAnsi(value, &ansi)) {
            LogLine(install, std::wstring(L"refused ") + answer.Property +
                                 L": it holds characters the system's code page cannot show");
            return false;
        }
        WritePrivateProfileStringA("Fax", answer.Key, ansi.c_str(), ansiPath.c_str());
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ansiPath.c_str());
    return true;
}

// faxcfg's log, into the install log; a refused key given as a property is
// named by its property.
void CopyLog(MSIHANDLE install, const std::wstring& path, const std::vector<std::wstring>& values) {
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
        LogLine(install, L"faxcfg: " + FromAnsi(line));
    }
    fclose(file);
}

}  // namespace

// Immediate: gathers the answers for the deferred part, which cannot read
// properties.
extern "C" __declspec(dllexport) UINT __stdcall PrepareFaxSetup(MSIHANDLE install) {
    std::wstring data = Encode(Format(install, L"[#faxcfg]")) + L";" +
                        Encode(Property(install, L"FAXANSWERS"));
    for (const AnswerProperty& answer : kAnswerProperties)
        data += L";" + Encode(Property(install, answer.Property));
    return MsiSetPropertyW(install, L"ConfigureFax", data.c_str()) == ERROR_SUCCESS
               ? ERROR_SUCCESS
               : ERROR_INSTALL_FAILURE;
}

// Deferred, with the installer's rights: runs faxcfg on the answers. Refused
// answers, or none that could be stored, fail the install; a printer that
// cannot be reached does not (the files hold the settings, and the next run
// of the wizard or faxcfg brings them to it).
extern "C" __declspec(dllexport) UINT __stdcall ConfigureFax(MSIHANDLE install) {
    std::vector<std::wstring> fields = Decode(Property(install, L"CustomActionData"));
    const size_t count = sizeof kAnswerProperties / sizeof kAnswerProperties[0];
    if (fields.size() != 2 + count || fields[0].empty()) {
        LogLine(install, L"the answers did not reach the installation");
        return ERROR_INSTALL_FAILURE;
    }
    std::vector<std::wstring> values(fields.begin() + 2, fields.end());
    std::wstring answers = TempFile(L"fax"), log = TempFile(L"fxl");
    UINT result = ERROR_INSTALL_FAILURE;
    if (answers.empty() || log.empty()) {
        LogLine(install, L"no temporary file for the answers: " + ErrorText(GetLastError()));
    } else if (WriteAnswers(install, answers, fields[1], values)) {
        std::wstring command = L"\"" + fields[0] + L"\" /answers \"" + answers + L"\" /log \"" + log + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        LogLine(install, L"running " + command);
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                            nullptr, &startup, &process)) {
            LogLine(install, L"faxcfg could not be started: " + ErrorText(GetLastError()));
        } else {
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 1;
            GetExitCodeProcess(process.hProcess, &code);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
            CopyLog(install, log, values);
            LogLine(install, L"faxcfg ended with exit code " + std::to_wstring(code));
            // 6: stored in the files; the printer gets them at the next run.
            if (code == 0 || code == 6) result = ERROR_SUCCESS;
        }
    }
    if (!answers.empty()) DeleteFileW(answers.c_str());
    if (!log.empty()) DeleteFileW(log.c_str());
    return result;
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
