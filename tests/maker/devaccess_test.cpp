#include <gtest/gtest.h>

#include <string>

#include "maker/devaccess/devaccess.h"
#include "maker/devaccess/devsim.h"
#include "maker/objsec/objsec.h"
#include "tests/support/test_support.h"

#include <sddl.h>  // after windows.h

using wiztest::GuardedBuffer;
using wiztest::TempDir;

namespace {

// Each test works on devices of its own folder.
class DeviceAccess : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA("DA_SIM_DIR", dir_.path().c_str());
        devsim::StoreLock lock;
        ASSERT_TRUE(devsim::SaveState(kDevice, devsim::FactoryState()));
    }
    void TearDown() override {
        for (DA_HANDLE c : clients_) DaUnregisterClient(c);
        SetEnvironmentVariableA("DA_SIM_DIR", nullptr);
    }

    // A client connected to kDevice with an open channel.
    DA_HANDLE Open() {
        DA_HANDLE c = DaRegisterClient("SetupWizard", 0);
        clients_.push_back(c);
        EXPECT_EQ(DA_OK, DaConnectDevice(c, kDevice));
        EXPECT_NE(0, DaOpenObjectChannel(c, 0, 0));
        return c;
    }

    template <class Change>
    void Modify(Change change) {
        devsim::StoreLock lock;
        devsim::DeviceState s;
        ASSERT_TRUE(devsim::LoadState(kDevice, s));
        change(s);
        ASSERT_TRUE(devsim::SaveState(kDevice, s));
    }

    devsim::DeviceState State() {
        devsim::StoreLock lock;
        devsim::DeviceState s;
        EXPECT_TRUE(devsim::LoadState(kDevice, s));
        return s;
    }

    static const long kDevice = 4711;
    TempDir dir_;
    std::vector<DA_HANDLE> clients_;
};

long ReadLong(DA_HANDLE c, unsigned short id) {
    long v = 0;
    EXPECT_EQ(DA_OK, DaGetObjectValue(c, id, &v, 4, nullptr, nullptr));
    return v;
}

}  // namespace

TEST_F(DeviceAccess, ClientsAreDistinctAndZeroOrUnknownHandlesFail) {
    DA_HANDLE a = Open();
    DA_HANDLE b = DaRegisterClient("SetupWizard", 0);
    clients_.push_back(b);
    ASSERT_NE(0, a);
    ASSERT_NE(0, b);
    EXPECT_NE(a, b);
    EXPECT_EQ(0, DaRegisterClient(nullptr, 0));

    for (DA_HANDLE bad : {0L, 12345L}) {
        long v = 99;
        unsigned short p = 7;
        EXPECT_EQ(DA_E_HANDLE, DaConnectDevice(bad, kDevice));
        EXPECT_EQ(0, DaOpenObjectChannel(bad, 0, 0));
        EXPECT_EQ(DA_E_HANDLE, DaGetObjectValue(bad, 48, &v, 4, nullptr, nullptr));
        EXPECT_EQ(99, v);
        EXPECT_EQ(DA_E_HANDLE, DaSetObjectValue(bad, 48, &v, DA_TYPE_LONG, 4, nullptr, 0, nullptr));
        EXPECT_EQ(DA_E_HANDLE, DaGetIntParam(bad, 15, &p));
        EXPECT_EQ(7, p);
        EXPECT_EQ(DA_E_HANDLE, DaSetIntParam(bad, 183, 0));
        EXPECT_LT(DaGetDeviceInfo(bad, 17), 0);
        EXPECT_EQ(DA_E_HANDLE, DaCloseObjectChannel(bad));
        EXPECT_EQ(DA_E_HANDLE, DaUnregisterClient(bad));
    }
    // A channel handle is not a client handle.
    DA_HANDLE channel = DaOpenObjectChannel(a, 0, 0);
    EXPECT_EQ(DA_E_HANDLE, DaSetIntParam(channel, 183, 0));
    // The second client has no device yet.
    EXPECT_EQ(DA_E_NOT_CONNECTED, DaSetIntParam(b, 183, 0));
    EXPECT_EQ(0, DaOpenObjectChannel(b, 0, 0));
    // Nothing of that reached the device.
    EXPECT_EQ("", devsim::ReadJournal(kDevice));

    EXPECT_EQ(DA_OK, DaUnregisterClient(a));
    EXPECT_EQ(DA_E_HANDLE, DaSetIntParam(a, 183, 0));
}

