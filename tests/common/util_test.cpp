#include <gtest/gtest.h>

#include <string>

#include "common/util.h"
#include "tests/support/test_support.h"

using wiztest::GuardedBuffer;
using wiztest::TempDir;

static bool DoubleByteCodePage() { return GetACP() == 932; }

// Japanese "hyou" (table): lead 0x95, trail 0x5C (a backslash byte).
static const char kHyou[] = "\x95\x5C";

TEST(CopyBounded, CutsAtSizeAndNeverOverruns) {
    GuardedBuffer b(5);
    EXPECT_STREQ("abcd", CopyBounded(b.data(), "abcdefgh", 5));
    EXPECT_TRUE(b.Intact());
    CopyBounded(b.data(), nullptr, 5);
    EXPECT_STREQ("", b.c_str());
    GuardedBuffer untouched(4);
    CopyBounded(untouched.data(), "abc", 0);
    CopyBounded(untouched.data(), "abc", -3);
    EXPECT_EQ('X', untouched.data()[0]);
    EXPECT_EQ(nullptr, CopyBounded(nullptr, "abc", 4));
}

TEST(Trim, SpacesOnlyTabsStay) {
    char a[] = "  \tvalue\t  ";
    EXPECT_STREQ("  \tvalue\t", TrimTrailingSpaces(a));
    EXPECT_STREQ("\tvalue\t", TrimLeadingSpaces(a));
    char e[] = "";
    EXPECT_STREQ("", TrimTrailingSpaces(e));
    EXPECT_STREQ("", TrimLeadingSpaces(e));
    char s[] = "    ";
    EXPECT_STREQ("", TrimTrailingSpaces(s));
}

TEST(UnquoteString, RemovesQuotesAndKeepsEscapedOnes) {
    char a[] = "\"say \"\"hi\"\"\" now";
    EXPECT_EQ(12, UnquoteString(a));
    EXPECT_STREQ("say \"hi\" now", a);
    char b[] = "\"\"";
    EXPECT_EQ(1, UnquoteString(b));
    EXPECT_STREQ("\"", b);
}

TEST(NextField, EmptyFieldsAndTheEnd) {
    char text[] = "a,,b";
    EXPECT_STREQ("a", NextField(text, ','));
    EXPECT_STREQ("", NextField(nullptr, ','));
    EXPECT_STREQ("b", NextField(nullptr, ','));
    for (int i = 0; i < 3; ++i) {
        char* f = NextField(nullptr, ',');
        ASSERT_NE(nullptr, f);
        EXPECT_STREQ("", f);
    }
    char lead[] = ",x";
    EXPECT_STREQ("", NextField(lead, ','));
    EXPECT_STREQ("x", NextField(nullptr, ','));
}

TEST(CopyCount, ExactCountAndTerminator) {
    GuardedBuffer b(8);
    CopyCount("abcdef", b.data(), 3);
    EXPECT_STREQ("abc", b.c_str());
    EXPECT_TRUE(b.Intact());
}

TEST(CopyReplacingDbcs, DoubleByteBecomesQuestionMark) {
    GuardedBuffer b(16);
    std::string src = std::string("a") + kHyou + "b" + kHyou;
    CopyReplacingDbcs(src.c_str(), b.data(), 5);
    if (DoubleByteCodePage())
        EXPECT_STREQ("a?b?", b.c_str());
    else
        EXPECT_EQ(src.substr(0, 5), b.c_str());
    // The limit counts source bytes.
    CopyReplacingDbcs("abcdef", b.data(), 3);
    EXPECT_STREQ("abc", b.c_str());
    EXPECT_TRUE(b.Intact());
}

TEST(CopyReplacingDbcs, LeadByteAtTheLimitIsNotReadPast) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    GuardedBuffer b(4);
    std::string src = std::string("ab") + kHyou;
    CopyReplacingDbcs(src.c_str(), b.data(), 3);
    EXPECT_STREQ("ab?", b.c_str());
    EXPECT_TRUE(b.Intact());
}

