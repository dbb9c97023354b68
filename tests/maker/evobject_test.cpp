#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "maker/evobject/evobject.h"
#include "tests/support/test_support.h"

namespace {

const UINT kTrapMessage = WM_APP + 25;

// A window that records every trap message it receives.
class Receiver {
public:
    Receiver() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "EvTestReceiver";
            RegisterClassA(&wc);
            registered = true;
        }
        window_ = CreateWindowA("EvTestReceiver", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleA(nullptr), this);
    }
    ~Receiver() { DestroyWindow(window_); }
    HWND window() const { return window_; }
    const std::vector<std::pair<WPARAM, LPARAM>>& received() const { return received_; }

    // Pumps messages until count trap messages arrived or the time is up.
    void WaitFor(size_t count, DWORD milliseconds) {
        DWORD start = GetTickCount();
        while (received_.size() < count && GetTickCount() - start < milliseconds) Pump(20);
    }

    static void Pump(DWORD milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              (LONG_PTR)reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        auto* self = reinterpret_cast<Receiver*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg == kTrapMessage && self) {
            self->received_.emplace_back(wp, lp);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }

    HWND window_;
    std::vector<std::pair<WPARAM, LPARAM>> received_;
};

// Device ids of this process only, so test binaries running side by side
// never hear each other.
long TestDevice(int n) { return (long)(GetCurrentProcessId() % 100000) * 100 + n; }

int SignalFromOutside(long device, const char* object = nullptr) {
    std::string command = "\"" + wiztest::BinDir() + "\\shutdownreq.exe\" " + std::to_string(device);
    if (object) command += std::string(" ") + object;
    return wiztest::RunProcess(command, 30000);
}

struct Registration {
    Registration(const char* name, long device) : handle(EvRegisterObject(name, device)) {}
    ~Registration() { EvUnregisterObject(handle); }
    HEVOBJECT handle;
};

}  // namespace

TEST(EvObject, SignalFromAnotherProcessPostsTheTrapMessageEachTime) {
    Receiver receiver;
    Registration reg("ShutdownRequest", TestDevice(1));
    ASSERT_NE(reg.handle, nullptr);
    ASSERT_EQ(EvSetTrapEventMsg(reg.handle, EV_TRAP_POST_MESSAGE, receiver.window(), kTrapMessage,
                                0x55),
              1);

    EXPECT_EQ(SignalFromOutside(TestDevice(1)), 0);
    receiver.WaitFor(1, 5000);
    ASSERT_EQ(receiver.received().size(), 1u);
    EXPECT_EQ(receiver.received()[0].first, 0x55u);
    EXPECT_EQ(receiver.received()[0].second, 1);

    EXPECT_EQ(SignalFromOutside(TestDevice(1)), 0);
    receiver.WaitFor(2, 5000);
    Receiver::Pump(200);
    ASSERT_EQ(receiver.received().size(), 2u);
    EXPECT_EQ(receiver.received()[1].second, 1);
}

TEST(EvObject, UnregisteredObjectPostsNothing) {
    Receiver receiver;
    HEVOBJECT handle = EvRegisterObject("ShutdownRequest", TestDevice(2));
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(EvSetTrapEventMsg(handle, EV_TRAP_POST_MESSAGE, receiver.window(), kTrapMessage, 0),
              1);
    EXPECT_EQ(EvUnregisterObject(handle), 1);
    EXPECT_EQ(EvUnregisterObject(handle), 0);  // already gone

    EXPECT_EQ(SignalFromOutside(TestDevice(2)), 1);  // nobody listening
    Receiver::Pump(300);
    EXPECT_TRUE(receiver.received().empty());
}

TEST(EvObject, DeviceIdsAndObjectNamesDoNotMix) {
    Receiver first, second;
    Registration a("ShutdownRequest", TestDevice(3));
    Registration b("ShutdownRequest", TestDevice(4));
    Registration other("StatusChanged", TestDevice(3));
    ASSERT_EQ(EvSetTrapEventMsg(a.handle, EV_TRAP_POST_MESSAGE, first.window(), kTrapMessage, 3), 1);
    ASSERT_EQ(EvSetTrapEventMsg(b.handle, EV_TRAP_POST_MESSAGE, second.window(), kTrapMessage, 4),
              1);
    ASSERT_EQ(
        EvSetTrapEventMsg(other.handle, EV_TRAP_POST_MESSAGE, second.window(), kTrapMessage, 99), 1);

    EXPECT_EQ(SignalFromOutside(TestDevice(4)), 0);
    second.WaitFor(1, 5000);
    Receiver::Pump(300);
    EXPECT_TRUE(first.received().empty());
    ASSERT_EQ(second.received().size(), 1u);
    EXPECT_EQ(second.received()[0].first, 4u);

    // Object names ignore letter case.
    EXPECT_EQ(SignalFromOutside(TestDevice(3), "shutdownREQUEST"), 0);
    first.WaitFor(1, 5000);
    Receiver::Pump(300);
    ASSERT_EQ(first.received().size(), 1u);
    EXPECT_EQ(first.received()[0].first, 3u);
    EXPECT_EQ(second.received().size(), 1u);  // neither device 4 nor "StatusChanged"
}

