// Drives the running wizard from another process, as a person would: finds
// its windows by process, reads and sets control texts, presses buttons.
// Used by the walk tool, the benchmark and the whole-program tests.
//
// What works across processes: enumerating windows and reading their class,
// title, style and window properties (the framework marks every dialog with
// its template id); WM_SETTEXT and WM_GETTEXT (the platform copies the text);
// posted clicks (BM_CLICK) and posted or sent messages of our own; key
// presses through the system's input (SendInput), which Wine hands to the
// foreground window of the sender's desktop, also under its null display
// driver.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wizdrive {

// A program started and watched by the driver. A program still running when
// the object goes is ended.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts exe with the arguments (appended after a blank) in the working
    // directory given, or the program's own folder when none. Suspended: the
    // first thread waits for Resume.
    bool Start(const std::string& exe, const std::string& arguments = std::string(),
               bool suspended = false, const std::string& directory = std::string());
    // The desktop the program is started on; the default desktop when empty.
    std::string Desktop;
    void Resume();

    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_; }
    bool Running() const;
    // True when the program ended within the time.
    bool WaitForExit(DWORD timeoutMs) const;
    // The exit code; STILL_ACTIVE while it runs.
    DWORD ExitCode() const;
    void Kill();

    // The visible dialogs (class "#32770") of the program, top of the z-order first.
    std::vector<HWND> Dialogs() const;
    // The visible dialog with that template id (0: a dialog without one,
    // such as a message box); none when there is none.
    HWND FindDialog(int templateId) const;
    // The dialog that takes input now: the visible, enabled one on top.
    HWND ActiveDialog() const;
    // Waits for FindDialog; none when the time ran out or the program ended.
    HWND WaitForDialog(int templateId, DWORD timeoutMs, DWORD pollMs = 10) const;
    // Waits until ActiveDialog has that template id.
    HWND WaitForActive(int templateId, DWORD timeoutMs, DWORD pollMs = 10) const;
    // The program's hidden main window.
    HWND MainWindow() const;
    HWND WaitForMainWindow(DWORD timeoutMs) const;

private:
    HANDLE process_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD id_ = 0;
};

// Title of the wizard's hidden main window.
extern const char kMainWindowTitle[];

// Top-level windows of a process, top of the z-order first.
std::vector<HWND> WindowsOf(DWORD processId, bool visibleOnly = true);
// Processes started by the process (running or not), from the system's list.
std::vector<DWORD> ChildrenOf(DWORD processId);

// The template id the framework keeps on a dialog of the program; 0 for none.
int TemplateIdOf(HWND dialog);
std::string ClassOf(HWND window);
// A window's text, also an edit control's in another process.
std::string TextOf(HWND window);
std::string ControlText(HWND dialog, int controlId);
bool SetControlText(HWND dialog, int controlId, const std::string& text);
bool IsChecked(HWND dialog, int controlId);
// A press of a button (or a radio button), through the program's queue.
bool Click(HWND dialog, int controlId);
// Asks a window to close.
void Close(HWND window);

// Every control id of a dialog's child windows, in z-order.
std::vector<int> ControlIds(HWND dialog);

// ---------------------------------------------------------------- keyboard
// Real key presses (SendInput): they reach whichever thread owns the
// foreground window, as a person's typing does, and pass through that
// thread's own loop (IsDialogMessage, TranslateMessage) like typing does.

// Modifier keys held down around a key.
enum KeyModifiers { kNoModifier = 0, kShift = 1, kCtrl = 2, kAlt = 4 };

// Presses and releases the key with the modifiers held.
bool PressKey(WORD vk, int modifiers = kNoModifier);
// Types the text: each character with its key of the keyboard layout
// (Shift where the layout needs it), VK_PACKET for one that has no key.
bool TypeKeys(const std::string& text);
// The window with the keyboard focus in the thread that owns the window.
HWND FocusOf(HWND window);
// Moves the calling thread, which must have no windows yet, to a desktop of
// its own, created when missing: its windows, its foreground and its key
// presses are apart from every other program's. False when that failed.
bool EnterDesktop(const std::string& name);
// Waits until the condition holds; false when the time ran out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 10);

// ---------------------------------------------------------------- one road

// What to answer on the way through the wizard.
struct RoadAnswers {
    std::string UserName = "Dana Whitfield";
    std::string Company = "Whitfield Print & Design";
    std::string FaxNumber = "+1 555 0100";
    std::string VoiceNumber = "+1 555 0199";
    std::string SharedNumber = "+1 555 0123";
    bool DedicatedLine = true;
    bool AnsweringMachine = false;
    bool Modem = false;
};

// What a walk saw.
struct RoadReport {
    std::vector<int> Pages;                  // every page left with Next, in order
    std::vector<std::string> MessageTexts;   // message boxes met on the way
    int EditorsClosed = 0;                   // text editor windows the wizard opened
    int RegistrationsClosed = 0;             // windows of the registration it started
    bool Ended = false;                      // the program ended by itself
    std::string Failure;                     // empty when the walk went as meant
};

// Called for each window on the way, once the walk has typed and picked its
// answers there and before it leaves it: name is "page<id>", "editor" or
// "registration".
typedef std::function<void(const std::string& name, HWND window)> ShownCallback;

// Walks the wizard from the page it shows now to its end: on each page types
// the answers where the page has fields, picks the answers of its questions
// and presses Next; closes the text editor and the registration program that
// the last page starts. Gives up after timeoutMs.
RoadReport WalkRoad(Program& wizard, const RoadAnswers& answers, DWORD timeoutMs,
                    const ShownCallback& shown = ShownCallback());

}  // namespace wizdrive