TEST_F(DeviceAccess, UnknownAndOfflineDevicesGiveNoChannel) {
    DA_HANDLE c = DaRegisterClient("SetupWizard", 0);
    clients_.push_back(c);
    EXPECT_EQ(DA_E_NO_DEVICE, DaConnectDevice(c, 999));
    EXPECT_EQ(0, DaOpenObjectChannel(c, 0, 0));

    Modify([](devsim::DeviceState& s) { s.online = false; });
    EXPECT_EQ(DA_E_OFFLINE, DaConnectDevice(c, kDevice));
    EXPECT_EQ(0, DaOpenObjectChannel(c, 0, 0));

    // A device that goes offline later stops answering.
    Modify([](devsim::DeviceState& s) { s.online = true; });
    DA_HANDLE d = Open();
    Modify([](devsim::DeviceState& s) { s.online = false; });
    long v = 5;
    EXPECT_EQ(DA_E_OFFLINE, DaGetObjectValue(d, 48, &v, 4, nullptr, nullptr));
    EXPECT_EQ(5, v);
    EXPECT_EQ(DA_E_OFFLINE, DaSetObjectValue(d, 48, &v, DA_TYPE_LONG, 4, nullptr, 0, nullptr));
}

TEST_F(DeviceAccess, ObjectsNeedTheChannel) {
    DA_HANDLE c = Open();
    EXPECT_EQ(DA_OK, DaCloseObjectChannel(c));
    long v = 0;
    EXPECT_EQ(DA_E_NO_CHANNEL, DaGetObjectValue(c, 48, &v, 4, nullptr, nullptr));
    // Parameters and information need only the connection.
    unsigned short p = 0;
    EXPECT_EQ(DA_OK, DaGetIntParam(c, 15, &p));
    EXPECT_EQ(2, p);
    EXPECT_EQ(1, DaGetDeviceInfo(c, 17));
    EXPECT_EQ(DA_E_UNKNOWN, DaGetDeviceInfo(c, 99));
}

TEST_F(DeviceAccess, WritesAreKeptEchoedAndJournaledInOrder) {
    DA_HANDLE c = Open();
    long rings = 3;
    long reply = 0, replyLength = -1;
    EXPECT_EQ(DA_OK, DaSetObjectValue(c, 48, &rings, DA_TYPE_LONG, 4, &reply, 4, &replyLength));
    EXPECT_EQ(3, reply);
    EXPECT_EQ(4, replyLength);
    short answer = 2;
    short shortReply = 0;
    EXPECT_EQ(DA_OK, DaSetObjectValue(c, 46, &answer, DA_TYPE_SHORT, 2, &shortReply, 2, nullptr));
    GuardedBuffer text(9);
    EXPECT_EQ(DA_OK, DaSetObjectValue(c, 31, "555 0100", DA_TYPE_TEXT, 8, text.data(), 9, nullptr));
    EXPECT_STREQ("555 0100", text.c_str());
    EXPECT_TRUE(text.Intact());
    EXPECT_EQ(DA_OK, DaSetIntParam(c, 183, 0));

    EXPECT_EQ(3, ReadLong(c, 48));
    char buffer[16] = {};
    unsigned char type = 0;
    long length = 0;
    EXPECT_EQ(DA_OK, DaGetObjectValue(c, 31, buffer, sizeof buffer, &type, &length));
    EXPECT_STREQ("555 0100", buffer);
    EXPECT_EQ(DA_TYPE_TEXT, type);
    EXPECT_EQ(8, length);

    EXPECT_EQ("object 48 type 2 length 4 value 3 result 0\r\n"
              "object 46 type 1 length 2 value 2 result 0\r\n"
              "object 31 type 4 length 8 value \"555 0100\" result 0\r\n"
              "param 183 type 2 length 4 value 0 result 0\r\n",
              devsim::ReadJournal(kDevice));
    EXPECT_EQ(0, State().params[183]);
}

TEST_F(DeviceAccess, WrongTypesAndLengthsAreRefused) {
    DA_HANDLE c = Open();
    long v = 4;
    EXPECT_EQ(DA_E_TYPE, DaSetObjectValue(c, 51, &v, DA_TYPE_LONG, 4, nullptr, 0, nullptr));
    EXPECT_EQ(DA_E_TYPE, DaSetObjectValue(c, 600, &v, 3, 4, nullptr, 0, nullptr));
    EXPECT_EQ(DA_E_ARGUMENT, DaSetObjectValue(c, 48, &v, DA_TYPE_LONG, 2, nullptr, 0, nullptr));
    EXPECT_EQ(DA_E_ARGUMENT, DaSetObjectValue(c, 31, nullptr, DA_TYPE_TEXT, 3, nullptr, 0, nullptr));
    EXPECT_EQ(DA_E_ARGUMENT, DaSetObjectValue(c, 31, "x", DA_TYPE_TEXT, 257, nullptr, 0, nullptr));
    EXPECT_EQ(7, ReadLong(c, 51));
    // A new object takes the type it is first written with.
    EXPECT_EQ(DA_OK, DaSetObjectValue(c, 600, &v, DA_TYPE_ENUM, 4, nullptr, 0, nullptr));
    EXPECT_EQ(DA_TYPE_ENUM, State().objects[600].type);
    EXPECT_EQ(DA_E_UNKNOWN, DaGetObjectValue(c, 601, &v, 4, nullptr, nullptr));
}

