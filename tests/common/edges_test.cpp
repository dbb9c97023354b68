// Inputs at the edges of the string, path and section routines, each the
// smallest that once made a routine read past a text, drop a character or
// misread a header. The double-byte cases run in code page 932.
#include <gtest/gtest.h>

#include <string>

#include "common/expand.h"
#include "common/prodinfo.h"
#include "common/util.h"
#include "tests/support/test_support.h"

using wiztest::PageEndBuffer;
using wiztest::TempDir;

namespace {

bool DoubleByteCodePage() { return GetACP() == 932; }

// A text with its terminator as the last byte before an inaccessible page.
std::string Terminated(const std::string& text) { return text + std::string(1, '\0'); }

}  // namespace

TEST(BuildPathEdges, TextEndingInHalfACharacterIsNotReadPast) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    PageEndBuffer source(Terminated("a\x81"));
    char out[16] = "";
    // The runtime's own split read past the terminator here.
    EXPECT_STREQ("a", BuildPath(source.data(), out, sizeof out, BP_CLEAR | BP_FNAME));
    PageEndBuffer path(Terminated("C:\\d\\a.b\x81"));
    EXPECT_STREQ("C:\\d\\a.b", BuildPath(path.data(), out, sizeof out, 0x1F));
}

TEST(BuildPathEdges, TrailByteIsNoSeparator) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    char out[32];
    BuildPath("C:\\dir\\\x95\x5C.txt", out, sizeof out, BP_CLEAR | BP_FNAME);
    EXPECT_STREQ("\x95\x5C", out);
    BuildPath("C:\\dir\\\x95\x5C.txt", out, sizeof out, BP_CLEAR | BP_DIR);
    EXPECT_STREQ("\\dir\\", out);
}

TEST(BuildPathEdges, LongPiecesAreKeptAndCutByTheOutputOnly) {
    std::string dir(300, 'd');
    std::string source = "C:\\" + dir + "\\name.ext";
    std::vector<char> out(1300);
    BuildPath(source.c_str(), out.data(), (short)out.size(), 0x1F);
    EXPECT_EQ(source, out.data());
    char small[20];
    BuildPath(source.c_str(), small, sizeof small, BP_CLEAR | BP_DRIVE | BP_DIR);
    EXPECT_EQ("C:\\" + dir.substr(0, 15), small);
    // An empty piece adds nothing (not the rest of the path).
    BuildPath("C:\\dir\\", small, sizeof small, BP_CLEAR | BP_FNAME | BP_EXT);
    EXPECT_STREQ("", small);
}

TEST(TrailingBackslashEdges, NothingBeyondTheSizeIsRead) {
    PageEndBuffer none(0);
    EXPECT_EQ(none.data(), AddTrailingBackslash(none.data(), 0));
    EXPECT_EQ(none.data(), AddTrailingBackslash(none.data(), -1));
    PageEndBuffer unterminated(std::string("abc"));
    AddTrailingBackslash(unterminated.data(), 3);
    EXPECT_EQ(0, memcmp(unterminated.data(), "abc", 3));
}

TEST(TrailingBackslashEdges, HalfACharacterAtTheEndGoesFirst) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    char text[10] = "dir\x81";
    AddTrailingBackslash(text, sizeof text);
    EXPECT_STREQ("dir\\", text);
    AddTrailingBackslash(text, sizeof text);
    EXPECT_STREQ("dir\\", text);
    char lone[4] = "\x81";
    EXPECT_STREQ("", AddTrailingBackslash(lone, sizeof lone));
    char whole[10] = "\x95\x5C";  // ends in a character whose trail is 0x5C
    EXPECT_STREQ("\x95\x5C\\", AddTrailingBackslash(whole, sizeof whole));
}

TEST(FindCharacterEdges, StopsAtTheTerminatorAndSkipsTrailBytes) {
    PageEndBuffer plain(Terminated("a=b"));
    EXPECT_EQ(plain.data() + 1, FindCharacter(plain.data(), '='));
    EXPECT_EQ(nullptr, FindCharacter(plain.data(), ']'));
    if (!DoubleByteCodePage()) return;
    PageEndBuffer half(Terminated("a\x81"));
    EXPECT_EQ(nullptr, FindCharacter(half.data(), '='));
    EXPECT_EQ(nullptr, FindCharacter("\x95]", ']'));  // 0x5D is a trail byte there
    EXPECT_STREQ("]", FindCharacter("\x95\x5C]", ']'));
}

TEST(CompareNamesEdges, NameEndingInHalfACharacterIsNotReadPast) {
    PageEndBuffer plain(Terminated("Name"));
    EXPECT_EQ(0, CompareNames(plain.data(), "nAME"));
    EXPECT_GT(0, CompareNames("Nam", plain.data()));
    if (!DoubleByteCodePage()) return;
    PageEndBuffer half(Terminated("ab\x85"));
    EXPECT_EQ(0, CompareNames(half.data(), "AB\x85"));
    EXPECT_NE(0, CompareNames(half.data(), "ab\x85X"));  // a whole character there
    EXPECT_EQ(0, CompareNames("\x82\x60", "\x82\x60"));
    EXPECT_NE(0, CompareNames("\x83\x41", "\x83\x61"));  // trail bytes are not folded
}

TEST(ExpansionGuardEdges, NameEndingInHalfACharacterIsFoundFurtherUp) {
    char held[8] = "ab\x85\0XY";
    ExpansionGuard outer(held);
    ASSERT_FALSE(outer.Refused());
    PageEndBuffer again(Terminated("ab\x85"));
    ExpansionGuard inner(again.data());
    EXPECT_TRUE(inner.Refused());
}

TEST(FindIniSectionsEdges, AHeaderCutInHalfACharacterFindsNoOldBracket) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    TempDir dir;
    // The second header has no "]"; the first one's stayed in the line buffer.
    dir.Write("p.ini", "[abcdef]\r\n[a\x81\r\n");
    short count = 0;
    HGLOBAL list = FindIniSections(dir.File("p.ini").c_str(), "", &count);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(1, count);
    const char* names = (const char*)GlobalLock(list);
    EXPECT_STREQ("abcdef", names);
    EXPECT_EQ('\0', names[7]);
    GlobalUnlock(list);
    GlobalFree(list);
}

TEST(LanguageSectionEdges, TheLastCharacterDroppedIsAWholeOne) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    const char names[] = "Global Strings: AZ\0";
    HGLOBAL list = GlobalAlloc(GMEM_MOVEABLE, sizeof names);
    memcpy(GlobalLock(list), names, sizeof names);
    GlobalUnlock(list);
    char section[50];
    // Two characters, the second double-byte: "A" is what stays of it.
    ChooseGlobalStringsSection(list, "A\x95\x5C", section, sizeof section);
    EXPECT_STREQ("Global Strings: AZ", section);
    ChooseGlobalStringsSection(list, "\x95\x5C", section, sizeof section);
    EXPECT_STREQ("Global Strings: ENU", section);
    GlobalFree(list);
}
