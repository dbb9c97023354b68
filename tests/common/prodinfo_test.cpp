#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/globalstrings.h"
#include "common/prodinfo.h"
#include "common/registry/layout.h"
#include "common/registry/values.h"
#include "tests/common/config_support.h"
#include "tests/support/test_support.h"

using namespace wiztest;

namespace {

std::vector<std::string> ListOf(HGLOBAL block) {
    std::vector<std::string> names;
    if (!block) return names;
    const char* p = (const char*)GlobalLock(block);
    for (; p && *p; p += strlen(p) + 1) names.push_back(p);
    GlobalUnlock(block);
    return names;
}

std::string Value(const std::string& file, const char* section, const char* key,
                  ExpandFlags flags = StandardValueFlags, short size = 256) {
    GuardedBuffer b(size);
    GetIniString(section, key, b.data(), size, file.c_str(), flags);
    EXPECT_TRUE(b.Intact());
    return b.c_str();
}

std::string Section(const std::string& file) {
    GuardedBuffer b(50);
    GetGlobalStringsSection(file.c_str(), b.data(), 50);
    EXPECT_TRUE(b.Intact());
    return b.c_str();
}

class ProdInfo : public ::testing::Test {
protected:
    void SetUp() override { FreeGlobalStrings(); }
    void TearDown() override {
        FreeGlobalStrings();
        ResetRegistryPaths();
    }
    std::string Write(const std::string& name, const std::string& text) {
        dir_.Write(name, text);
        return dir_.File(name);
    }
    std::string LanguageSection() const { return "Global Strings: " + UserLanguage(); }
    TempDir dir_;
};

}  // namespace

// ---------------------------------------------------------------- finding the file

TEST_F(ProdInfo, FoundBesideTheModule) {
    std::string file = Write("prodinfo.ini", "[Globals]\r\nA=1\r\n");
    LoadedCopy module("testres.dll", dir_.File("KLCVPROG.dll"));
    ASSERT_NE(nullptr, module.handle());
    GuardedBuffer b(260);
    EXPECT_NE(0, FindProdInfoFile(module.handle(), nullptr, b.data(), 260));
    EXPECT_STREQ(file.c_str(), b.c_str());
    EXPECT_TRUE(b.Intact());
    // A buffer too small for the path finds nothing and stays within its size.
    GuardedBuffer small(12);
    EXPECT_EQ(0, FindProdInfoFile(module.handle(), nullptr, small.data(), 12));
    EXPECT_TRUE(small.Intact());
}

TEST_F(ProdInfo, FoundThroughTheIndirectionFile) {
    TempDir elsewhere;
    elsewhere.Write("prodinfo.ini", "[Globals]\r\nA=1\r\n");
    Write("ABC00003.ind", "[Indirection]\r\nDirectory=" + elsewhere.path() + " ; there\r\n");
    LoadedCopy module("testres.dll", dir_.File("ABCWIZ03.dll"));
    ASSERT_NE(nullptr, module.handle());
    char b[260];
    EXPECT_NE(0, FindProdInfoFile(module.handle(), nullptr, b, sizeof b));
    EXPECT_EQ(elsewhere.File("prodinfo.ini"), b);
}

TEST_F(ProdInfo, IndirectionNameWithoutTrailingDigits) {
    TempDir elsewhere;
    elsewhere.Write("prodinfo.ini", "[Globals]\r\nA=1\r\n");
    Write("ABC000.ind", "[Indirection]\r\nDirectory=" + elsewhere.path() + "\\\r\n");
    LoadedCopy module("testres.dll", dir_.File("ABCDEFGH.dll"));
    char b[260];
    EXPECT_NE(0, FindProdInfoFile(module.handle(), nullptr, b, sizeof b));
    EXPECT_EQ(elsewhere.File("prodinfo.ini"), b);
}

