// The product's texts as installed for one language, read in that language's
// user locale: the global strings of prodinfo.ini, the summary template and
// README.TXT. Each run names the language installed (WIZ_PRODUCT_LANGUAGE),
// the user's language code it must run under (WIZ_USER_LANGUAGE) and the
// "Global Strings" section that user must get (WIZ_EXPECT_SECTION).
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "common/globalstrings.h"
#include "common/prodinfo.h"
#include "common/util.h"
#include "framework/resource.h"
#include "settings/faxsettings.h"
#include "summary/summary.h"
#include "tests/support/test_support.h"

namespace {

std::string Env(const char* name) {
    const char* value = getenv(name);
    return value ? value : "";
}

std::wstring Wide(const std::string& text, UINT codePage) {
    int n = MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), &out[0], n);
    return out;
}

std::string Ansi(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), &out[0], n, nullptr, nullptr);
    return out;
}

// The value of key in section of the UTF-8 source, in the user's code page.
std::string SourceValue(const std::string& utf8, const std::string& section, const std::string& key) {
    size_t at = utf8.find("[" + section + "]");
    if (at == std::string::npos) return "<no section>";
    size_t end = utf8.find("\n[", at + 1);
    size_t line = utf8.find("\n" + key + "=", at);
    if (line == std::string::npos || line > end) return "<no key>";
    line += key.size() + 2;
    std::string value = utf8.substr(line, utf8.find_first_of("\r\n", line) - line);
    return Ansi(Wide(value, CP_UTF8));
}

// A single-byte backslash, not the second byte of a double-byte character.
bool HasBackslash(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsDBCSLeadByte((BYTE)text[i]) && i + 1 < text.size())
            ++i;
        else if (text[i] == '\\')
            return true;
    }
    return false;
}

class ProductTexts : public ::testing::Test {
protected:
    void SetUp() override {
        language_ = Env("WIZ_PRODUCT_LANGUAGE");
        ASSERT_FALSE(language_.empty());
        installed_ = wiztest::BinaryDir() + "\\installed-texts\\" + language_;
    }
    std::string language_, installed_;
};

TEST_F(ProductTexts, TheUserGetsTheGlobalStringsOfTheirLanguage) {
    char user[10] = "";
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, user, sizeof user), 0);
    ASSERT_EQ(Env("WIZ_USER_LANGUAGE"), user) << "the run does not have the user's locale";

    std::string file = installed_ + "\\prodinfo.ini";
    char section[50] = "";
    GetGlobalStringsSection(file.c_str(), section, sizeof section);
    std::string expected = "Global Strings: " + Env("WIZ_EXPECT_SECTION");
    ASSERT_EQ(expected, section);

    std::string source = wiztest::ReadFile(wiztest::SourceDir() + "\\product\\prodinfo.ini");
    LoadGlobalStrings(nullptr, file.c_str(), nullptr);
    for (const char* key : {"WizardTitle", "DeviceKind", "SupportHours"}) {
        SCOPED_TRACE(key);
        const char* value = LookupGlobalString(key);
        ASSERT_NE(nullptr, value);
        EXPECT_EQ(SourceValue(source, expected, key), value);
        EXPECT_EQ(nullptr, strchr(value, '?')) << "a character the code page lacks";
    }
    // The language-neutral names stay what they are.
    ASSERT_NE(nullptr, LookupGlobalString("ProductName"));
    EXPECT_STREQ("Corvantis MF 4420", LookupGlobalString("ProductName"));
    FreeGlobalStrings();
}

// The template as installed, in every line arrangement, with the language's
// own resource module: every line whole, nothing left unexpanded, and the
// names of the language's user in it.
TEST_F(ProductTexts, TheSummaryReadsWellInEveryArrangement) {
    HMODULE module = LoadLibraryExA((wiztest::BinDir() + "\\FXWRES." + language_).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    AfxSetResourceHandle(module);
    wiztest::TempDir dir;
    ASSERT_TRUE(CopyFileA((installed_ + "\\summary.ini").c_str(), dir.File("summary.ini").c_str(), FALSE));
    std::string templatePath = dir.File("summary.ini");
    auto templateLines = [&](const char* section) {
        int n = 0;
        char value[256];
        while (GetPrivateProfileStringA(section, std::to_string(n + 1).c_str(), "", value, sizeof value,
                                        templatePath.c_str()) > 0 &&
               lstrcmpiA(value, "EOS") != 0)
            ++n;
        return n;
    };
    // Names with characters whose second byte is a backslash where the code page has them.
    std::string name = Ansi(GetACP() == 932 ? L"表 能ソ" : L"Élodie Muñoz");
    std::string company = Ansi(GetACP() == 932 ? L"ソフト表示 株式会社" : L"Société Española");

    CFaxSettings& f = FaxSettings;
    f.DataDir = dir.path().c_str();
    f.DeviceClient = f.ObjectChannel = 0;
    f.UserName = name.c_str();
    f.Company = company.c_str();
    f.FaxNumber = "+81 3 5555 0100";
    f.VoiceNumber = "";
    f.RingPatternIndex = 1;
    for (int modem = 0; modem < 2; ++modem)
        for (int row = 0; row < 4; ++row) {
            f.DistinctiveRing = row == 0;
            f.DedicatedLine = row == 1;
            f.TAM = row == 2;
            f.Modem = modem;
            WriteSummaryReport();
            std::string report = wiztest::ReadFile(dir.File("summary.txt"));
            SCOPED_TRACE(report);
            std::string variant = "summary" + std::to_string(row * 2 + (modem ? 1 : 2));
            int lines = 0;
            for (size_t p = 0, eol; (eol = report.find("\r\n", p)) != std::string::npos; p = eol + 2) {
                std::string line = report.substr(p, eol - p);
                ++lines;
                EXPECT_LE(line.size(), 253u);
                EXPECT_EQ(std::string::npos, line.find("MACRO_ERROR")) << line;
                EXPECT_FALSE(HasBackslash(line)) << "an escape left in: " << line;
                EXPECT_EQ(std::string::npos, line.find('%')) << line;
            }
            EXPECT_EQ("\r\n", report.substr(report.size() - 2));
            EXPECT_EQ(templateLines("common") + templateLines(variant.c_str()), lines);
            EXPECT_NE(std::string::npos, report.find(name));
            EXPECT_NE(std::string::npos, report.find(company));
            // The empty voice number shows the module's own "not set".
            char notSet[256] = "";
            LoadStringA(module, 5522, notSet, sizeof notSet);
            EXPECT_NE(std::string::npos, report.find(notSet));
        }
    f.DataDir = "";
    AfxSetResourceHandle(nullptr);
    FreeLibrary(module);
}

TEST_F(ProductTexts, TheReadmeReadsInTheCodePage) {
    std::string source = language_ == "ENU" ? "\\product\\HELP\\README.TXT"
                                            : "\\product\\lang\\" + language_ + "\\HELP\\README.TXT";
    std::wstring expected = Wide(wiztest::ReadFile(wiztest::SourceDir() + source), CP_UTF8);
    std::wstring installed = Wide(wiztest::ReadFile(installed_ + "\\README.TXT"), CP_ACP);
    std::wstring lf;
    for (wchar_t c : installed)
        if (c != L'\r') lf += c;
    EXPECT_TRUE(lf == expected) << "README.TXT does not read back as written";
    EXPECT_NE(std::wstring::npos, installed.find(L"\r\n"));
}

}  // namespace
