#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "framework/dialog.h"

namespace wiztest {

namespace {

const UINT kCheckMessage = WM_APP + 1;
const UINT kTimeoutMessage = WM_APP + 2;
const UINT_PTR kPollTimer = 1;
const char kWindowClass[] = "WizUiDriver";
// The static text of a message box.
const int kMessageBoxTextId = 0xFFFF;

}  // namespace

struct UiStep::Action {
    enum Kind { kSetText, kType, kCheck, kClick, kKey, kClose, kMove, kRead, kCaption, kDo };
    Kind kind;
    int id = 0;
    std::string text;
    UINT key = 0;
    int x = 0, y = 0;
    std::string* out = nullptr;
    std::function<void(HWND)> fn;
};

UiDriver* UiDriver::active_ = nullptr;

// ---------------------------------------------------------------- the script

UiStep::UiStep(int templateId, bool messageBox) : templateId_(templateId), messageBox_(messageBox) {}

#define WIZ_ADD_ACTION(kindValue, body)        \
    auto a = std::make_shared<Action>();        \
    a->kind = Action::kindValue;                \
    body;                                       \
    actions_.push_back(a);                      \
    return *this;

UiStep& UiStep::SetText(int controlId, const std::string& text) {
    WIZ_ADD_ACTION(kSetText, (a->id = controlId, a->text = text))
}
UiStep& UiStep::Type(int controlId, const std::string& text) {
    WIZ_ADD_ACTION(kType, (a->id = controlId, a->text = text))
}
UiStep& UiStep::Check(int controlId) { WIZ_ADD_ACTION(kCheck, a->id = controlId) }
UiStep& UiStep::Click(int controlId) { WIZ_ADD_ACTION(kClick, a->id = controlId) }
UiStep& UiStep::Key(UINT virtualKey) { WIZ_ADD_ACTION(kKey, a->key = virtualKey) }
UiStep& UiStep::Close() { WIZ_ADD_ACTION(kClose, (void)0) }
UiStep& UiStep::MoveTo(int left, int top) { WIZ_ADD_ACTION(kMove, (a->x = left, a->y = top)) }
UiStep& UiStep::Read(int controlId, std::string* text) {
    WIZ_ADD_ACTION(kRead, (a->id = controlId, a->out = text))
}
UiStep& UiStep::ReadCaption(std::string* text) { WIZ_ADD_ACTION(kCaption, a->out = text) }
UiStep& UiStep::Do(std::function<void(HWND)> action) { WIZ_ADD_ACTION(kDo, a->fn = action) }

// ---------------------------------------------------------------- the driver

UiDriver::UiDriver(DWORD timeoutMs)
    : timeoutMs_(timeoutMs),
      hook_(nullptr),
      window_(nullptr),
      stopEvent_(nullptr),
      watchdog_(nullptr),
      next_(0),
      failed_(false),
      aborted_(false) {
    if (active_) ADD_FAILURE() << "only one UI driver at a time";
    active_ = this;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);  // fails harmlessly when a driver registered it before
    window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!window_) ADD_FAILURE() << "UI driver: no window (error " << GetLastError() << ")";
    SetTimer(window_, kPollTimer, 30, nullptr);
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, HookProc, nullptr, GetCurrentThreadId());
    if (!hook_) ADD_FAILURE() << "UI driver: no hook (error " << GetLastError() << ")";

    stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    watchdog_ = CreateThread(nullptr, 0, WatchdogThread, this, 0, nullptr);
}

UiDriver::~UiDriver() {
    SetEvent(stopEvent_);
    if (watchdog_) {
        WaitForSingleObject(watchdog_, INFINITE);
        CloseHandle(watchdog_);
    }
    CloseHandle(stopEvent_);
    if (hook_) UnhookWindowsHookEx(hook_);
    if (window_) {
        KillTimer(window_, kPollTimer);
        DestroyWindow(window_);
    }
    // A quit posted to end an aborted run must not reach the next test.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    if (!aborted_ && next_ < steps_.size()) {
        std::ostringstream left;
        for (size_t i = next_; i < steps_.size(); ++i)
            left << " " << (steps_[i]->messageBox_ ? std::string("message box")
                                                    : std::to_string(steps_[i]->templateId_));
        ADD_FAILURE() << "UI driver: dialogs expected but never opened:" << left.str()
                      << " (opened: " << Log() << ")";
    }
    active_ = nullptr;
}

UiStep& UiDriver::When(int templateId) {
    steps_.emplace_back(new UiStep(templateId, false));
    return *steps_.back();
}

UiStep& UiDriver::WhenMessageBox() {
    steps_.emplace_back(new UiStep(0, true));
    return *steps_.back();
}

std::string UiDriver::Log() const {
    std::ostringstream out;
    for (size_t i = 0; i < opened_.size(); ++i) out << (i ? " " : "") << opened_[i];
    return out.str();
}

int UiDriver::TemplateIdOf(HWND dialog) {
    return (int)(UINT_PTR)GetPropA(dialog, WIZ_TEMPLATE_ID_PROP);
}

HWND UiDriver::FocusOf(HWND page) {
    if (GetActiveWindow() != page) SetActiveWindow(page);
    return GetFocus();
}

std::string UiDriver::TextOf(HWND window) {
    if (!window) return std::string();
    int length = GetWindowTextLengthA(window);
    std::string text((size_t)(length < 0 ? 0 : length) + 1, '\0');
    int read = GetWindowTextA(window, &text[0], (int)text.size());
    text.resize((size_t)(read < 0 ? 0 : read));
    return text;
}

