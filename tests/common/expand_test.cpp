#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/expand.h"
#include "common/globalstrings.h"
#include "tests/support/test_support.h"

using wiztest::GuardedBuffer;

namespace {

// A resolver over a fixed map that expands found values again, guarded.
std::map<std::string, std::string>* g_values;
int g_calls;

int MapResolver(const char* name, ExpandFlags flags, char* out, short room, void* context) {
    ++g_calls;
    auto it = g_values->find(name);
    if (it == g_values->end()) return 0;
    ExpansionGuard guard(name);
    if (guard.Refused()) return 0;
    char work[256];
    strncpy(work, it->second.c_str(), sizeof work - 1);
    work[sizeof work - 1] = '\0';
    ExpandString(work, sizeof work, flags, MapResolver, context);
    lstrcpynA(out, work, room);
    return (int)strlen(out) + 1;
}

std::string Expand(const std::string& in, ExpandFlags flags, short size = 256) {
    GuardedBuffer b(size);
    strcpy(b.data(), in.substr(0, size - 1).c_str());
    ExpandString(b.data(), size, flags, MapResolver, nullptr);
    EXPECT_TRUE(b.Intact()) << "overrun expanding " << in;
    return b.c_str();
}

class ExpandStringTest : public ::testing::Test {
protected:
    void SetUp() override {
        values_ = {{"name", "Acme"}, {"long", std::string(40, 'L')}, {"path", "C:\\x"},
                   {"self", "<$self$>"}, {"a", "($b$)"}, {"b", "[$a$]"}};
        g_values = &values_;
        g_calls = 0;
    }
    std::map<std::string, std::string> values_;
};

}  // namespace

TEST_F(ExpandStringTest, References) {
    EXPECT_EQ("Hello Acme!", Expand("Hello $name$!", StandardValueFlags));
    EXPECT_EQ("$$", Expand("$$", StandardValueFlags));
    EXPECT_EQ("a $nobody$ b", Expand("a $nobody$ b", StandardValueFlags));
    EXPECT_EQ("cost ", Expand("cost $5 and more", 0x0800));
    EXPECT_EQ("AcmeAcme", Expand("$name$$name$", StandardValueFlags));
    // Without the reference bit the resolver is not called.
    g_calls = 0;
    EXPECT_EQ("$name$", Expand("$name$", PlainValueFlags));
    EXPECT_EQ(0, g_calls);
}

TEST_F(ExpandStringTest, NamesAreCutTo49Characters) {
    values_[std::string(49, 'n')] = "hit";
    EXPECT_EQ("hit", Expand("$" + std::string(60, 'n') + "$", StandardValueFlags));
}

TEST_F(ExpandStringTest, CommentCut) {
    EXPECT_EQ("a", Expand("a;b", StandardValueFlags));
    EXPECT_EQ("\"a", Expand("\"a;b\"", StandardValueFlags));
    EXPECT_EQ("\"a;b\" c", Expand("\"a;b\" c ; note", PlainValueFlags));
    EXPECT_EQ("\"x\"\";y\"", Expand("\"x\"\";y\"", PlainValueFlags));  // escaped quote keeps inside
    EXPECT_EQ("a;b", Expand("a;b#c", 0x0400 | '#'));
    EXPECT_EQ("a;b\"#\"c", Expand("a;b\"#\"c", 0x0500 | '#'));
}

TEST_F(ExpandStringTest, TrimAndUnquote) {
    EXPECT_EQ("\tx\t", Expand("  \tx\t  ", 0x3000));
    EXPECT_EQ("x  ", Expand("  x  ", 0x1000));
    EXPECT_EQ("  x", Expand("  x  ", 0x2000));
    EXPECT_EQ("a;b \"q\"", Expand("\"a;b\" \"\"q\"\" ; c", 0x3700));
    EXPECT_EQ("\"a\"", Expand("\"a\"", 0x0200));  // 0x0200 alone does nothing
}

