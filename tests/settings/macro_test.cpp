#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "settings/macro.h"
#include "tests/support/test_support.h"

using wiztest::GuardedBuffer;

namespace {

std::string Field(const char* source, int field, int flags = MACRO_ALL,
                  MacroCallback resolver = nullptr) {
    std::vector<char> out(MacroFieldSize, 'X');
    ExpandMacroField(source, field, out.data(), MacroFieldSize, flags, resolver);
    return out.data();
}

void FaxResolver(const char* name, char* value, int room) {
    if (strcmp(name, "faxnum") == 0) snprintf(value, (size_t)room, "555 0100");
    if (strcmp(name, "date") == 0) snprintf(value, (size_t)room, "the day");
    if (strcmp(name, "long") == 0) {
        memset(value, 'L', (size_t)room - 1);
        value[room - 1] = '\0';
    }
}

std::string Date() {
    char buffer[260] = "";
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, nullptr,
                   nullptr, buffer, sizeof buffer);
    return buffer;
}

}  // namespace

TEST(MacroFields, CommasSeparateFieldsAndLeadingBlanksGo) {
    const char* text = "  first word , \tsecond  ";
    EXPECT_EQ("first word ", Field(text, 1));
    EXPECT_EQ("second  ", Field(text, 2));
    EXPECT_EQ("", Field(text, 3));
    EXPECT_EQ("", Field(text, 0));
    EXPECT_EQ("", Field(text, -1));
    EXPECT_EQ("", Field("", 1));
    EXPECT_EQ("", Field("a,b", 2, MACRO_REFERENCES));  // commas are plain bytes
    EXPECT_EQ("a,b", Field("a,b", 1, MACRO_REFERENCES));
    EXPECT_EQ("", Field("a,", 2));
}

TEST(MacroFields, BackslashTakesTheNextByte) {
    EXPECT_EQ("a,b", Field("a\\,b,c", 1));
    EXPECT_EQ("100%", Field("100\\%", 1));
    EXPECT_EQ(" x", Field("\\ x", 1));
    EXPECT_EQ("a\\b", Field("a\\\\b", 1));
    EXPECT_EQ("end", Field("end\\", 1));
    EXPECT_EQ("a\\", Field("a\\,b", 1, MACRO_FIELDS));  // without the escape flag
    EXPECT_EQ("b", Field("a\\,b", 2, MACRO_FIELDS));
}

TEST(MacroFields, ReferencesAndTheirFailures) {
    EXPECT_EQ("Fax: 555 0100 .", Field("Fax: %faxnum% .", 1, MACRO_ALL, FaxResolver));
    EXPECT_EQ("Fax: MACRO_ERROR .", Field("Fax: %faxnum% .", 1));
    EXPECT_EQ("x MACRO_ERROR y", Field("x %nothing% y", 1, MACRO_ALL, FaxResolver));
    EXPECT_EQ("aMACRO_ERRORb", Field("a%%b", 1));
    EXPECT_EQ("abMACRO_ERROR", Field("ab%", 1));  // a lone % ends the text
    EXPECT_EQ("ab555 0100", Field("ab%faxnum", 1, MACRO_ALL, FaxResolver));
    EXPECT_EQ("", Field("ab%faxnum, more", 2, MACRO_ALL, FaxResolver));
    EXPECT_EQ("%faxnum%", Field("%faxnum%", 1, MACRO_FIELDS, FaxResolver));
    // A comma inside a value does not split anything.
    EXPECT_EQ("a 555 0100", Field("a %faxnum%,b", 1, MACRO_ALL, FaxResolver));
}

TEST(MacroFields, BuiltInsInAnyCaseAndResolverFirst) {
    EXPECT_EQ(Date(), Field("%date%", 1));
    EXPECT_EQ(Date(), Field("%DATE%", 1));
    EXPECT_EQ("the day", Field("%date%", 1, MACRO_ALL, FaxResolver));
    EXPECT_NE("MACRO_ERROR", Field("%time%", 1));
    EXPECT_NE("", Field("%time%", 1));

    char user[260];
    DWORD size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));
    EXPECT_EQ(user, Field("%UserName%", 1));

    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_EQ(std::to_string(status.ullTotalPhys), Field("%ram%", 1));

    SYSTEM_INFO info;
    GetSystemInfo(&info);
    std::string cpu = Field("%cpu%", 1);
    if (info.dwProcessorType == 586)
        EXPECT_EQ("Pentium/Pentium Pro/Pentium II or compatible", cpu);
    else if (info.dwProcessorType == 486)
        EXPECT_EQ("486 or compatible", cpu);
    else if (info.dwProcessorType == 386)
        EXPECT_EQ("386 or compatible", cpu);
    else
        EXPECT_EQ("Unknown processor type", cpu);
}

TEST(MacroFields, FieldAreaNeverOverflows) {
    std::string text(2000, 'a');
    EXPECT_EQ(std::string(1299, 'a'), Field(text.c_str(), 1));

    // References are cut two bytes short of the area.
    std::string refs;
    for (int i = 0; i < 8; ++i) refs += "%long%";
    std::string r = Field(refs.c_str(), 1, MACRO_ALL, FaxResolver);
    EXPECT_EQ(std::string(1298, 'L'), r);

    // A destination larger than the area is still served from the area.
    GuardedBuffer big(2000);
    ExpandMacroField(text.c_str(), 1, big.data(), 2000, MACRO_ALL, nullptr);
    EXPECT_EQ(1299u, strlen(big.c_str()));
    EXPECT_TRUE(big.Intact());

    // A small destination is cut to its size.
    GuardedBuffer small(6);
    ExpandMacroField("%long%", 1, small.data(), 6, MACRO_ALL, FaxResolver);
    EXPECT_STREQ("LLLLL", small.c_str());
    EXPECT_TRUE(small.Intact());
    ExpandMacroField("abcdefgh", 1, small.data(), 6, MACRO_ALL, nullptr);
    EXPECT_STREQ("abcde", small.c_str());
    EXPECT_TRUE(small.Intact());
}