TEST(EvObject, EveryRegistrationHearsTheSignal) {
    Receiver first, second;
    Registration a("ShutdownRequest", TestDevice(5));
    Registration b("ShutdownRequest", TestDevice(5));
    ASSERT_NE(a.handle, nullptr);
    ASSERT_NE(b.handle, nullptr);
    ASSERT_EQ(EvSetTrapEventMsg(a.handle, EV_TRAP_POST_MESSAGE, first.window(), kTrapMessage, 0), 1);
    ASSERT_EQ(EvSetTrapEventMsg(b.handle, EV_TRAP_POST_MESSAGE, second.window(), kTrapMessage, 0),
              1);

    EXPECT_EQ(EvSignalObject("ShutdownRequest", TestDevice(5)), 2);
    first.WaitFor(1, 5000);
    second.WaitFor(1, 5000);
    EXPECT_EQ(first.received().size(), 1u);
    EXPECT_EQ(second.received().size(), 1u);
}

TEST(EvObject, NewTrapReplacesTheOldAndModeNoneStopsIt) {
    Receiver first, second;
    Registration reg("ShutdownRequest", TestDevice(6));
    ASSERT_EQ(EvSetTrapEventMsg(reg.handle, EV_TRAP_POST_MESSAGE, first.window(), kTrapMessage, 0),
              1);
    ASSERT_EQ(EvSetTrapEventMsg(reg.handle, EV_TRAP_POST_MESSAGE, second.window(), kTrapMessage, 0),
              1);
    EXPECT_EQ(EvSignalObject("ShutdownRequest", TestDevice(6)), 1);
    second.WaitFor(1, 5000);
    Receiver::Pump(200);
    EXPECT_TRUE(first.received().empty());
    EXPECT_EQ(second.received().size(), 1u);

    ASSERT_EQ(EvSetTrapEventMsg(reg.handle, EV_TRAP_NONE, nullptr, 0, 0), 1);
    EXPECT_EQ(EvSignalObject("ShutdownRequest", TestDevice(6)), 1);
    Receiver::Pump(300);
    EXPECT_EQ(second.received().size(), 1u);
}

TEST(EvObject, BadArgumentsFailSafely) {
    EXPECT_EQ(EvRegisterObject(nullptr, 1), nullptr);
    EXPECT_EQ(EvRegisterObject("", 1), nullptr);
    EXPECT_EQ(EvRegisterObject("Global\\ShutdownRequest", 1), nullptr);
    EXPECT_EQ(EvRegisterObject(std::string(EV_MAX_OBJECT_NAME + 1, 'x').c_str(), 1), nullptr);
    EXPECT_EQ(EvSignalObject("a\\b", 1), -1);
    EXPECT_EQ(EvSignalObject("NobodyListens", TestDevice(7)), 0);

    Receiver receiver;
    Registration reg(std::string(EV_MAX_OBJECT_NAME, 'y').c_str(), TestDevice(7));
    ASSERT_NE(reg.handle, nullptr);
    EXPECT_EQ(EvSetTrapEventMsg(reg.handle, 3, receiver.window(), kTrapMessage, 0), 0);
    EXPECT_EQ(EvSetTrapEventMsg(reg.handle, EV_TRAP_POST_MESSAGE, (HWND)0x12345, kTrapMessage, 0),
              0);
    EXPECT_EQ(EvSetTrapEventMsg(nullptr, EV_TRAP_POST_MESSAGE, receiver.window(), kTrapMessage, 0),
              0);
    int notAHandle = 0;
    EXPECT_EQ(EvSetTrapEventMsg(reinterpret_cast<HEVOBJECT>(&notAHandle), EV_TRAP_POST_MESSAGE,
                                receiver.window(), kTrapMessage, 0),
              0);
    EXPECT_EQ(EvUnregisterObject(reinterpret_cast<HEVOBJECT>(&notAHandle)), 0);
    EXPECT_EQ(EvUnregisterObject(nullptr), 0);
}

// A registration made by an elevated program must still be signalled by the
// product's unelevated programs, yet they may not change its security.
TEST(EvObject, OtherProgramsMaySignalARegistrationButNotChangeIt) {
    Registration reg("ShutdownRequest", TestDevice(8));
    ASSERT_NE(reg.handle, nullptr);
    std::string slot = "KLEvObject:" + std::to_string(TestDevice(8)) + ":SHUTDOWNREQUEST#0";
    EXPECT_EQ(wiztest::ObjectAccess::Shared(EVENT_ALL_ACCESS, SYNCHRONIZE | EVENT_MODIFY_STATE),
              wiztest::ReadEventAccess(slot));
}

TEST(ShutdownRequestTool, RefusesAWrongCommandLine) {
    std::string tool = "\"" + wiztest::BinDir() + "\\shutdownreq.exe\"";
    EXPECT_EQ(wiztest::RunProcess(tool), 2);
    EXPECT_EQ(wiztest::RunProcess(tool + " 7x"), 2);
    EXPECT_EQ(wiztest::RunProcess(tool + " 1 2 3"), 2);
}
