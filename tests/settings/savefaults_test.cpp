// Saving the settings when the device stops taking writes half-way and when
// the product INI cannot be written: what can be written is, what cannot is
// left exactly as it was, and the device journal says which writes arrived.
#include <gtest/gtest.h>

#include <string>

#include "app/profile.h"
#include "common/util.h"
#include "settings/faxsettings.h"
#include "tests/settings/settings_record.h"
#include "tests/settings/sim_device.h"

using wiztest::TempDir;

namespace {

// The six writes a save sends, in order, with the values set up below.
const char* const kWrites[] = {
    "object 48 type 2 length 4 value 3 result ",
    "object 46 type 1 length 2 value 2 result ",
    "object 31 type 4 length 7 value \"555 010\" result ",
    "object 32 type 4 length 3 value \"Ann\" result ",
    "object 51 type 8 length 4 value 7 result ",
    "object 45 type 1 length 2 value 1 result ",
};

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override {
        settingstest::ResetRecord(dir_, device_.id());
        CFaxSettings& f = FaxSettings;
        f.UserName = "Ann";
        f.Company = "Acme";
        f.FaxNumber = "555 010";
        f.VoiceNumber = "555 011";
        f.Modem = 1;
        f.RingsToAnswer = 3;
    }
    void TearDown() override { FaxSettings.DeviceClient = FaxSettings.ObjectChannel = 0; }

    std::string Prod(const char* key) { return settingstest::ProductValue(key); }
    std::string Reg(const char* key) { return settingstest::RegistrationValue(key); }

    TempDir dir_;
    SimDevice device_{77};
};

}  // namespace

TEST_F(SaveFaults, DeviceFailingFromEachWriteOnLeavesTheIniFilesWhole) {
    for (int from = 1; from <= 7; ++from) {
        SCOPED_TRACE("device fails from write " + std::to_string(from));
        SimDevice device(77);
        device.Modify([&](devsim::DeviceState& s) { s.failFromWrite = from; });
        DeleteFileA(FaxSettings.ProdIniFile);
        DeleteFileA(FaxSettings.DeviceIniPath);
        device.Connect(FaxSettings.DeviceClient, FaxSettings.ObjectChannel);
        ASSERT_NE(0, FaxSettings.ObjectChannel);
        EXPECT_EQ(1, FaxSettings.SaveFaxSettings());

        EXPECT_EQ("Ann", Prod("UserName"));
        EXPECT_EQ("555 010", Prod("FaxNumber"));
        EXPECT_EQ("555 011", Prod("VoiceNumber"));
        EXPECT_EQ("1", Prod("Modem"));
        EXPECT_EQ("555 010", Reg("FaxNumber"));
        EXPECT_EQ("A.06.02.03", Reg("SoftwareVersion"));

        // Exactly the writes before the failing one reached the device.
        std::vector<std::string> j = device.Journal();
        ASSERT_EQ(6u, j.size());
        for (int w = 0; w < 6; ++w)
            EXPECT_EQ(std::string(kWrites[w]) + (w + 1 < from ? "0" : "-9"), j[(size_t)w]);
        devsim::DeviceState s = device.State();
        EXPECT_EQ(from > 3 ? "555 010" : "", s.objects[31].bytes);
        EXPECT_EQ(from > 4 ? "Ann" : "", s.objects[32].bytes);
        FaxSettings.DeviceClient = FaxSettings.ObjectChannel = 0;
    }
}

TEST_F(SaveFaults, ProductIniThatCannotBeWrittenIsLeftAsItWasAndTheRestIsSaved) {
    const std::string before = "[Setup]\r\nUserName=Old Name\r\nFaxNumber=111\r\nSetupRun=0\r\n";
    dir_.Write("prod.ini", before);
    FlushIniCache(FaxSettings.ProdIniFile);
    // Held open without sharing by another program: no write can reach it
    // (a read-only attribute does not stop a process running as root).
    HANDLE held = CreateFileA(FaxSettings.ProdIniFile, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    device_.Connect(FaxSettings.DeviceClient, FaxSettings.ObjectChannel);
    EXPECT_EQ(1, FaxSettings.SaveFaxSettings());
    CloseHandle(held);
    FlushIniCache(FaxSettings.ProdIniFile);

    EXPECT_EQ(before, wiztest::ReadFile(FaxSettings.ProdIniFile.GetString()));
    EXPECT_EQ("Ann", Reg("UserName"));
    EXPECT_EQ("555 010", Reg("FaxNumber"));
    std::vector<std::string> j = device_.Journal();
    ASSERT_EQ(6u, j.size());
    for (const std::string& line : j) EXPECT_NE(std::string::npos, line.find("result 0"));
}

TEST_F(SaveFaults, ProductIniInAFolderThatIsGoneIsNotCreatedHalfWay) {
    FaxSettings.ProdIniFile = dir_.File("gone\\prod.ini").c_str();
    EXPECT_EQ(1, FaxSettings.SaveFaxSettings());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir_.File("gone").c_str()));
    EXPECT_EQ("Ann", Reg("UserName"));
}