TEST_F(ProdInfo, ShortModuleNameRedirectsThroughItsOwnIni) {
    TempDir elsewhere;
    elsewhere.Write("prodinfo.ini", "[Globals]\r\nA=1\r\n");
    // A base name of five characters has no indirection file proper.
    Write("KLA00.ind", "[Indirection]\r\nDirectory=C:\\nowhere\r\n");
    Write("KLAB5.ini", "[Indirection]\r\nDirectory=" + elsewhere.path() + "\r\n");
    LoadedCopy module("testres.dll", dir_.File("KLAB5.dll"));
    char b[260];
    EXPECT_NE(0, FindProdInfoFile(module.handle(), nullptr, b, sizeof b));
    EXPECT_EQ(elsewhere.File("prodinfo.ini"), b);
}

TEST_F(ProdInfo, NothingFoundLeavesThePathTried) {
    LoadedCopy module("testres.dll", dir_.File("LONEWIZ1.dll"));
    char b[260];
    EXPECT_EQ(0, FindProdInfoFile(module.handle(), nullptr, b, sizeof b));
    EXPECT_EQ(dir_.File("prodinfo.ini"), b);
    // An indirection to a directory without the file.
    TempDir empty;
    Write("LONEWIZ1.ini", "[Indirection]\r\nDirectory=" + empty.path() + "\r\n");
    EXPECT_EQ(0, FindProdInfoFile(module.handle(), nullptr, b, sizeof b));
}

TEST_F(ProdInfo, KeyOfTheFileFoundRedirectsAgain) {
    TempDir other;
    other.Write("alt.ini", "[Globals]\r\nA=2\r\n");
    std::string file =
        Write("prodinfo.ini", "[Indirection]\r\nAlt=" + other.File("alt.ini") + "\r\n");
    LoadedCopy module("testres.dll", dir_.File("KLCVPROG.dll"));
    char b[260];
    EXPECT_NE(0, FindProdInfoFile(module.handle(), "Alt", b, sizeof b));
    EXPECT_EQ(other.File("alt.ini"), b);
    EXPECT_NE(0, FindProdInfoFile(module.handle(), "NoSuchKey", b, sizeof b));
    EXPECT_EQ(file, b);
}

// ---------------------------------------------------------------- values

TEST_F(ProdInfo, ValuesAndTheirReferences) {
    std::string file = Write("prodinfo.ini",
                             "[" + LanguageSection() + "]\r\nHello=Bonjour\r\nBoth=language\r\n"
                             "[Global Strings]\r\nBoth=neutral\r\nMaker=Kelvaro\r\n"
                             "[Globals]\r\nMaker=not this\r\nProductLine=Corvantis $Model$\r\n"
                             "Model=FX-100\r\n"
                             "[Values]\r\nGreeting=  $Hello$ from $Maker$ ; comment\r\n"
                             "Line=$ProductLine$\r\nPick=$Both$\r\nOdd=$Unknown$ and $$\r\n"
                             "Quoted=say \"a;b\" now\r\nEmpty=\r\n");
    EXPECT_EQ("Bonjour from Kelvaro", Value(file, "Values", "Greeting"));
    EXPECT_EQ("Corvantis FX-100", Value(file, "Values", "Line"));
    EXPECT_EQ("language", Value(file, "Values", "Pick"));
    EXPECT_EQ("$Unknown$ and $$", Value(file, "Values", "Odd"));
    EXPECT_EQ("say \"a;b\" now", Value(file, "Values", "Quoted", PlainValueFlags));
    EXPECT_EQ("say \"a", Value(file, "Values", "Quoted"));
    EXPECT_EQ("Bonjour from", Value(file, "Values", "Greeting", StandardValueFlags, 13));
    char b[16] = "junk";
    EXPECT_EQ(0, GetIniString("Values", "Empty", b, sizeof b, file.c_str(), StandardValueFlags));
    EXPECT_STREQ("", b);
    // Without a key the profile call would hand out the key list instead.
    EXPECT_EQ(0, GetIniString("Values", nullptr, b, sizeof b, file.c_str(), StandardValueFlags));
    EXPECT_EQ(6, GetIniStringPlain("Values", "Line", b, 7, file.c_str()));
    EXPECT_STREQ("$Produ", b);
}

