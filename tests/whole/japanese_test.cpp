// The Japanese product under code page 932, installed in a folder whose name
// ends in a character with a second byte 0x5C, walked from start to finish
// with a Japanese name and company: the program finds its product file and
// its resource module there, and every place keeps the text byte for byte.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/whole/whole_fixture.h"

using namespace wholetest;

namespace {

std::string Ansi(const wchar_t* text) {
    char out[512] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

}  // namespace

TEST(Japanese, StartToFinishInAFolderEndingInABackslashLikeByte) {
    ASSERT_EQ(932u, GetACP());
    DemoOptions options;
    options.Language = "JPN";
    options.Folder = Ansi(L"Corvantis \u8868\u793a\u6a5f\u80fd");  // 表示機能: ends in 0x94 0x5C
    DemoInstall demo(options);
    ASSERT_EQ("", demo.Error());

    wizdrive::Program wizard;
    HWND page = StartAtWelcome(wizard, demo);
    ASSERT_NE(nullptr, page) << "the resource module or prodinfo.ini was not found beside the program";
    // The caption comes from "Global Strings: JPN" of the product file.
    EXPECT_EQ(Ansi(L"Corvantis \u30d5\u30a1\u30af\u30b9\u30bb\u30c3\u30c8\u30a2\u30c3\u30d7"),
              wizdrive::TextOf(page));
    // The Japanese module: "次へ(&N) >".
    EXPECT_EQ(Ansi(L"\u6b21\u3078(&N) >"), wizdrive::ControlText(page, kNextButton));

    wizdrive::RoadAnswers answers;
    answers.UserName = Ansi(L"\u8868 \u80fd\u30bd");                          // 表 能ソ
    answers.Company = Ansi(L"\u30bd\u30d5\u30c8\u8868\u793a\u682a\u5f0f\u4f1a\u793e");  // ソフト表示株式会社
    answers.FaxNumber = "+81 3 5555 0100";
    wizdrive::RoadReport report;
    ASSERT_NO_FATAL_FAILURE(WalkToTheEnd(wizard, answers, &report));

    EXPECT_EQ(answers.UserName, demo.Setup("UserName"));
    EXPECT_EQ(answers.UserName, demo.Setup("TTIName"));
    EXPECT_EQ(answers.Company, demo.Setup("Company"));
    EXPECT_EQ(answers.UserName, DemoInstall::Registration(77, "UserName"));
    bool header = false;
    for (const std::string& line : demo.Journal(77))
        header |= line == "object 32 type 4 length 4 value \"? ??\" result 0";
    EXPECT_TRUE(header) << "the device's header name";

    // The summary, from the Japanese template, in the data folder.
    std::vector<std::string> summary = Lines(wiztest::ReadFile(demo.SummaryFile()));
    ASSERT_FALSE(summary.empty());
    EXPECT_EQ(Ansi(L"\u30d5\u30a1\u30af\u30b9\u30bb\u30c3\u30c8\u30a2\u30c3\u30d7\u306e\u6982\u8981"),
              summary[0]);
    bool name = false, company = false;
    for (const std::string& line : summary) {
        name |= line.find(answers.UserName) != std::string::npos;
        company |= line.find(answers.Company) != std::string::npos;
    }
    EXPECT_TRUE(name);
    EXPECT_TRUE(company);
}
