#include <gtest/gtest.h>

#include <string>

#include "settings/devobjects.h"
#include "tests/settings/sim_device.h"

namespace {

bool DoubleByteCodePage() { return GetACP() == 932; }
// Japanese "hyou": lead 0x95, trail 0x5C.
const char kHyou[] = "\x95\x5C";

class DeviceObjects : public ::testing::Test {
protected:
    void SetUp() override {
        device_.Connect(client_, channel_);
        ASSERT_NE(0, channel_);
    }
    SimDevice device_{31};
    long client_ = 0, channel_ = 0;
};

}  // namespace

TEST_F(DeviceObjects, NumbersGoWithTheirTypeCodesAndSizes) {
    EXPECT_EQ(1, SetObjectLong(client_, 48, 70000));
    EXPECT_EQ(1, SetObjectShort(client_, 46, 0x10002));  // low 16 bits only
    EXPECT_EQ(1, SetObjectEnum(client_, 51, 4));
    EXPECT_EQ(70000, GetObjectLong(client_, 48));
    EXPECT_EQ(2, GetObjectShort(client_, 46));
    EXPECT_EQ(4, GetObjectLong(client_, 51));
    std::vector<std::string> j = device_.Journal();
    ASSERT_EQ(3u, j.size());
    EXPECT_EQ("object 48 type 2 length 4 value 70000 result 0", j[0]);
    EXPECT_EQ("object 46 type 1 length 2 value 2 result 0", j[1]);
    EXPECT_EQ("object 51 type 8 length 4 value 4 result 0", j[2]);
}

TEST_F(DeviceObjects, FailedWritesGiveZero) {
    device_.Modify([](devsim::DeviceState& s) { s.failObjects = {46}; });
    EXPECT_EQ(0, SetObjectShort(client_, 46, 1));
    EXPECT_EQ(0, SetObjectShort(0, 46, 1));
    EXPECT_EQ(0, SetObjectText(12345, 31, "x"));
    EXPECT_EQ(1, SetObjectShort(client_, 45, 2));
}

TEST_F(DeviceObjects, ReadsFromNoDeviceGiveZeroOrEmpty) {
    SetObjectText(client_, 31, "555");
    EXPECT_STREQ("555", GetObjectText(client_, 31));
    EXPECT_STREQ("", GetObjectText(0, 31));
    EXPECT_EQ(0, GetObjectLong(0, 48));
    EXPECT_EQ(0, GetObjectShort(client_, 999));
}

TEST_F(DeviceObjects, FullDeviceTextWithoutTerminatorComesBackTerminated) {
    std::string full(256, 'N');
    full[255] = 'Z';
    device_.SetText(32, full);
    const char* text = GetObjectText(client_, 32);
    EXPECT_EQ(full, std::string(text));
    // A shorter text read next replaces it in the shared area.
    device_.SetText(31, "12");
    EXPECT_EQ(text, GetObjectText(client_, 31));
    EXPECT_STREQ("12", text);
}

TEST_F(DeviceObjects, TextsAreSentWithoutTerminatorAndCutAt255) {
    EXPECT_EQ(1, SetObjectText(client_, 32, std::string(300, 'a').c_str()));
    EXPECT_EQ(std::string(255, 'a'), device_.State().objects[32].bytes);
    EXPECT_EQ(1, SetObjectText(client_, 32, ""));
    EXPECT_EQ("", device_.State().objects[32].bytes);
    EXPECT_EQ(1, SetObjectText(client_, 32, nullptr));
    std::vector<std::string> j = device_.Journal();
    ASSERT_EQ(3u, j.size());
    EXPECT_EQ(0u, j[0].find("object 32 type 4 length 255 value \"aaa"));
    EXPECT_EQ("object 32 type 4 length 0 value \"\" result 0", j[1]);
}

TEST_F(DeviceObjects, DoubleByteCharactersReachTheDeviceAsQuestionMarks) {
    std::string name = std::string("K") + kHyou + kHyou + "o";
    EXPECT_EQ(1, SetObjectText(client_, 32, name.c_str()));
    std::string sent = device_.State().objects[32].bytes;
    if (DoubleByteCodePage()) {
        EXPECT_EQ("K??o", sent);
        EXPECT_EQ("object 32 type 4 length 4 value \"K??o\" result 0", device_.Journal()[0]);
        // A lead byte at the very end is replaced as well.
        EXPECT_EQ(1, SetObjectText(client_, 32, "ab\x95"));
        EXPECT_EQ("ab?", device_.State().objects[32].bytes);
    } else {
        EXPECT_EQ(name, sent);
    }
}