TEST(Backslashes, StripAndAdd) {
    char a[32] = "C:\\dir\\";
    EXPECT_STREQ("C:\\dir", StripTrailingBackslash(a));
    EXPECT_STREQ("C:\\dir", StripTrailingBackslash(a));
    EXPECT_STREQ("C:\\dir\\", AddTrailingBackslash(a, sizeof a));
    EXPECT_STREQ("C:\\dir\\", AddTrailingBackslash(a, sizeof a));
    char e[4] = "";
    EXPECT_STREQ("", StripTrailingBackslash(e));
    EXPECT_STREQ("", AddTrailingBackslash(e, sizeof e));
}

TEST(Backslashes, TrailByteIsNotABackslash) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    char a[32];
    strcpy(a, "C:\\");
    strcat(a, kHyou);
    std::string before = a;
    EXPECT_EQ(before, StripTrailingBackslash(a));
    EXPECT_EQ(before + "\\", AddTrailingBackslash(a, sizeof a));
    EXPECT_EQ(before, StripTrailingBackslash(a));
}

// Half a character at the end goes; a backslash is then added only where the
// text does not already end with one.
TEST(Backslashes, AddAfterDroppingAHalfCharacter) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    const std::string lead = "\x95";
    struct Case {
        std::string text, expected;
    } cases[] = {
        {"C:\\dir\\" + lead, "C:\\dir\\"},
        {"C:\\dir" + lead, "C:\\dir\\"},
        {"C:\\" + std::string(kHyou) + lead, "C:\\" + std::string(kHyou) + "\\"},
        {lead, ""},
    };
    for (const Case& c : cases) {
        GuardedBuffer b(32);
        strcpy(b.data(), c.text.c_str());
        EXPECT_EQ(c.expected, std::string(AddTrailingBackslash(b.data(), 32))) << c.text;
        EXPECT_TRUE(b.Intact());
    }
}

TEST(KeepCharRange, DigitsOnly) {
    char a[] = "+1 (555) 010-9999";
    EXPECT_STREQ("15550109999", KeepCharRange(a, '0', '9'));
    char b[] = "no digits";
    EXPECT_STREQ("", KeepCharRange(b, '0', '9'));
}

TEST(AppendBounded, KeepsTheLastTwoBytesFree) {
    GuardedBuffer b(8);
    strcpy(b.data(), "ab");
    AppendBounded(b.data(), 8, "cd", 0);
    EXPECT_STREQ("abcd", b.c_str());
    AppendBounded(b.data(), 8, "efghij", 0);  // would fill: cut to size - 2
    EXPECT_STREQ("abcdef", b.c_str());
    EXPECT_TRUE(b.Intact());
    strcpy(b.data(), "ab");
    AppendBounded(b.data(), 8, "cdefg", 0);  // exactly filling also counts as filling
    EXPECT_STREQ("abcdef", b.c_str());
    strcpy(b.data(), "ab");
    AppendBounded(b.data(), 8, "cdefg", 2);
    EXPECT_STREQ("abcd", b.c_str());
}

TEST(AppendBounded, BadArgumentsChangeNothing) {
    char a[8] = "ab";
    AppendBounded(a, 8, nullptr, 0);
    AppendBounded(a, 0, "x", 0);
    AppendBounded(a, -1, "x", 0);
    AppendBounded(a, 8, "x", -1);
    EXPECT_STREQ("ab", a);
    EXPECT_EQ(nullptr, AppendBounded(nullptr, 8, "x", 0));
}