TEST_F(ProdInfo, TheTableComesFirst) {
    std::string file = Write("prodinfo.ini", "[Globals]\r\nWho=file\r\n[V]\r\nX=$Who$\r\n");
    ASSERT_NE(nullptr, CreateGlobalStringTable(1));
    AddGlobalString("who", "table");
    EXPECT_EQ("table", Value(file, "V", "X"));
}

TEST_F(ProdInfo, IniResolverStopsCycles) {
    std::string file = Write("prodinfo.ini",
                             "[Globals]\r\nSelf=<$Self$>\r\nA=($B$)\r\nB=[$A$]\r\n"
                             "[V]\r\nDirect=$Self$\r\nIndirect=$A$\r\n");
    EXPECT_EQ("<$Self$>", Value(file, "V", "Direct"));
    EXPECT_EQ("([$A$])", Value(file, "V", "Indirect"));
}

TEST_F(ProdInfo, RegistryIsTheLastSource) {
    OwnRegistryTree tree;
    std::string file = Write("prodinfo.ini", tree.Section() +
                                                 "[Globals]\r\nProduct=FX-100 ; the model\r\n"
                                                 "[V]\r\nDir=$ProgramDir$\\bin\r\n");
    LoadRegistryPaths(nullptr, file.c_str(), nullptr);
    EXPECT_EQ("$ProgramDir$\\bin", Value(file, "V", "Dir"));
    ASSERT_GT(WriteRegString(17, 0, "ProgramDir", "C:\\Prog"), 0);
    EXPECT_EQ("C:\\Prog\\bin", Value(file, "V", "Dir"));
}

// ---------------------------------------------------------------- lists