TEST_F(ExpandStringTest, OutputIsCutAtSizeMinusOne) {
    EXPECT_EQ("ab" + std::string(13, 'L'), Expand("ab$long$cd", StandardValueFlags, 16));
    EXPECT_EQ("abcdefghi", Expand("abcdefghijkl", 0, 10));
    values_["q"] = "12345";
    EXPECT_EQ("12345$zz", Expand("$q$$zz$", StandardValueFlags, 9));
}

TEST_F(ExpandStringTest, CyclesStopWithTheReferenceAsWritten) {
    EXPECT_EQ("<$self$>", Expand("$self$", StandardValueFlags));
    EXPECT_EQ("([$a$])", Expand("$a$", StandardValueFlags));
}

TEST_F(ExpandStringTest, NameEndingInHalfACharacterStillStopsItsCycle) {
    // In code page 932 the runtime's comparison read past such a name and
    // missed it further up, so both references went round again, 2^16 times.
    const std::string half = "ab\x85";
    values_[half] = "$" + half + "$$" + half + "$";
    EXPECT_EQ(values_[half], Expand("$" + half + "$", StandardValueFlags));
    EXPECT_EQ(3, g_calls);
}

TEST_F(ExpandStringTest, ValuesThatFanOutStopAtTheBudget) {
    // Each level names the next twice: 2^16 names without the budget.
    for (int i = 0; i < 20; ++i)
        values_["f" + std::to_string(i)] =
            "$f" + std::to_string(i + 1) + "$$f" + std::to_string(i + 1) + "$";
    Expand("$f0$", StandardValueFlags);
    EXPECT_LE(g_calls, 2 * ExpansionGuard::kBudget + 1);
    // The next value has the whole budget again.
    EXPECT_EQ("Acme", Expand("$name$", StandardValueFlags));
}

TEST_F(ExpandStringTest, BadArguments) {
    char t[8] = "$name$";
    EXPECT_EQ(0, ExpandString(t, 8, StandardValueFlags, nullptr, nullptr));
    EXPECT_STREQ("$name$", t);
    EXPECT_EQ(0, ExpandString(nullptr, 8, StandardValueFlags, MapResolver, nullptr));
    EXPECT_EQ(0, ExpandString(t, 0, StandardValueFlags, MapResolver, nullptr));
    EXPECT_EQ(6, ExpandString(t, 8, 0, MapResolver, nullptr));
}

TEST_F(ExpandStringTest, ShortPath) {
    wiztest::TempDir tmp;
    std::string dir = tmp.path() + "\\Long Folder Name Here";
    CreateDirectoryA(dir.c_str(), nullptr);
    char expect[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(dir.c_str(), expect, sizeof expect), 0u);
    EXPECT_EQ(expect, Expand(" " + dir + " ", 0xB000));
    EXPECT_EQ("", Expand(tmp.path() + "\\does not exist", 0x8000));
    EXPECT_EQ("", Expand("", 0x8000));
    // No path of MAX_PATH characters or more reaches the platform, whatever it holds.
    EXPECT_EQ("", Expand(tmp.path() + "\\" + std::string(300, 'x'), 0x8000, 400));
}

// ------------------------------------------------ string-resource resolver

class StringResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryA((wiztest::BinDir() + "\\testres.dll").c_str());
        ASSERT_NE(nullptr, module_);
        SetLibraryResourceInstance(module_);
    }
    void TearDown() override {
        FreeGlobalStrings();
        SetLibraryResourceInstance(nullptr);
        if (module_) FreeLibrary(module_);
    }
    std::string Expand(const std::string& in, short size = 256) {
        GuardedBuffer b(size);
        strcpy(b.data(), in.c_str());
        // The instance argument is not consulted: strings come from the library's instance.
        ExpandWithStringResources(b.data(), size, nullptr, 5600, 12832, StandardValueFlags);
        EXPECT_TRUE(b.Intact());
        return b.c_str();
    }
    HMODULE module_ = nullptr;
};