TEST(AppendBounded, NeverSplitsADoubleByteCharacter) {
    if (!DoubleByteCodePage()) GTEST_SKIP() << "needs code page 932";
    std::string two = std::string(kHyou) + kHyou;
    GuardedBuffer b(7);
    strcpy(b.data(), "ab");
    AppendBounded(b.data(), 7, two.c_str(), 0);  // room 3: one character only
    EXPECT_EQ(std::string("ab") + kHyou, b.c_str());
    EXPECT_TRUE(b.Intact());
    strcpy(b.data(), "ab");
    AppendBounded(b.data(), 7, two.c_str(), 3);  // the count cuts inside one
    EXPECT_EQ(std::string("ab") + kHyou, b.c_str());
}

TEST(ParseYesNo, FirstCharacterOnly) {
    EXPECT_EQ(1, ParseYesNo("yes", 7));
    EXPECT_EQ(1, ParseYesNo("True", 7));
    EXPECT_EQ(1, ParseYesNo("1x", 7));
    EXPECT_EQ(0, ParseYesNo("no", 7));
    EXPECT_EQ(0, ParseYesNo("f", 7));
    EXPECT_EQ(0, ParseYesNo("0", 7));
    EXPECT_EQ(7, ParseYesNo("", 7));
    EXPECT_EQ(7, ParseYesNo("maybe", 7));
    EXPECT_EQ(7, ParseYesNo(" yes", 7));
    EXPECT_EQ(7, ParseYesNo(nullptr, 7));
}

TEST(JoinPath, Backslashes) {
    GuardedBuffer b(32);
    EXPECT_EQ(10, JoinPath("C:\\a\\", "\\b.txt", b.data(), 32));
    EXPECT_STREQ("C:\\a\\b.txt", b.c_str());
    EXPECT_EQ(5, JoinPath("", "\\b.txt", b.data(), 32));
    EXPECT_STREQ("b.txt", b.c_str());
    JoinPath("C:\\a", "b.txt", b.data(), 32);
    EXPECT_STREQ("C:\\a\\b.txt", b.c_str());
    JoinPath("C:\\a\\", "b.txt", b.data(), 32);
    EXPECT_STREQ("C:\\a\\b.txt", b.c_str());
    JoinPath("C:\\a", "\\b.txt", b.data(), 32);
    EXPECT_STREQ("C:\\a\\b.txt", b.c_str());
    EXPECT_TRUE(b.Intact());
}

TEST(JoinPath, SameBufferAndNoRoom) {
    char a[16] = "C:\\dir";
    EXPECT_EQ(11, JoinPath(a, "file", a, sizeof a));
    EXPECT_STREQ("C:\\dir\\file", a);
    GuardedBuffer b(8);
    EXPECT_EQ(6, JoinPath("C:\\abc", "name", b.data(), 8));  // fewer than 3 bytes left
    EXPECT_STREQ("C:\\abc", b.c_str());
    GuardedBuffer c(12);
    JoinPath("C:\\abc", "longname.txt", c.data(), 12);
    EXPECT_STREQ("C:\\abc\\long", c.c_str());
    EXPECT_TRUE(b.Intact());
    EXPECT_TRUE(c.Intact());
}

TEST(BuildPath, Pieces) {
    char out[64];
    const char* src = "C:\\dir\\sub\\file.txt";
    EXPECT_STREQ("C:\\dir\\sub\\", BuildPath(src, out, sizeof out, 0x13));
    EXPECT_STREQ("C:\\dir\\sub", BuildPath(src, out, sizeof out, 0x33));
    EXPECT_STREQ("file.txt", BuildPath(src, out, sizeof out, 0x1C));
    EXPECT_STREQ("file", BuildPath(src, out, sizeof out, 0x14));
    EXPECT_STREQ("C:file.txt", BuildPath(src, out, sizeof out, 0x1D));
    strcpy(out, "X:");
    EXPECT_STREQ("X:\\dir\\sub\\", BuildPath(src, out, sizeof out, 0x02));  // no clear: appends
    EXPECT_STREQ("C:\\dir\\sub\\", BuildPath(src, out, sizeof out, 0x53));
    EXPECT_STREQ("C:\\", BuildPath("C:\\", out, sizeof out, 0x73));
}