LRESULT CALLBACK UiDriver::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && active_) {
        const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (call->message == WM_INITDIALOG) active_->Noticed(call->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK UiDriver::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (active_ && hWnd == active_->window_) {
        switch (message) {
        case kCheckMessage:
        case WM_TIMER:
            active_->CheckPending();
            return 0;
        case kTimeoutMessage: {
            active_->Fail("watchdog: the test ran out of time (opened so far: " +
                          active_->Log() + ")");
            active_->Abort();
            return 0;
        }
        }
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

DWORD WINAPI UiDriver::WatchdogThread(void* self) {
    UiDriver* driver = static_cast<UiDriver*>(self);
    if (WaitForSingleObject(driver->stopEvent_, driver->timeoutMs_) != WAIT_TIMEOUT) return 0;
    PostMessageA(driver->window_, kTimeoutMessage, 0, 0);
    // The test thread did not come back even after the quit: stop for good.
    if (WaitForSingleObject(driver->stopEvent_, 15000) == WAIT_TIMEOUT) {
        fprintf(stderr, "UI driver watchdog: the test hangs; stopping the program\n");
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return 0;
}

void UiDriver::Noticed(HWND dialog) {
    int id = TemplateIdOf(dialog);
    opened_.push_back(id);
    if (id == 0) {
        messageTexts_.push_back(TextOf(GetDlgItem(dialog, kMessageBoxTextId)));
        messageCaptions_.push_back(TextOf(dialog));
    }
    pending_.push_back(dialog);
    PostMessageA(window_, kCheckMessage, 0, 0);
}

void UiDriver::CheckPending() {
    // Re-entered when an action runs a modal loop of its own; the scan starts
    // over after every dialog handled, so that is safe.
    // While a quit is on its way every dialog closes by itself: no user acts.
    MSG quit;
    if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return;
    for (size_t i = 0; i < pending_.size();) {
        HWND dialog = pending_[i];
        if (!IsWindow(dialog)) {
            pending_.erase(pending_.begin() + (long)i);  // closed before the user saw it
            continue;
        }
        // Not shown yet, or behind a dialog of its own: later.
        if (!IsWindowVisible(dialog) || !IsWindowEnabled(dialog)) {
            ++i;
            continue;
        }
        pending_.erase(pending_.begin() + (long)i);
        Handle(dialog);
        i = 0;
    }
}

void UiDriver::Handle(HWND dialog) {
    if (aborted_) return;
    int id = TemplateIdOf(dialog);
    std::string what = id ? "dialog " + std::to_string(id)
                          : "message box \"" + TextOf(GetDlgItem(dialog, kMessageBoxTextId)) + "\"";
    if (next_ >= steps_.size()) {
        Fail(what + " opened, but the script has no step left (opened: " + Log() + ")");
        Abort();
        return;
    }
    UiStep& step = *steps_[next_];
    bool match = step.messageBox_ ? id == 0 : id == step.templateId_;
    if (!match) {
        Fail(what + " opened where " +
             (step.messageBox_ ? std::string("a message box") : std::to_string(step.templateId_)) +
             " was expected (opened: " + Log() + ")");
        Abort();
        return;
    }
    ++next_;
    for (const auto& action : step.actions_) RunAction(dialog, *action);
}

void UiDriver::RunAction(HWND dialog, const UiStep::Action& a) {
    using Action = UiStep::Action;
    HWND control = nullptr;
    if (a.kind == Action::kSetText || a.kind == Action::kType || a.kind == Action::kCheck ||
        a.kind == Action::kClick || a.kind == Action::kRead) {
        control = GetDlgItem(dialog, a.id);
        if (!control) {
            Fail("control " + std::to_string(a.id) + " is missing from dialog " +
                 std::to_string(TemplateIdOf(dialog)));
            return;
        }
    }
    switch (a.kind) {
    case Action::kSetText:
        SendMessageA(control, WM_SETTEXT, 0, (LPARAM)a.text.c_str());
        break;
    case Action::kType:
        SendMessageA(dialog, WM_NEXTDLGCTL, (WPARAM)control, TRUE);
        for (char c : a.text) SendMessageA(control, WM_CHAR, (WPARAM)(BYTE)c, 1);
        break;
    case Action::kCheck:
    case Action::kClick:
        if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
            Fail("control " + std::to_string(a.id) + " of dialog " +
                 std::to_string(TemplateIdOf(dialog)) + " cannot be clicked (hidden or disabled)");
            Abort();
            return;
        }
        if (a.kind == Action::kCheck)
            SendMessageA(control, BM_CLICK, 0, 0);
        else
            PostMessageA(control, BM_CLICK, 0, 0);
        break;
    case Action::kKey: {
        HWND focus = GetFocus();
        HWND target = focus && (focus == dialog || IsChild(dialog, focus)) ? focus : dialog;
        PostMessageA(target, WM_KEYDOWN, a.key, 1);
        PostMessageA(target, WM_KEYUP, a.key, (LPARAM)0xC0000001);
        break;
    }
    case Action::kClose:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case Action::kMove:
        SetWindowPos(dialog, nullptr, a.x, a.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case Action::kRead:
        if (a.out) *a.out = TextOf(control);
        break;
    case Action::kCaption:
        if (a.out) *a.out = TextOf(dialog);
        break;
    case Action::kDo:
        if (a.fn) a.fn(dialog);
        break;
    }
}

void UiDriver::Fail(const std::string& what) {
    failed_ = true;
    ADD_FAILURE() << "UI driver: " << what;
}

void UiDriver::Abort() {
    if (aborted_) return;
    aborted_ = true;
    // Every modal loop ends on the quit and posts it again for the next one.
    PostQuitMessage(0);
}

}  // namespace wiztest
