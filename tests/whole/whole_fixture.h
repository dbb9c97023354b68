// Shared steps of the whole-program tests: the real program under Wine,
// installed for the test, driven from this process through its windows.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "maker/evobject/evobject.h"
#include "tests/whole/demo_install.h"
#include "tools/wizwalk/wizdrive.h"

namespace wholetest {

const int kWelcomePage = 2805;
const int kQuitConfirm = 2820;
const int kNextButton = 5544;
const UINT kShutdownRequestMessage = 2025;

// Generous: a program start under Wine takes a second or two, more while
// other tests run beside it.
const DWORD kStartTimeoutMs = 30000;
const DWORD kExitTimeoutMs = 30000;
const DWORD kDialogTimeoutMs = 15000;

// Starts the installed wizard and waits for its first page.
inline HWND StartAtWelcome(wizdrive::Program& wizard, const DemoInstall& demo,
                           const std::string& arguments = std::string()) {
    EXPECT_TRUE(wizard.Start(demo.Program(), arguments)) << demo.Program();
    HWND page = wizard.WaitForActive(kWelcomePage, kStartTimeoutMs);
    EXPECT_NE(nullptr, page) << "the welcome page did not open (arguments: " << arguments << ")";
    return page;
}

// Presses Cancel on the page and confirms: the wizard ends without saving.
inline void CancelWizard(wizdrive::Program& wizard, HWND page) {
    ASSERT_TRUE(wizdrive::Click(page, IDCANCEL));
    HWND confirm = wizard.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
    ASSERT_NE(nullptr, confirm) << "no quit confirmation after Cancel";
    ASSERT_TRUE(wizdrive::Click(confirm, IDOK));
    ASSERT_TRUE(wizard.WaitForExit(kExitTimeoutMs)) << "the wizard did not end after Cancel";
}

// A shutdown request for the device, as another program of the product sends it.
inline int RequestShutdown(long deviceId) { return EvSignalObject("ShutdownRequest", deviceId); }

}  // namespace wholetest
