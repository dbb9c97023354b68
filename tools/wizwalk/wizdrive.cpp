#include "tools/wizwalk/wizdrive.h"

#include <tlhelp32.h>

#include <algorithm>
#include <set>

#include "framework/dialog.h"

namespace wizdrive {

const char kMainWindowTitle[] = "KLCVWiz Main Window";

namespace {

const char kDialogClass[] = "#32770";
const DWORD kMessageTimeoutMs = 5000;

// Pages of the wizard and the controls the walk uses.
const int kNextButton = 5544;
const int kUserName = 5506;
const int kCompany = 5507;
const int kTamYes = 5509;
const int kTamNo = 5510;
const int kSharedNumber = 5516;
const int kLineDedicated = 5519;
const int kLineShared = 5520;
const int kFaxNumber = 5521;
const int kVoiceNumber = 5522;
const int kSameShared = 5531;
const int kModemYes = 5531;
const int kModemNo = 5532;

struct EnumContext {
    DWORD processId;
    bool visibleOnly;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    EnumContext* context = reinterpret_cast<EnumContext*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == context->processId && (!context->visibleOnly || IsWindowVisible(window)))
        context->windows->push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    auto* ids = reinterpret_cast<std::vector<int>*>(param);
    ids->push_back(GetDlgCtrlID(window));
    return TRUE;
}

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool ProcessRunning(DWORD id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return false;
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

void KillProcess(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) return;
    if (TerminateProcess(process, 1)) WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

}  // namespace

// ---------------------------------------------------------------- Program

Program::~Program() {
    if (process_) {
        // The editor or registration the wizard started goes with it.
        for (DWORD child : ChildrenOf(id_))
            if (ProcessRunning(child)) KillProcess(child);
        Kill();
        CloseHandle(process_);
    }
    if (thread_) CloseHandle(thread_);
}

bool Program::Start(const std::string& exe, const std::string& arguments, bool suspended,
                    const std::string& directory) {
    if (process_) return false;
    std::string commandLine = Quote(exe);
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    std::string folder = directory.empty() ? FolderOf(exe) : directory;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!Desktop.empty()) startup.lpDesktop = const_cast<char*>(Desktop.c_str());
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE,
                        suspended ? CREATE_SUSPENDED : 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return false;
    process_ = info.hProcess;
    thread_ = info.hThread;
    id_ = info.dwProcessId;
    return true;
}

void Program::Resume() {
    if (thread_) ResumeThread(thread_);
}

bool Program::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool Program::WaitForExit(DWORD timeoutMs) const {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Program::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

void Program::Kill() {
    if (Running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
}

std::vector<HWND> Program::Dialogs() const {
    std::vector<HWND> dialogs;
    for (HWND window : WindowsOf(id_))
        if (ClassOf(window) == kDialogClass) dialogs.push_back(window);
    return dialogs;
}

HWND Program::FindDialog(int templateId) const {
    for (HWND dialog : Dialogs())
        if (TemplateIdOf(dialog) == templateId) return dialog;
    return nullptr;
}

HWND Program::ActiveDialog() const {
    for (HWND dialog : Dialogs())
        if (IsWindowEnabled(dialog)) return dialog;
    return nullptr;
}

HWND Program::WaitForDialog(int templateId, DWORD timeoutMs, DWORD pollMs) const {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND dialog = FindDialog(templateId)) return dialog;
        if (!Running() || GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(pollMs);
    }
}

HWND Program::WaitForActive(int templateId, DWORD timeoutMs, DWORD pollMs) const {
    DWORD start = GetTickCount();
    for (;;) {
        HWND dialog = ActiveDialog();
        if (dialog && TemplateIdOf(dialog) == templateId) return dialog;
        if (!Running() || GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(pollMs);
    }
}

HWND Program::MainWindow() const {
    for (HWND window : WindowsOf(id_, false))
        if (TextOf(window) == kMainWindowTitle) return window;
    return nullptr;
}

HWND Program::WaitForMainWindow(DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = MainWindow()) return window;
        if (!Running() || GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(10);
    }
}

// ---------------------------------------------------------------- windows

std::vector<HWND> WindowsOf(DWORD processId, bool visibleOnly) {
    std::vector<HWND> windows;
    EnumContext context = {processId, visibleOnly, &windows};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
    return windows;
}

std::vector<DWORD> ChildrenOf(DWORD processId) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == processId && entry.th32ProcessID != processId)
            children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}