TEST(MacroFields, NothingToDoLeavesTheDestination) {
    GuardedBuffer b(8);
    ExpandMacroField(nullptr, 1, b.data(), 8, MACRO_ALL, nullptr);
    EXPECT_EQ('X', b.data()[0]);
    ExpandMacroField("abc", 1, b.data(), 0, MACRO_ALL, nullptr);
    EXPECT_EQ('X', b.data()[0]);
    EXPECT_EQ(nullptr, ExpandMacroField("abc", 1, nullptr, 8, MACRO_ALL, nullptr));
    EXPECT_TRUE(b.Intact());
}

TEST(MacroText, ExpandsInPlaceWithinTheBuffer) {
    GuardedBuffer b(12);
    strcpy(b.data(), " %long%,x");
    ExpandMacroText(b.data(), 12, 1, FaxResolver);
    EXPECT_STREQ("LLLLLLLLLLL", b.c_str());
    EXPECT_TRUE(b.Intact());
    char text[32] = "a,b\\,c";
    ExpandMacroText(text, sizeof text, 2, nullptr);
    EXPECT_STREQ("b,c", text);
}

TEST(MacroText, DoubleByteCharactersStayWhole) {
    // "hyou" has a backslash byte as its trail byte.
    std::vector<char> out(MacroFieldSize);
    ExpandMacroField("\x95\x5C,x", 1, out.data(), MacroFieldSize, MACRO_ALL, nullptr);
    if (GetACP() == 932)
        EXPECT_STREQ("\x95\x5C", out.data());
    else
        EXPECT_STREQ("\x95,x", out.data());
    // A cut never leaves half a character.
    GuardedBuffer b(4);
    ExpandMacroField("ab\x95\x5C", 1, b.data(), 4, MACRO_ALL, nullptr);
    EXPECT_STREQ(GetACP() == 932 ? "ab" : "ab\x95", b.c_str());
    EXPECT_TRUE(b.Intact());
}

// A user whose name has double-byte characters (Wine takes it from
// WINEUSERNAME), second bytes 0x5C among them: the macro gives the whole name.
TEST(MacroText, UserNameOfDoubleByteCharacters) {
    if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
    wchar_t previous[256] = L"";
    DWORD had = GetEnvironmentVariableW(L"WINEUSERNAME", previous, 256);
    ASSERT_TRUE(SetEnvironmentVariableW(L"WINEUSERNAME", L"\u8868\u80fd\u30bd\u5c71\u7530"));
    wchar_t wide[64] = L"";
    DWORD size = 64;
    bool known = GetUserNameW(wide, &size);
    char out[MacroFieldSize] = "";
    ExpandMacroField("%username%|", 1, out, sizeof out, MACRO_ALL, nullptr);
    SetEnvironmentVariableW(L"WINEUSERNAME", had ? previous : nullptr);
    ASSERT_TRUE(known);
    char user[128] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, user, sizeof user, nullptr, nullptr);
    EXPECT_EQ(std::string(user) + "|", out);
    if (wcscmp(wide, L"\u8868\u80fd\u30bd\u5c71\u7530") == 0) {
        EXPECT_EQ("\x95\x5c\x94\x5c\x83\x5c\x8e\x52\x93\x63|", std::string(out));
    }
}

TEST(MacroFields, ACharacterThatDoesNotFitEndsTheField) {
    if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
    // Room for two bytes: the double-byte character after "3" does not fit,
    // and the "0" after it must not take its place.
    char out[3];
    EXPECT_STREQ("3", ExpandMacroField("3\x81*0", 1, out, sizeof out, MACRO_ALL, nullptr));
    EXPECT_STREQ("3", ExpandMacroField("3\x81*%date%", 1, out, sizeof out, MACRO_ALL, nullptr));
    // A later field starts empty again.
    EXPECT_STREQ("ab", ExpandMacroField("3\x81*0,ab", 2, out, sizeof out, MACRO_ALL, nullptr));
}

// A value cut at the end of the field area fills it: what follows the
// reference must not take the place of what was cut.
TEST(MacroFields, AValueCutShortEndsTheField) {
    std::string before(1290, 'a');
    EXPECT_EQ(before + std::string(8, 'L'),
              Field((before + "%long%x").c_str(), 1, MACRO_ALL, FaxResolver));
    // A value that fits whole leaves room for what follows.
    EXPECT_EQ(std::string(1289, 'a') + "555 0100x",
              Field((std::string(1289, 'a') + "%faxnum%x").c_str(), 1, MACRO_ALL, FaxResolver));
}

TEST(MacroFields, AValueWhoseLastCharacterDoesNotFitEndsTheField) {
    if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
    // One byte is left: the double-byte value is dropped, and "x" after it
    // must not take its place.
    std::string before(1297, 'a');
    auto kanji = [](const char* name, char* value, int room) {
        if (strcmp(name, "kanji") == 0)
            snprintf(value, (size_t)room, "\x95\x5c");
        else
            FaxResolver(name, value, room);
    };
    EXPECT_EQ(before, Field((before + "%kanji%x").c_str(), 1, MACRO_ALL, kanji));
    // Nor does the value of the next reference.
    EXPECT_EQ(before, Field((before + "%kanji%%faxnum%").c_str(), 1, MACRO_ALL, kanji));
}