TEST_F(DeviceAccess, FailingWritesReportNegativeAndChangeNothing) {
    Modify([](devsim::DeviceState& s) { s.failObjects = {31}; });
    DA_HANDLE c = Open();
    EXPECT_LT(DaSetObjectValue(c, 31, "12", DA_TYPE_TEXT, 2, nullptr, 0, nullptr), 0);
    long v = 9;
    EXPECT_EQ(DA_OK, DaSetObjectValue(c, 48, &v, DA_TYPE_LONG, 4, nullptr, 0, nullptr));
    Modify([](devsim::DeviceState& s) { s.failWrites = true; });
    EXPECT_LT(DaSetObjectValue(c, 48, &v, DA_TYPE_LONG, 4, nullptr, 0, nullptr), 0);
    EXPECT_LT(DaSetIntParam(c, 183, 0), 0);
    EXPECT_EQ("", State().objects[31].bytes);
    EXPECT_EQ(1, State().params[183]);
    std::string j = devsim::ReadJournal(kDevice);
    EXPECT_NE(std::string::npos, j.find("object 31 type 4 length 2 value \"12\" result -9\r\n"));
    EXPECT_NE(std::string::npos, j.find("object 48 type 2 length 4 value 9 result 0\r\n"));
    EXPECT_NE(std::string::npos, j.find("param 183 type 2 length 4 value 0 result -9\r\n"));
}

TEST_F(DeviceAccess, WritesFailFromTheNthOnAcrossConnections) {
    Modify([](devsim::DeviceState& s) { s.failFromWrite = 3; });
    DA_HANDLE c = Open();
    long v = 4;
    EXPECT_EQ(DA_OK, DaSetObjectValue(c, 48, &v, DA_TYPE_LONG, 4, nullptr, 0, nullptr));
    EXPECT_EQ(DA_OK, DaSetIntParam(c, 183, 0));
    // The count lives in the device, not in the connection.
    DA_HANDLE other = Open();
    EXPECT_EQ(DA_E_REFUSED, DaSetObjectValue(other, 31, "1", DA_TYPE_TEXT, 1, nullptr, 0, nullptr));
    EXPECT_EQ(DA_E_REFUSED, DaSetIntParam(c, 183, 7));
    v = 5;
    EXPECT_EQ(DA_E_REFUSED, DaSetObjectValue(c, 48, &v, DA_TYPE_LONG, 4, nullptr, 0, nullptr));
    // Reads go on; the refused writes changed nothing.
    EXPECT_EQ(4, ReadLong(c, 48));
    EXPECT_EQ(0, State().params[183]);
    EXPECT_EQ(5, State().writesSeen);
    EXPECT_EQ("object 48 type 2 length 4 value 4 result 0\r\n"
              "param 183 type 2 length 4 value 0 result 0\r\n"
              "object 31 type 4 length 1 value \"1\" result -9\r\n"
              "param 183 type 2 length 4 value 7 result -9\r\n"
              "object 48 type 2 length 4 value 5 result -9\r\n",
              devsim::ReadJournal(kDevice));
}

TEST_F(DeviceAccess, ReadsStopAtTheBufferSize) {
    DA_HANDLE c = Open();
    std::string full(256, 'A');
    EXPECT_EQ(DA_OK, DaSetObjectValue(c, 32, full.data(), DA_TYPE_TEXT, 256, nullptr, 0, nullptr));
    GuardedBuffer b(10);
    long length = 0;
    EXPECT_EQ(DA_OK, DaGetObjectValue(c, 32, b.data(), 10, nullptr, &length));
    EXPECT_EQ(10, length);
    EXPECT_TRUE(b.Intact());
    // A 16-bit parameter read gives the low 16 bits of the device's value.
    Modify([](devsim::DeviceState& s) { s.params[15] = 0x12345; });
    unsigned short p = 0;
    EXPECT_EQ(DA_OK, DaGetIntParam(c, 15, &p));
    EXPECT_EQ(0x2345, p);
}

