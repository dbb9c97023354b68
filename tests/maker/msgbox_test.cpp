#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>

#include "maker/msgbox/msgbox.h"
#include "tests/support/test_support.h"

namespace {

// What the watcher saw of the box it answered.
struct SeenBox {
    bool found = false;
    std::string caption;
    std::string text;
    std::set<int> buttons;  // visible button ids
    HICON icon = nullptr;
    HWND owner = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    char className[16];
    if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof className) &&
        !strcmp(className, "#32770")) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReadChild(HWND child, LPARAM seenParam) {
    SeenBox* seen = reinterpret_cast<SeenBox*>(seenParam);
    char className[16], text[1024];
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (!_stricmp(className, "Static")) {
        if ((style & SS_TYPEMASK) == SS_ICON)
            seen->icon = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
        else if (GetWindowTextA(child, text, sizeof text) > 0)
            seen->text = text;
    } else if (!_stricmp(className, "Button") && IsWindowVisible(child)) {
        seen->buttons.insert(GetDlgCtrlID(child));
    }
    return TRUE;
}

// Answers the first message box that the given thread shows by pressing the
// button answer, and records what the box looked like.
class BoxAnswerer {
public:
    BoxAnswerer(int answer) : thread_(GetCurrentThreadId()), answer_(answer) {
        worker_ = std::thread([this] { Run(); });
    }
    ~BoxAnswerer() { Join(); }
    const SeenBox& Seen() {
        Join();
        return seen_;
    }

private:
    void Join() {
        if (worker_.joinable()) worker_.join();
    }
    void Run() {
        HWND box = nullptr;
        for (int i = 0; i < 500 && !box; ++i) {
            EnumThreadWindows(thread_, FindBox, (LPARAM)&box);
            if (!box) Sleep(20);
        }
        if (!box) return;
        seen_.found = true;
        char caption[256] = "";
        GetWindowTextA(box, caption, sizeof caption);
        seen_.caption = caption;
        seen_.owner = GetWindow(box, GW_OWNER);
        EnumChildWindows(box, ReadChild, (LPARAM)&seen_);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED),
                     (LPARAM)GetDlgItem(box, answer_));
    }

    DWORD thread_;
    int answer_;
    SeenBox seen_;
    std::thread worker_;
};

}  // namespace

TEST(StyledMessageBox, DeviceReportShowsErrorIconOkDeviceAndSource) {
    BoxAnswerer answerer(IDOK);
    int result = StyledMessageBox(nullptr, 0xC0110000, 77, nullptr, nullptr,
                                  "The device cannot be reached.", "Check the cable.", nullptr,
                                  "C:\\src\\app\\startup.cpp", 123);
    const SeenBox& seen = answerer.Seen();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.text,
              "The device cannot be reached.\n\nCheck the cable.\n\nDevice: 77\n"
              "(startup.cpp, line 123)");
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.buttons, std::set<int>{IDOK});
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_HAND));
}

TEST(StyledMessageBox, ButtonFieldsIconsAndAnswers) {
    {
        BoxAnswerer answerer(IDNO);
        int result = StyledMessageBox(nullptr, SMB_ICON_QUESTION | SMB_BUTTONS_YESNO, 5, nullptr,
                                      "Fax Setup", "Quit the setup?", nullptr, nullptr, nullptr, 0);
        const SeenBox& seen = answerer.Seen();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(result, IDNO);
        EXPECT_EQ(seen.caption, "Fax Setup");
        EXPECT_EQ(seen.text, "Quit the setup?");  // no device line without its flag
        EXPECT_EQ(seen.buttons, (std::set<int>{IDYES, IDNO}));
        EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_QUESTION));
    }
    {
        // Without fields of its own the platform's flags of the low word count.
        BoxAnswerer answerer(IDCANCEL);
        int result = StyledMessageBox(nullptr, MB_OKCANCEL | MB_ICONEXCLAMATION, 0, nullptr,
                                      nullptr, "Low word", nullptr, nullptr, nullptr, 0);
        const SeenBox& seen = answerer.Seen();
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(seen.caption, "Warning");
        EXPECT_EQ(seen.buttons, (std::set<int>{IDOK, IDCANCEL}));
        EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_EXCLAMATION));
    }
    {
        // A field of its own replaces the low word's bits.
        BoxAnswerer answerer(IDRETRY);
        int result = StyledMessageBox(nullptr, MB_YESNO | MB_ICONHAND | SMB_BUTTONS_RETRYCANCEL |
                                                   SMB_ICON_INFORMATION,
                                      0, nullptr, nullptr, "Again?", nullptr, nullptr, nullptr, 0);
        const SeenBox& seen = answerer.Seen();
        EXPECT_EQ(result, IDRETRY);
        EXPECT_EQ(seen.buttons, (std::set<int>{IDRETRY, IDCANCEL}));
        EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_ASTERISK));
    }
}

TEST(StyledMessageBox, TextsFromResourcesAndMissingPiecesLeftOut) {
    {
        BoxAnswerer answerer(IDOK);
        StyledMessageBox(nullptr, SMB_SHOW_SOURCE, -3, nullptr, MAKEINTRESOURCEA(102),
                         MAKEINTRESOURCEA(101), "", MAKEINTRESOURCEA(999), nullptr, 42);
        const SeenBox& seen = answerer.Seen();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.caption, "Check that it is switched on.");
        EXPECT_EQ(seen.text, "The device cannot be reached.\n\n(line 42)");
    }
    {
        BoxAnswerer answerer(IDOK);
        StyledMessageBox(nullptr, SMB_SHOW_DEVICE | SMB_SHOW_SOURCE, -3, nullptr, nullptr, nullptr,
                         "Second only", nullptr, "/build/faxwiz/app.cpp", 0);
        const SeenBox& seen = answerer.Seen();
        EXPECT_EQ(seen.text, "Second only\n\nDevice: -3\n(app.cpp)");
        EXPECT_EQ(seen.caption, "Message");
    }
}

TEST(StyledMessageBox, OwnedByTheTopLevelWindowOfTheOwnerGiven) {
    HWND top = CreateWindowA("STATIC", "Corvantis Fax Setup", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                             0, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND control = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, top, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    BoxAnswerer answerer(IDOK);
    int result = StyledMessageBox(control, SMB_ICON_WARNING, 0, nullptr, nullptr, "Owned", nullptr,
                                  nullptr, nullptr, 0);
    const SeenBox& seen = answerer.Seen();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.owner, top);
    EXPECT_EQ(seen.caption, "Corvantis Fax Setup");  // a visible owner lends its title
    DestroyWindow(top);

    // An owner that is no window is not used.
    BoxAnswerer second(IDOK);
    EXPECT_EQ(StyledMessageBox((HWND)0x4321, 0, 0, nullptr, nullptr, "No owner", nullptr, nullptr,
                               nullptr, 0),
              IDOK);
    EXPECT_EQ(second.Seen().owner, nullptr);
}