TEST_F(StringResources, NamesFromBothRanges) {
    EXPECT_EQ("Acme Fax", Expand("$Product$"));
    EXPECT_EQ("Acme Fax", Expand("$PRODUCT$"));
    EXPECT_EQ("FX-100 / two", Expand("$Model$ / $Second$"));
    EXPECT_EQ("FX-100/Acme Fax", Expand("$chain$"));
    EXPECT_EQ("a", Expand("$Semi$"));
    EXPECT_EQ("mid", Expand("$Padded$"));
    EXPECT_EQ("$NoSuchName$", Expand("$Unknown$"));
}

TEST_F(StringResources, EmptyNameIsNeverResolved) {
    // The range has a string "=nameless": "$$" still names nothing.
    EXPECT_EQ("a$$b", Expand("a$$b"));
    EXPECT_EQ("$$Acme Fax", Expand("$$$Product$"));
    int asked = 0;
    auto counting = [](const char* name, ExpandFlags, char* out, short, void* context) -> int {
        ++*static_cast<int*>(context);
        return name[0] ? (strcpy(out, "v"), 1) : (strcpy(out, "EMPTY"), 5);
    };
    char text[32] = "$$|$x$";
    ExpandString(text, sizeof text, StandardValueFlags, counting, &asked);
    EXPECT_STREQ("$$|v", text);
    EXPECT_EQ(1, asked);
}

TEST_F(StringResources, RangesEndAtStarOrMissingId) {
    EXPECT_EQ("$AfterStar$", Expand("$AfterStar$"));
    EXPECT_EQ("$Gap$", Expand("$Gap$"));
    EXPECT_EQ("$Empty$", Expand("$Empty$"));
    EXPECT_EQ("$NoEqualsHere$", Expand("$NoEqualsHere$"));
}

TEST_F(StringResources, FirstRangeOfZeroIsSkipped) {
    char t[64] = "$Second$ $Product$";
    ExpandWithStringResources(t, sizeof t, nullptr, 0, 12832, StandardValueFlags);
    EXPECT_STREQ("two not this one", t);
}

TEST_F(StringResources, GlobalStringsComeFirst) {
    ASSERT_NE(nullptr, CreateGlobalStringTable(2));
    AddGlobalString("Product", "Global $Second$");
    EXPECT_EQ("Global two", Expand("$product$"));
}

TEST_F(StringResources, CyclesDirectAndIndirect) {
    EXPECT_EQ("x$Self$y", Expand("$Self$"));
    EXPECT_EQ("<[$CycA$]>", Expand("$CycA$"));
    EXPECT_EQ("[<$CycB$>]", Expand("$CycB$"));
}

TEST_F(StringResources, ResultIsCutToTheRoom) {
    EXPECT_EQ("FX-100/Ac", Expand("$Chain$", 10));
}

TEST(GlobalStrings, LookupAndFree) {
    EXPECT_EQ(0, FreeGlobalStrings());
    EXPECT_EQ(nullptr, LookupGlobalString("x"));
    ASSERT_NE(nullptr, CreateGlobalStringTable(3));
    EXPECT_EQ(1, AddGlobalString("Name", "first"));
    EXPECT_EQ(1, AddGlobalString("name", "duplicate"));
    EXPECT_EQ(1, AddGlobalString("Other", ""));
    EXPECT_EQ(0, AddGlobalString("Full", "no room"));
    EXPECT_STREQ("first", LookupGlobalString("NAME"));
    EXPECT_STREQ("", LookupGlobalString("other"));
    EXPECT_EQ(1, ReplaceGlobalStringValue(0, "changed"));
    EXPECT_STREQ("changed", LookupGlobalString("Name"));
    EXPECT_EQ(3, FreeGlobalStrings());
    EXPECT_EQ(nullptr, LookupGlobalString("Name"));
}

TEST(GlobalStrings, DoubleByteNamesCompareByCharacter) {
    if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
    // Same lead byte, trail bytes 'A' and 'a': different characters.
    ASSERT_NE(nullptr, CreateGlobalStringTable(1));
    AddGlobalString("\x83\x41", "katakana a");
    EXPECT_STREQ("katakana a", LookupGlobalString("\x83\x41"));
    EXPECT_EQ(nullptr, LookupGlobalString("\x83\x61"));
    FreeGlobalStrings();
}
