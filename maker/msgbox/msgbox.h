// Message box library: the platform's message box with the product family's
// styles, an optional device line and an optional source location.
#pragma once
#include <windows.h>

#ifdef MSGBOX_BUILD
#define MSGBOXAPI __declspec(dllexport)
#else
#define MSGBOXAPI __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Style flags. The low word is handed to the platform's message box as it
// stands (MB_OK, MB_ICONHAND, MB_DEFBUTTON2, MB_TASKMODAL, ...). The high
// word is this library's: a non-zero icon or button field replaces the
// platform's icon or button bits of the low word.
//
//   0x000F0000  icon: 1 error (stop), 2 warning, 3 information, 4 question
//   0x00F00000  buttons: 1 OK, 2 OK/Cancel, 3 Yes/No, 4 Yes/No/Cancel,
//               5 Retry/Cancel, 6 Abort/Retry/Ignore
//   0x20000000  keep the box above all other windows
//   0x40000000  add a line naming the device id
//   0x80000000  add a line naming the source file and line of the caller
//
// So 0xC0110000, the form used to report a device that cannot be reached,
// is an error icon, an OK button, the device line and the source line.
#define SMB_ICON_MASK 0x000F0000UL
#define SMB_ICON_ERROR 0x00010000UL
#define SMB_ICON_WARNING 0x00020000UL
#define SMB_ICON_INFORMATION 0x00030000UL
#define SMB_ICON_QUESTION 0x00040000UL
#define SMB_BUTTONS_MASK 0x00F00000UL
#define SMB_BUTTONS_OK 0x00100000UL
#define SMB_BUTTONS_OKCANCEL 0x00200000UL
#define SMB_BUTTONS_YESNO 0x00300000UL
#define SMB_BUTTONS_YESNOCANCEL 0x00400000UL
#define SMB_BUTTONS_RETRYCANCEL 0x00500000UL
#define SMB_BUTTONS_ABORTRETRYIGNORE 0x00600000UL
#define SMB_TOPMOST 0x20000000UL
#define SMB_SHOW_DEVICE 0x40000000UL
#define SMB_SHOW_SOURCE 0x80000000UL

// Shows a modal message box owned by the top-level window of owner (none
// when owner is 0 or no window) and returns the platform's answer (IDOK,
// IDCANCEL, IDYES, ...), or 0 when the box could not be shown.
//
// The message is text1, then text2 and text3 as further paragraphs; empty or
// null texts are left out. A text may also be a string resource id
// (MAKEINTRESOURCE), loaded from textModule, or from the program when
// textModule is 0. The device line reads "Device: <deviceId>", the source
// line "(<file name>, line <sourceLine>)" with the file's directory left out.
// Without a caption the box takes the title of a visible owner, else a word
// for its icon ("Error", "Warning", "Information", "Question", "Message").
MSGBOXAPI int StyledMessageBox(HWND owner, DWORD style, long deviceId, HINSTANCE textModule,
                               const char* caption, const char* text1, const char* text2,
                               const char* text3, const char* sourceFile, int sourceLine);

#ifdef __cplusplus
}
#endif
