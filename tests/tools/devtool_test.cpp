#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "maker/devaccess/devaccess.h"
#include "maker/devaccess/devsim.h"
#include "tests/support/test_support.h"

using wiztest::TempDir;

namespace {

class DevTool : public ::testing::Test {
protected:
    void SetUp() override { SetEnvironmentVariableA("DA_SIM_DIR", nullptr); }

    // Runs the tool with --dir and returns its exit code; output_ gets stdout.
    // Each run writes a file of its own: the handle the last run inherited
    // may still be open a moment after that process has ended.
    int Run(const std::string& arguments) {
        std::string outPath = dir_.File("out" + std::to_string(++runs_) + ".txt");
        SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
        HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE) return -1;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out;
        si.hStdError = out;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        std::string cmd = "\"" + wiztest::BinDir() + "\\devtool.exe\" --dir \"" + dir_.path() +
                          "\" " + arguments;
        std::vector<char> line(cmd.begin(), cmd.end());
        line.push_back('\0');
        PROCESS_INFORMATION pi = {};
        DWORD code = (DWORD)-1;
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                           &pi)) {
            WaitForSingleObject(pi.hProcess, 60000);
            GetExitCodeProcess(pi.hProcess, &code);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        CloseHandle(out);
        output_ = wiztest::ReadFile(outPath);
        return (int)code;
    }

    TempDir dir_;
    std::string output_;
    int runs_ = 0;
};

}  // namespace

TEST_F(DevTool, SeedsADeviceThatTheLibrarySees) {
    ASSERT_EQ(0, Run("init 12"));
    ASSERT_EQ(0, Run("set 12 31 4 \"555 \\\"0100\\\"\""));
    ASSERT_EQ(0, Run("set 12 48 2 6"));
    ASSERT_EQ(0, Run("param 12 16 3"));
    ASSERT_EQ(0, Run("info 12 17 0"));

    SetEnvironmentVariableA("DA_SIM_DIR", dir_.path().c_str());
    DA_HANDLE c = DaRegisterClient("test", 0);
    ASSERT_EQ(DA_OK, DaConnectDevice(c, 12));
    ASSERT_NE(0, DaOpenObjectChannel(c, 0, 0));
    char text[32] = {};
    EXPECT_EQ(DA_OK, DaGetObjectValue(c, 31, text, sizeof text, nullptr, nullptr));
    EXPECT_STREQ("555 \"0100\"", text);
    long rings = 0;
    EXPECT_EQ(DA_OK, DaGetObjectValue(c, 48, &rings, 4, nullptr, nullptr));
    EXPECT_EQ(6, rings);
    unsigned short p = 0;
    EXPECT_EQ(DA_OK, DaGetIntParam(c, 16, &p));
    EXPECT_EQ(3, p);
    EXPECT_EQ(0, DaGetDeviceInfo(c, 17));
    long v = 2;
    EXPECT_EQ(DA_OK, DaSetObjectValue(c, 48, &v, DA_TYPE_LONG, 4, nullptr, 0, nullptr));
    DaUnregisterClient(c);
    SetEnvironmentVariableA("DA_SIM_DIR", nullptr);

    // Only the library's write is in the journal, not the tool's settings.
    ASSERT_EQ(0, Run("journal 12"));
    EXPECT_EQ("object 48 type 2 length 4 value 2 result 0\r\n", output_);
    ASSERT_EQ(0, Run("get 12 48"));
    EXPECT_EQ("2 2\r\n", output_);
    ASSERT_EQ(0, Run("show 12"));
    EXPECT_NE(std::string::npos, output_.find("31=4 \"555 \\\"0100\\\"\""));
    EXPECT_NE(std::string::npos, output_.find("16=3"));
}

TEST_F(DevTool, SwitchesReachTheStateFile) {
    ASSERT_EQ(0, Run("init 3"));
    ASSERT_EQ(0, Run("online 3 0"));
    ASSERT_EQ(0, Run("fail-writes 3 1"));
    ASSERT_EQ(0, Run("fail-objects 3 31 45"));
    ASSERT_EQ(0, Run("fail-from 3 4"));
    SetEnvironmentVariableA("DA_SIM_DIR", dir_.path().c_str());
    devsim::DeviceState s;
    {
        devsim::StoreLock lock;
        ASSERT_TRUE(devsim::LoadState(3, s));
    }
    SetEnvironmentVariableA("DA_SIM_DIR", nullptr);
    EXPECT_FALSE(s.online);
    EXPECT_TRUE(s.failWrites);
    EXPECT_EQ((std::set<unsigned>{31, 45}), s.failObjects);
    EXPECT_EQ(4, s.failFromWrite);
    EXPECT_EQ(0, s.writesSeen);
    ASSERT_EQ(0, Run("show 3"));
    EXPECT_NE(std::string::npos, output_.find("FailFromWrite=4"));
    ASSERT_EQ(0, Run("remove 3"));
    EXPECT_EQ(2, Run("show 3"));
}

TEST_F(DevTool, BadCommandsChangeNothing) {
    ASSERT_EQ(0, Run("init 5"));
    std::string before = wiztest::ReadFile(dir_.File("device-5.state"));
    EXPECT_EQ(1, Run(""));
    EXPECT_EQ(1, Run("set 5 45 1 70000"));
    EXPECT_EQ(1, Run("set 5 45 3 1"));
    EXPECT_EQ(1, Run("set 5 x 1 1"));
    EXPECT_EQ(1, Run("online 5 2"));
    EXPECT_EQ(1, Run("fail-from 5 -1"));
    EXPECT_EQ(1, Run("frobnicate 5"));
    EXPECT_EQ(2, Run("set 6 45 1 1"));  // no such device
    EXPECT_EQ(before, wiztest::ReadFile(dir_.File("device-5.state")));
}
