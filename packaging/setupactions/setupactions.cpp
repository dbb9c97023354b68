// Custom actions of the product's package.
//
// StartWizard runs in the installer's user interface, after the installation
// itself has ended: the fax setup wizard asks for administrator rights in its
// manifest, and only the shell can start such a program for an unelevated
// installer client (CreateProcess answers ERROR_ELEVATION_REQUIRED). The shell
// asks the person for consent. Whether the wizard started or why it could not
// is written to the install log; the installation itself stays done either
// way, so a failure shows as the action's failure, not the package's.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring Format(MSIHANDLE install, const wchar_t* text) {
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text);
    DWORD size = 0;
    wchar_t empty[1] = L"";
    if (MsiFormatRecordW(install, record, empty, &size) != ERROR_MORE_DATA) return std::wstring();
    std::wstring out(++size, L'\0');
    if (MsiFormatRecordW(install, record, &out[0], &size) != ERROR_SUCCESS) return std::wstring();
    out.resize(size);
    return out;
}

// One line of the install log ("StartWizard: ...").
void Log(MSIHANDLE install, const std::wstring& line) {
    PMSIHANDLE record = MsiCreateRecord(1);
    MsiRecordSetStringW(record, 0, L"StartWizard: [1]");
    MsiRecordSetStringW(record, 1, line.c_str());
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
}

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

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall StartWizard(MSIHANDLE install) {
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