int TemplateIdOf(HWND dialog) {
    return (int)(UINT_PTR)GetPropA(dialog, WIZ_TEMPLATE_ID_PROP);
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? (size_t)n : 0);
}

std::string TextOf(HWND window) {
    if (!window) return std::string();
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length))
        return std::string();
    std::vector<char> text(length + 2, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied))
        return std::string();
    return std::string(text.data(), std::min<size_t>(copied, length + 1));
}

std::string ControlText(HWND dialog, int controlId) {
    return TextOf(GetDlgItem(dialog, controlId));
}

bool SetControlText(HWND dialog, int controlId, const std::string& text) {
    HWND control = GetDlgItem(dialog, controlId);
    DWORD_PTR result = 0;
    return control && SendMessageTimeoutA(control, WM_SETTEXT, 0,
                                          reinterpret_cast<LPARAM>(text.c_str()),
                                          SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result) &&
           result;
}

bool IsChecked(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    DWORD_PTR state = 0;
    return control && SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG,
                                          kMessageTimeoutMs, &state) &&
           state == BST_CHECKED;
}

bool Click(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    return control && PostMessageA(control, BM_CLICK, 0, 0);
}

void Close(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

std::vector<int> ControlIds(HWND dialog) {
    std::vector<int> ids;
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&ids));
    return ids;
}

// ---------------------------------------------------------------- keyboard

namespace {

INPUT KeyInput(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

bool Send(std::vector<INPUT>& inputs) {
    return SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT)) == inputs.size();
}

}  // namespace

bool PressKey(WORD vk, int modifiers) {
    static const struct { int flag; WORD vk; } kHeld[] = {
        {kCtrl, VK_CONTROL}, {kAlt, VK_MENU}, {kShift, VK_SHIFT}};
    std::vector<INPUT> inputs;
    for (const auto& held : kHeld)
        if (modifiers & held.flag) inputs.push_back(KeyInput(held.vk, false));
    inputs.push_back(KeyInput(vk, false));
    inputs.push_back(KeyInput(vk, true));
    for (int i = 2; i >= 0; --i)
        if (modifiers & kHeld[i].flag) inputs.push_back(KeyInput(kHeld[i].vk, true));
    return Send(inputs);
}

bool TypeKeys(const std::string& text) {
    std::vector<wchar_t> wide(text.size() + 1);
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), wide.data(),
                                (int)wide.size());
    for (int i = 0; i < n; ++i) {
        SHORT key = VkKeyScanW(wide[i]);
        if (key != -1 && !(key & 0x0600)) {
            if (!PressKey(LOBYTE(key), (key & 0x0100) ? kShift : kNoModifier)) return false;
            continue;
        }
        std::vector<INPUT> inputs(2);
        for (int up = 0; up < 2; ++up) {
            inputs[up].type = INPUT_KEYBOARD;
            inputs[up].ki.wScan = wide[i];
            inputs[up].ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
        }
        if (!Send(inputs)) return false;
    }
    return true;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool EnterDesktop(const std::string& name) {
    HDESK desktop = CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    return desktop && SetThreadDesktop(desktop);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(pollMs);
    }
}

// ---------------------------------------------------------------- one road