TEST(DeviceStateFile, TextsWithAnyBytesSurviveTheRoundTrip) {
    devsim::DeviceState s = devsim::FactoryState();
    devsim::ObjectValue v;
    v.type = DA_TYPE_TEXT;
    v.bytes = std::string("a\"b\\c\0\x95\x5C\r\n", 10);
    s.objects[32] = v;
    s.failObjects = {31, 45};
    s.params[16] = -3;
    s.failFromWrite = 4;
    s.writesSeen = 2;
    devsim::DeviceState back;
    ASSERT_TRUE(devsim::ParseState(devsim::FormatState(s), back));
    EXPECT_EQ(4, back.failFromWrite);
    EXPECT_EQ(2, back.writesSeen);
    EXPECT_EQ(v.bytes, back.objects[32].bytes);
    EXPECT_EQ(s.failObjects, back.failObjects);
    EXPECT_EQ(-3, back.params[16]);
    EXPECT_EQ(DA_TYPE_ENUM, back.objects[51].type);
    EXPECT_FALSE(devsim::ParseState("[Objects]\r\n31=4 \"open\r\n", back));
    EXPECT_FALSE(devsim::ParseState("[Objects]\r\n45=1 70000\r\n", back));
}

// A damaged state file is refused cleanly: no connection, no channel, and the
// file is left as it is; a file cut after a whole line may still be taken.
TEST_F(DeviceAccess, DamagedStateFilesAreRefusedAndLeftAlone) {
    const std::string path = devsim::StatePath(kDevice);
    const std::string real = wiztest::ReadFile(path);
    ASSERT_GT(real.size(), 100u);
    std::string garbage;
    unsigned seed = 3;
    for (int i = 0; i < 4096; ++i) garbage += (char)((seed = seed * 1103515245 + 12345) >> 16);
    std::vector<std::string> damages = {
        garbage,
        real.substr(0, real.size() / 2) + std::string(1, '\0') + real.substr(real.size() / 2),
        "[Objects]\r\n31=4 \"" + std::string(10000, 'x') + "\"\r\n",
        "[Objects]\r\n" + std::string(10000, '['),
    };
    for (size_t n = 0; n < real.size(); ++n) damages.push_back(real.substr(0, n));
    for (const std::string& damage : damages) {
        ASSERT_TRUE(wiztest::WriteFile(path, damage));
        DA_HANDLE c = DaRegisterClient("SetupWizard", 0);
        long connected = DaConnectDevice(c, kDevice);
        ASSERT_TRUE(connected == DA_OK || connected == DA_E_STORE) << connected;
        DA_HANDLE channel = DaOpenObjectChannel(c, 0, 0);
        if (connected != DA_OK) {
            EXPECT_EQ(0, channel);
            EXPECT_EQ(damage, wiztest::ReadFile(path));
        }
        DaUnregisterClient(c);
    }
    devsim::DeviceState s;
    EXPECT_FALSE(devsim::ParseState(garbage, s));
}

// The store's mutex, made by an elevated program, must still be taken by the
// product's unelevated programs, yet they may not change its security.
TEST_F(DeviceAccess, OtherProgramsMayTakeTheStoreLockButNotChangeIt) {
    devsim::StoreLock lock;
    EXPECT_EQ(wiztest::ObjectAccess::Shared(MUTEX_ALL_ACCESS, SYNCHRONIZE | MUTEX_MODIFY_STATE),
              wiztest::ReadMutexAccess("DeviceSimulatorStore"));
}

// A mutex that an elevated program made is opened with just the rights an
// unelevated one has, and can be taken and released with them.
TEST(SharedObjects, AMutexOutOfFullReachIsOpenedWithTheUsersRights) {
    std::string name = "SharedObjectsTest" + std::to_string(GetCurrentProcessId());
    // Owned by SYSTEM, so this process keeps only what the interactive user has.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "O:SYD:P(A;;0x001f0001;;;SY)(A;;0x00100001;;;IU)", SDDL_REVISION_1, &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE made = CreateMutexA(&attributes, FALSE, name.c_str());
    LocalFree(descriptor);
    ASSERT_NE(nullptr, made);
    ASSERT_EQ(nullptr, CreateMutexA(nullptr, FALSE, name.c_str()));  // really out of reach

    HANDLE mutex = CreateSharedMutex(name.c_str());
    ASSERT_NE(nullptr, mutex);
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError());
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
    CloseHandle(made);
}
