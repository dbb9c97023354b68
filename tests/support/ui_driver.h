// A user for UI tests, running in the test program itself.
//
// Script what the user does with each dialog as it opens, then run the code
// under test (a wizard run, a DoModal, ...). The driver watches the thread's
// dialogs through a window hook; when one opens it takes the next step of the
// script, checks that the dialog is the one expected (by template id, or a
// message box) and carries out the step's actions in order:
//
//     wiztest::UiDriver ui;
//     ui.When(2805).Click(5544);                       // welcome: Next
//     ui.When(2808).SetText(5506, "Ann").Click(5543);  // name page: type, Back
//     ui.When(2805).Click(IDCANCEL);
//     ui.When(2820).Click(IDOK);                       // quit confirmation: OK
//     controller.Run();
//     EXPECT_EQ("2805 2808 2805 2820", ui.Log());
//
// Presses (Click, Key, Close) go through the message queue as a person's
// input would, after the step's other actions; put them last. A dialog that
// opens with no step left for it, or not the one expected, fails the test and
// ends the run (a quit message closes every open dialog). A watchdog fails a
// test that runs longer than its time and stops the program if it still hangs.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wiztest {

class UiStep {
public:
    // Sets a control's text directly (WM_SETTEXT).
    UiStep& SetText(int controlId, const std::string& text);
    // Focuses a control and types the text into it, one character at a time.
    UiStep& Type(int controlId, const std::string& text);
    // A click on a radio button or check box (handled at once).
    UiStep& Check(int controlId);
    // A click on a push button (IDOK, IDCANCEL, 5544 ...), through the queue.
    UiStep& Click(int controlId);
    // A key press (VK_RETURN, VK_ESCAPE ...) on the focused control.
    UiStep& Key(UINT virtualKey);
    // The close box of the dialog.
    UiStep& Close();
    // Moves the dialog's top-left corner, as if the user dragged it.
    UiStep& MoveTo(int left, int top);
    // Reads a control's text, or the dialog's caption, when the step runs.
    UiStep& Read(int controlId, std::string* text);
    UiStep& ReadCaption(std::string* text);
    // Anything else, with the dialog's window.
    UiStep& Do(std::function<void(HWND dialog)> action);

private:
    friend class UiDriver;
    struct Action;
    UiStep(int templateId, bool messageBox);
    int templateId_;
    bool messageBox_;
    std::vector<std::shared_ptr<Action>> actions_;
};

class UiDriver {
public:
    explicit UiDriver(DWORD timeoutMs = 30000);
    ~UiDriver();  // fails the test when scripted steps were not used
    UiDriver(const UiDriver&) = delete;
    UiDriver& operator=(const UiDriver&) = delete;

    // The next dialog to open has this template id.
    UiStep& When(int templateId);
    // The next dialog to open is a message box.
    UiStep& WhenMessageBox();

    // Every dialog that opened, in order: its template id, 0 for a message box
    // (or any dialog without a template id of the framework).
    const std::vector<int>& Opened() const { return opened_; }
    // The same, as text: "2805 2808 0 2808".
    std::string Log() const;
    // Text and caption of each message box that opened.
    const std::vector<std::string>& MessageTexts() const { return messageTexts_; }
    const std::vector<std::string>& MessageCaptions() const { return messageCaptions_; }
    // Steps not used yet.
    size_t StepsLeft() const { return steps_.size() - next_; }
    bool Failed() const { return failed_; }

    // The template id the framework recorded for a dialog window, or 0.
    static int TemplateIdOf(HWND dialog);
    static std::string TextOf(HWND window);
    // The control of the page (of this thread) that has the focus while the
    // page is active. Test programs running side by side take the activation
    // from each other, and a dialog gets its focus back when it is activated
    // again, so a page that lost the activation is activated first.
    static HWND FocusOf(HWND page);

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI WatchdogThread(void* self);
    void Noticed(HWND dialog);
    void CheckPending();
    void Handle(HWND dialog);
    void RunAction(HWND dialog, const UiStep::Action& action);
    void Fail(const std::string& what);
    void Abort();

    static UiDriver* active_;
    DWORD timeoutMs_;
    HHOOK hook_;
    HWND window_;
    HANDLE stopEvent_;
    HANDLE watchdog_;
    std::vector<std::unique_ptr<UiStep>> steps_;
    size_t next_;
    std::vector<HWND> pending_;
    std::vector<int> opened_;
    std::vector<std::string> messageTexts_;
    std::vector<std::string> messageCaptions_;
    bool failed_;
    bool aborted_;
};

}  // namespace wiztest