TEST_F(ProdInfo, KeyLists) {
    std::string text = "[S]\r\nOne=1\r\nTwo=\r\nThree=3\r\n[Big]\r\n";
    for (int i = 0; i < 200; ++i) text += "LongKeyName" + std::to_string(i) + "=v\r\n";
    text += "[Huge]\r\n";
    for (int i = 0; i < 1200; ++i) text += "AnotherLongKeyName" + std::to_string(i) + "=v\r\n";
    std::string file = Write("keys.ini", text);
    short count = -1;
    HGLOBAL list = GetIniKeyList(file.c_str(), "S", &count);
    EXPECT_EQ(3, count);
    EXPECT_EQ((std::vector<std::string>{"One", "Two", "Three"}), ListOf(list));
    GlobalFree(list);
    // Grows past its first 256 bytes.
    list = GetIniKeyList(file.c_str(), "Big", &count);
    EXPECT_EQ(200, count);
    EXPECT_EQ("LongKeyName199", ListOf(list).back());
    GlobalFree(list);
    // More than 16384 bytes of names: none.
    EXPECT_EQ(nullptr, GetIniKeyList(file.c_str(), "Huge", &count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(nullptr, GetIniKeyList(file.c_str(), "Missing", &count));
}

TEST_F(ProdInfo, SectionNamesFromTheRawText) {
    std::string longLine = "x" + std::string(254, 'y') + "[Global Strings: CUT]";
    std::string file =
        Write("sections.ini", "[Global Strings]\r\n[Global Strings: ENU]\n  [Global Strings: IND]\r\n"
                              "[global strings: LOW]\r[Other]\r\n" +
                                  longLine + "\r\n[Global Strings: " + std::string(33, 'N') +
                                  "]\r\n[Global Strings: " + std::string(34, 'M') +
                                  "]\r\n[Global Strings: OPEN\r\n[]\r\n[Global Strings: END]");
    short count = 0;
    const char* prefix = "Global Strings%s";  // a constant: cut in a copy only
    HGLOBAL list = FindIniSections(file.c_str(), prefix, &count);
    std::vector<std::string> expected = {"Global Strings", "Global Strings: ENU",
                                         "Global Strings: " + std::string(33, 'N'),
                                         "Global Strings: END"};
    EXPECT_EQ(expected, ListOf(list));
    EXPECT_EQ(4, count);
    GlobalFree(list);
    list = FindIniSections(file.c_str(), "", &count);
    EXPECT_EQ(6, count);  // "Other" and the lower-case one as well
    GlobalFree(list);
    EXPECT_EQ(nullptr, FindIniSections(file.c_str(), "Nothing", &count));
    EXPECT_EQ(0, count);
}

TEST_F(ProdInfo, HeaderAfterALineOfExactlyTheBufferLengthIsSeen) {
    // 255 characters fill the line buffer to the byte; 254 and 256 do not.
    for (size_t length : {254u, 255u, 256u, 510u}) {
        for (const char* end : {"\r\n", "\n", "\r"}) {
            std::string line = "K=" + std::string(length - 2, 'v');
            std::string file = Write("exact.ini", "[Global Strings]\r\n" + line + end +
                                                      "[Global Strings: XYZ]\r\n");
            short count = 0;
            HGLOBAL list = FindIniSections(file.c_str(), "Global Strings", &count);
            std::vector<std::string> expected = {"Global Strings", "Global Strings: XYZ"};
            EXPECT_EQ(expected, ListOf(list)) << length;
            GlobalFree(list);
        }
    }
}

TEST_F(ProdInfo, LargeFilesAreNotScanned) {
    std::string text = "[Global Strings: ENU]\r\n";
    std::string big = text + "[Pad]\r\nP=" + std::string(32768 - text.size() - 11, 'p') + "\r\n";
    ASSERT_EQ(32768u, big.size());
    std::string file = Write("big.ini", big);
    short count = 1;
    EXPECT_EQ(nullptr, FindIniSections(file.c_str(), "Global", &count));
    EXPECT_EQ(0, count);
    std::string smaller = Write("smaller.ini", big.substr(0, 32767));
    HGLOBAL list = FindIniSections(smaller.c_str(), "Global", &count);
    EXPECT_EQ(1, count);
    GlobalFree(list);
}

namespace {
struct Walk {
    std::vector<std::string> Seen;
    std::string StopAt;
};
short Record(const char* key, char* value, short size, void* context) {
    Walk* walk = (Walk*)context;
    walk->Seen.push_back(std::string(key) + "=" + value);
    EXPECT_EQ(256, size);
    return walk->StopAt == key ? 7 : 0;
}
}  // namespace

TEST_F(ProdInfo, EnumIniFields) {
    std::string file = Write("fields.ini",
                             "[F]\r\nA= one ; c\r\nB=\r\nC=;only a comment\r\nD=\"x;y\"z\r\nE=e\r\n");
    short count;
    HGLOBAL keys = GetIniKeyList(file.c_str(), "F", &count);
    ASSERT_NE(nullptr, keys);
    Walk walk;
    EXPECT_EQ(0, EnumIniFields(file.c_str(), "F", keys, Record, &walk));
    EXPECT_EQ((std::vector<std::string>{"A=one", "D=\"x;y\"z", "E=e"}), walk.Seen);
    Walk stop;
    stop.StopAt = "D";
    EXPECT_EQ(7, EnumIniFields(file.c_str(), "F", keys, Record, &stop));
    EXPECT_EQ(2u, stop.Seen.size());
    GlobalFree(keys);
}

// ---------------------------------------------------------------- language section

TEST_F(ProdInfo, LanguageSectionOfTheUser) {
    std::string exact = Write("exact.ini", "[Global Strings: ENU]\r\n[" + LanguageSection() +
                                               "]\r\nA=1\r\n");
    EXPECT_EQ(LanguageSection(), Section(exact));
    std::string none = Write("none.ini", "[Globals]\r\nA=1\r\n");
    EXPECT_EQ("Global Strings: ENU", Section(none));
    EXPECT_EQ("Global Strings: ENU", Section(dir_.File("missing.ini")));
    GuardedBuffer small(8);
    EXPECT_EQ(7, GetGlobalStringsSection(none.c_str(), small.data(), 8));
    EXPECT_STREQ("Global ", small.c_str());
    EXPECT_TRUE(small.Intact());
}

// ---------------------------------------------------------------- the table

TEST_F(ProdInfo, GlobalStringsWinOverTheLanguageSection) {
    std::string file = Write("prodinfo.ini",
                             "[Global Strings]\r\nName=Neutral\r\nOnlyNeutral=N\r\nEmpty=\r\n"
                             "Comment= ; nothing\r\n[" +
                                 LanguageSection() + "]\r\nName=Language\r\nExtra=E $OnlyNeutral$\r\n");
    EXPECT_EQ(0, LoadGlobalStrings(nullptr, file.c_str(), nullptr));
    GlobalStringTable* table = CurrentGlobalStringTable();
    ASSERT_NE(nullptr, table);
    EXPECT_EQ(4, table->Count);  // empty and comment-only values stay out
    EXPECT_STREQ("Neutral", LookupGlobalString("name"));
    EXPECT_STREQ("E N", LookupGlobalString("Extra"));
    EXPECT_EQ(nullptr, LookupGlobalString("Empty"));
    EXPECT_EQ(4, FreeGlobalStrings());
}

TEST_F(ProdInfo, TableValuesAreCutAndRewritten) {
    std::string file = Write(
        "prodinfo.ini", "[Global Strings]\r\nLong=" + std::string(300, 'L') +
                            "\r\nMotto=say \"a;b\" now\r\nFirst=1st $Later$\r\nLater=later $Deep$\r\n"
                            "Deep=deep\r\nSelf=<$Self$>\r\nP=($Q$)\r\nQ=[$P$]\r\n[" +
                            LanguageSection() + "]\r\nL=1\r\n");
    LoadGlobalStrings(nullptr, file.c_str(), nullptr);
    ASSERT_NE(nullptr, CurrentGlobalStringTable());
    EXPECT_EQ(std::string(255, 'L'), LookupGlobalString("Long"));
    // The first reading keeps a quoted ";"; the rewrite cuts at it.
    EXPECT_EQ("say \"a;b\" now", Value(file, "Global Strings", "Motto", PlainValueFlags));
    EXPECT_STREQ("say \"a", LookupGlobalString("Motto"));
    EXPECT_STREQ("1st later deep", LookupGlobalString("First"));
    EXPECT_STREQ("<$Self$>", LookupGlobalString("Self"));
    EXPECT_STREQ("([$P$])", LookupGlobalString("P"));
    EXPECT_STREQ("[([$P$])]", LookupGlobalString("Q"));
}

TEST_F(ProdInfo, NoTableWhenEitherSectionIsEmpty) {
    OwnRegistryTree tree;
    std::string neutralOnly = Write("neutral.ini", tree.Section() + "[Global Strings]\r\nA=neutral\r\n[" +
                                                       LanguageSection() + "]\r\n[V]\r\nX=$A$\r\n");
    LoadGlobalStrings(nullptr, neutralOnly.c_str(), nullptr);
    EXPECT_EQ(nullptr, CurrentGlobalStringTable());
    EXPECT_EQ("neutral", Value(neutralOnly, "V", "X"));
    // "Registry Paths" is read from the same file all the same.
    EXPECT_EQ("\\" + tree.Maker(), std::string(MfgBase));

    std::string languageOnly =
        Write("language.ini", "[" + LanguageSection() + "]\r\nA=language\r\n[V]\r\nX=$A$\r\n");
    LoadGlobalStrings(nullptr, languageOnly.c_str(), nullptr);
    EXPECT_EQ(nullptr, CurrentGlobalStringTable());
    EXPECT_EQ("language", Value(languageOnly, "V", "X"));
}

TEST_F(ProdInfo, LoadingOnceAndRebuilding) {
    std::string first = Write("first.ini", "[Only]\r\nA=first\r\n");
    std::string second = Write("second.ini", "[Only]\r\nA=second\r\nB=b\r\n");
    LoadGlobalStrings(nullptr, first.c_str(), "Only");
    EXPECT_STREQ("first", LookupGlobalString("A"));
    // Without a file the table that exists stays.
    LoadGlobalStrings(nullptr, nullptr, nullptr);
    EXPECT_STREQ("first", LookupGlobalString("A"));
    LoadGlobalStrings(nullptr, second.c_str(), "Only");
    EXPECT_STREQ("second", LookupGlobalString("A"));
    EXPECT_EQ(2, CurrentGlobalStringTable()->Count);
}

TEST_F(ProdInfo, LoadingWithoutAFileFindsTheOneBesideTheModule) {
    Write("prodinfo.ini", "[Global Strings]\r\nFound=yes\r\n[" + LanguageSection() +
                              "]\r\nL=1\r\n[Registry Paths]\r\nRegMfgBase=Beside\r\n");
    LoadedCopy module("testres.dll", dir_.File("KLCVPROG.dll"));
    LoadGlobalStrings(module.handle(), nullptr, nullptr);
    EXPECT_STREQ("yes", LookupGlobalString("Found"));
    EXPECT_STREQ("\\Beside", MfgBase);
}

// ---------------------------------------------------------------- languages for real

// Run with LC_ALL=fr_CA.UTF-8.
TEST_F(ProdInfo, FrenchCanada) {
    ASSERT_EQ("FRC", UserLanguage());
    std::string both = Write("both.ini", "[Global Strings: FRA]\r\n[Global Strings: FRC]\r\n");
    EXPECT_EQ("Global Strings: FRC", Section(both));
    std::string france = Write("france.ini", "[Global Strings: ENU]\r\n[Global Strings: FRA]\r\n"
                                             "[Global Strings]\r\nHello=Hello\r\n"
                                             "[Global Strings: FRA]\r\nHello=Bonjour\r\n");
    EXPECT_EQ("Global Strings: FRA", Section(france));
    std::string german = Write("german.ini", "[Global Strings: DEU]\r\n");
    EXPECT_EQ("Global Strings: ENU", Section(german));
    std::string indented = Write("indented.ini", "  [Global Strings: FRC]\r\n[Global Strings: ENU]\r\n");
    EXPECT_EQ("Global Strings: ENU", Section(indented));
    std::string cased = Write("cased.ini", "[global strings: FRC]\r\n[Global Strings: frc]\r\n");
    EXPECT_EQ("Global Strings: ENU", Section(cased));
    std::string big = "[Global Strings: FRC]\r\nA=1\r\n[Pad]\r\nP=" + std::string(33000, 'p');
    EXPECT_EQ("Global Strings: ENU", Section(Write("big.ini", big)));

    // The table takes the French values of the two-letter match.
    std::string file = Write("prodinfo.ini", "[Global Strings]\r\nProduct=Fax\r\n"
                                             "[Global Strings: FRA]\r\nHello=Bonjour $Product$\r\n");
    LoadGlobalStrings(nullptr, file.c_str(), nullptr);
    EXPECT_STREQ("Bonjour Fax", LookupGlobalString("Hello"));
}

// Run with LC_ALL=de_DE.UTF-8.
TEST_F(ProdInfo, German) {
    ASSERT_EQ("DEU", UserLanguage());
    std::string file = Write("prodinfo.ini", "[Global Strings: DES]\r\nHello=Grüezi\r\n"
                                             "[Global Strings: DEU]\r\nHello=Hallo\r\n"
                                             "[Global Strings]\r\nX=x\r\n");
    EXPECT_EQ("Global Strings: DEU", Section(file));
    LoadGlobalStrings(nullptr, file.c_str(), nullptr);
    EXPECT_STREQ("Hallo", LookupGlobalString("Hello"));
}