TEST(BuildPath, ShortFormOfTheDirectory) {
    TempDir tmp;
    std::string longDir = tmp.path() + "\\A rather long folder name";
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), nullptr));
    std::string file = longDir + "\\some file.txt";
    char expect[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(longDir.c_str(), expect, sizeof expect), 0u);
    char out[MAX_PATH];
    EXPECT_EQ(std::string(expect) + "\\", BuildPath(file.c_str(), out, sizeof out, 0x10000013));
    EXPECT_STREQ(expect, BuildPath(file.c_str(), out, sizeof out, 0x10000033));
    EXPECT_EQ(std::string(expect) + "\\some file.txt",
              BuildPath(file.c_str(), out, sizeof out, 0x1000001F));
    GuardedBuffer small(10);
    BuildPath(file.c_str(), small.data(), 10, 0x1000001F);
    EXPECT_LE(strlen(small.c_str()), 8u);
    EXPECT_TRUE(small.Intact());
}

TEST(Files, ExistsLengthAndReadingToMemory) {
    TempDir tmp;
    tmp.Write("a.txt", "hello");
    EXPECT_EQ(1, FileExists(tmp.File("a.txt").c_str()));
    EXPECT_EQ(0, FileExists(tmp.File("none.txt").c_str()));
    EXPECT_EQ(0, FileExists(tmp.path().c_str()));

    HANDLE h = CreateFileA(tmp.File("a.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SetFilePointer(h, 2, nullptr, FILE_BEGIN);
    EXPECT_EQ(5, GetOpenFileLength(h));
    EXPECT_EQ(2u, SetFilePointer(h, 0, nullptr, FILE_CURRENT));
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    HGLOBAL block = ReadFileToMemory(h, 5);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, memcmp("hello", GlobalLock(block), 5));
    GlobalUnlock(block);
    GlobalFree(block);
    // Asking for more than the file holds fails.
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    EXPECT_EQ(nullptr, ReadFileToMemory(h, 6));
    CloseHandle(h);
}

TEST(Files, ReadFileToMemoryLimits) {
    TempDir tmp;
    tmp.Write("big", std::string(32768, 'x'));
    tmp.Write("edge", std::string(32767, 'y'));
    HANDLE h = CreateFileA(tmp.File("big").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(nullptr, ReadFileToMemory(h, GetOpenFileLength(h)));
    EXPECT_EQ(nullptr, ReadFileToMemory(h, -1));
    HGLOBAL empty = ReadFileToMemory(h, 0);
    ASSERT_NE(nullptr, empty);
    EXPECT_GE(GlobalSize(empty), 10u);
    EXPECT_EQ('\0', *(char*)GlobalLock(empty));
    GlobalUnlock(empty);
    GlobalFree(empty);
    CloseHandle(h);
    h = CreateFileA(tmp.File("edge").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    HGLOBAL block = ReadFileToMemory(h, GetOpenFileLength(h));
    EXPECT_NE(nullptr, block);
    GlobalFree(block);
    CloseHandle(h);
}

TEST(ReadTextLine, LineBreaksAndLongLines) {
    std::string text = "one\r\ntwo\n\rthree\n\nfour";
    const char* p = text.c_str();
    const char* end = p + text.size() - 1;
    char line[256];
    p = ReadTextLine(p, end, line, sizeof line);
    EXPECT_STREQ("one", line);
    p = ReadTextLine(p, end, line, sizeof line);
    EXPECT_STREQ("two", line);
    p = ReadTextLine(p, end, line, sizeof line);
    EXPECT_STREQ("three", line);
    p = ReadTextLine(p, end, line, sizeof line);
    EXPECT_STREQ("", line);
    p = ReadTextLine(p, end, line, sizeof line);
    EXPECT_STREQ("four", line);
    EXPECT_EQ(end + 1, p);

    std::string longLine(300, 'L');
    longLine += "\nnext";
    p = longLine.c_str();
    end = p + longLine.size() - 1;
    GuardedBuffer b(256);
    p = ReadTextLine(p, end, b.data(), 256);
    EXPECT_EQ(255u, strlen(b.c_str()));
    p = ReadTextLine(p, end, b.data(), 256);
    EXPECT_EQ(45u, strlen(b.c_str()));
    p = ReadTextLine(p, end, b.data(), 256);
    EXPECT_STREQ("next", b.c_str());
    EXPECT_TRUE(b.Intact());
}

TEST(ReadTextLine, StopsAtTheEndWithoutATerminator) {
    const char raw[] = {'a', 'b', 'c', 'Z', 'Z'};
    char line[16];
    const char* p = ReadTextLine(raw, raw + 2, line, sizeof line);
    EXPECT_STREQ("abc", line);
    EXPECT_EQ(raw + 3, p);
}

TEST(GetFileBesideModule, BesideTheProgramOrMarkedMissing) {
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string dir = module;
    dir = dir.substr(0, dir.find_last_of('\\') + 1);
    GuardedBuffer b(MAX_PATH);
    short n = GetFileBesideModule(nullptr, "prodinfo.ini", b.data(), MAX_PATH);
    EXPECT_EQ(dir + "prodinfo.ini", b.c_str());
    EXPECT_EQ((short)(dir.size() + 12), n);
    short size = (short)(dir.size() + 3);
    GuardedBuffer s(size);
    EXPECT_EQ(0, GetFileBesideModule(nullptr, "prodinfo.ini", s.data(), size));
    EXPECT_EQ(dir + "?", s.c_str());
    EXPECT_TRUE(s.Intact());
    EXPECT_EQ(0, GetFileBesideModule(nullptr, nullptr, b.data(), MAX_PATH));
    EXPECT_EQ(0, GetFileBesideModule(nullptr, "x", b.data(), 0));
}

TEST(FlushIniCache, NextReadSeesTheFile) {
    TempDir tmp;
    std::string ini = tmp.File("t.ini");
    WritePrivateProfileStringA("S", "K", "one", ini.c_str());
    char v[32];
    GetPrivateProfileStringA("S", "K", "", v, sizeof v, ini.c_str());
    EXPECT_STREQ("one", v);
    wiztest::WriteFile(ini, "[S]\r\nK=two\r\n");
    FlushIniCache(ini.c_str());
    GetPrivateProfileStringA("S", "K", "", v, sizeof v, ini.c_str());
    EXPECT_STREQ("two", v);
}

TEST(CurrentDirectory, SaveAndRestore) {
    char saved[MAX_PATH];
    ASSERT_EQ(1, SaveCurrentDirectory(saved, sizeof saved));
    TempDir tmp;
    EXPECT_EQ(1, RestoreCurrentDirectory(tmp.path().c_str()));
    char now[MAX_PATH];
    SaveCurrentDirectory(now, sizeof now);
    EXPECT_EQ(0, _stricmp(tmp.path().c_str(), now));
    EXPECT_EQ(0, RestoreCurrentDirectory("Q:\\no\\such\\dir"));
    EXPECT_EQ(1, RestoreCurrentDirectory(saved));
}

TEST(LoadStringStatic, MissingStringIsEmpty) {
    EXPECT_STREQ("", LoadStringStatic(4711, GetModuleHandleA(nullptr)));
}

TEST(StartProgram, CreatesAndWaits) {
    TempDir tmp;
    std::string marker = tmp.File("done.txt");
    std::string cmd = "cmd.exe /c echo ok > \"" + marker + "\"";
    EXPECT_EQ(1, StartProgram(nullptr, cmd.c_str(), tmp.path().c_str(), 1));
    EXPECT_EQ(1, FileExists(marker.c_str()));
    EXPECT_EQ(0, StartProgram(nullptr, "no_such_program_here.exe", nullptr, 0));
}
