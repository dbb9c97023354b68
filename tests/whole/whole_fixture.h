// Shared steps of the whole-program tests: the real program under Wine,
// installed for the test, driven from this process through its windows.
#pragma once
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

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

// Walks the road from the page shown now with the answers: the walk goes as
// meant and the program ends by itself, with exit code 0.
inline void WalkToTheEnd(wizdrive::Program& wizard, const wizdrive::RoadAnswers& answers,
                         wizdrive::RoadReport* report, DWORD timeoutMs = 120000,
                         const wizdrive::ShownCallback& shown = wizdrive::ShownCallback()) {
    *report = wizdrive::WalkRoad(wizard, answers, timeoutMs, shown);
    ASSERT_EQ("", report->Failure);
    ASSERT_TRUE(report->Ended);
    EXPECT_EQ(0u, wizard.ExitCode());
}

// Presses Cancel on the page and confirms: the wizard ends without saving.
inline void CancelWizard(wizdrive::Program& wizard, HWND page) {
    ASSERT_TRUE(wizdrive::Click(page, IDCANCEL));
    HWND confirm = wizard.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
    ASSERT_NE(nullptr, confirm) << "no quit confirmation after Cancel";
    ASSERT_TRUE(wizdrive::Click(confirm, IDOK));
    ASSERT_TRUE(wizard.WaitForExit(kExitTimeoutMs)) << "the wizard did not end after Cancel";
}

// After the program ended: both of its device clients were unregistered, the
// channel it opened was closed first, and its event object was unregistered.
inline void ExpectLetGoOfDeviceAndEvents(const DemoInstall& demo, DWORD processId,
                                         long deviceId) {
    std::set<std::string> clients, channels;
    int registered = 0, opened = 0;
    for (const std::string& line : demo.ClientLog(processId)) {
        std::istringstream in(line);
        std::string call, client;
        in >> call >> client;
        if (call == "register") {
            ++registered;
            clients.insert(client);
        } else if (call == "unregister") {
            EXPECT_EQ(0u, channels.count(client)) << "unregistered with its channel open";
            clients.erase(client);
        } else if (call == "open-channel") {
            ++opened;
            channels.insert(client);
        } else if (call == "close-channel") {
            channels.erase(client);
        }
    }
    EXPECT_EQ(2, registered);
    EXPECT_EQ(1, opened);
    EXPECT_TRUE(clients.empty()) << clients.size() << " client(s) still registered";
    EXPECT_TRUE(channels.empty()) << "a channel left open";
    std::vector<std::string> events = demo.EventTrace(processId);
    ASSERT_EQ(2u, events.size());
    std::string name = "KLEvObject:" + std::to_string(deviceId) + ":SHUTDOWNREQUEST#";
    EXPECT_EQ(0u, events[0].find("register " + name)) << events[0];
    EXPECT_EQ("un" + events[0], events[1]);
}

// A shutdown request for the device, as another program of the product sends it.
inline int RequestShutdown(long deviceId) { return EvSignalObject("ShutdownRequest", deviceId); }

// Ends a run that shows the welcome page as finished rather than cancelled,
// whatever pages follow: a confirmed shutdown request saves the settings.
inline void FinishFromWelcome(wizdrive::Program& wizard) {
    ASSERT_EQ(1, RequestShutdown(77));
    HWND confirm = wizard.WaitForActive(kQuitConfirm, kDialogTimeoutMs);
    ASSERT_NE(nullptr, confirm);
    ASSERT_TRUE(wizdrive::Click(confirm, IDOK));
    ASSERT_TRUE(wizard.WaitForExit(kExitTimeoutMs));
    EXPECT_EQ(0u, wizard.ExitCode());
}

}  // namespace wholetest