namespace {

// What a person can do: a disabled control takes neither typing nor a click.
bool Type(HWND page, int controlId, const std::string& text) {
    HWND control = GetDlgItem(page, controlId);
    return (control && !IsWindowEnabled(control)) || SetControlText(page, controlId, text);
}

bool Pick(HWND page, int controlId) {
    HWND control = GetDlgItem(page, controlId);
    return (control && !IsWindowEnabled(control)) || Click(page, controlId);
}

// Types the answers a page asks for and picks its radio buttons, where the
// page lets a person; false for a dialog that is no page of the road.
bool AnswerPage(HWND page, int pageId, const RoadAnswers& a) {
    switch (pageId) {
    case 2805:  // welcome
    case 2817:  // summary
    case 2809:  // finish
    case 2821:  // device option: as the device has it
        return true;
    case 2808:
        return Type(page, kUserName, a.UserName) &&
               Type(page, kCompany, a.Company);
    case 2810:
        return Pick(page, a.DedicatedLine ? kLineDedicated : kLineShared);
    case 2811:
        return Type(page, kFaxNumber, a.FaxNumber);
    case 2812:
        return Type(page, kVoiceNumber, a.VoiceNumber);
    case 2813:
        return Type(page, kSharedNumber, a.SharedNumber);
    case 2814:
        return Pick(page, a.AnsweringMachine ? kTamYes : kTamNo);
    case 2815:
        return Pick(page, a.Modem ? kModemYes : kModemNo);
    case 2818:
        // One number for fax and voice: a shared line, so the road goes on
        // rather than back to the fax number.
        return Pick(page, kSameShared);
    default:
        return false;
    }
}

// Shows and closes the windows of the programs the wizard started.
void HandleStartedPrograms(DWORD wizardId, std::set<HWND>& seen, RoadReport& report,
                           const ShownCallback& shown) {
    for (DWORD child : ChildrenOf(wizardId)) {
        for (HWND window : WindowsOf(child)) {
            if (seen.count(window)) continue;
            seen.insert(window);
            bool editor = ClassOf(window) != kDialogClass;
            if (shown) shown(editor ? "editor" : "registration", window);
            Close(window);
            ++(editor ? report.EditorsClosed : report.RegistrationsClosed);
        }
    }
}

bool AnyRunning(const std::vector<DWORD>& ids) {
    for (DWORD id : ids)
        if (ProcessRunning(id)) return true;
    return false;
}

}  // namespace

RoadReport WalkRoad(Program& wizard, const RoadAnswers& answers, DWORD timeoutMs,
                    const ShownCallback& shown) {
    RoadReport report;
    std::set<HWND> seen;
    DWORD start = GetTickCount();
    HWND left = nullptr;  // the page last left with Next, until it has gone

    while (wizard.Running()) {
        if (GetTickCount() - start >= timeoutMs) {
            report.Failure = "the walk took longer than its time";
            return report;
        }
        HandleStartedPrograms(wizard.Id(), seen, report, shown);
        if (left && IsWindow(left) && IsWindowVisible(left)) {
            HWND active = wizard.ActiveDialog();
            if (active && active != left && TemplateIdOf(active) == 0) {
                report.MessageTexts.push_back(ControlText(active, 0xFFFF));
                report.Failure = "a message stopped the walk: " + report.MessageTexts.back();
                return report;
            }
            Sleep(10);
            continue;
        }
        left = nullptr;
        HWND page = wizard.ActiveDialog();
        if (!page) {
            Sleep(10);
            continue;
        }
        int pageId = TemplateIdOf(page);
        if (pageId == 0) {
            report.MessageTexts.push_back(ControlText(page, 0xFFFF));
            report.Failure = "a message stopped the walk: " + report.MessageTexts.back();
            return report;
        }
        if (!AnswerPage(page, pageId, answers)) {
            report.Failure = "no road through dialog " + std::to_string(pageId);
            return report;
        }
        if (shown) shown("page" + std::to_string(pageId), page);
        if (!Click(page, kNextButton)) {
            report.Failure = "no Next button on page " + std::to_string(pageId);
            return report;
        }
        report.Pages.push_back(pageId);
        left = page;
    }
    report.Ended = true;

    // The registration the last page starts runs on after the wizard.
    std::vector<DWORD> children = ChildrenOf(wizard.Id());
    DWORD end = GetTickCount();
    while (AnyRunning(children) && GetTickCount() - end < 10000) {
        HandleStartedPrograms(wizard.Id(), seen, report, shown);
        Sleep(20);
    }
    return report;
}

}  // namespace wizdrive
