#include <gtest/gtest.h>

#include <string>

#include "common/util.h"
#include "framework/resource.h"
#include "settings/faxsettings.h"
#include "summary/summary.h"
#include "tests/settings/sim_device.h"

using wiztest::TempDir;

namespace {

class Summary : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA((wiztest::BinDir() + "\\summaryres.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_);
        AfxSetResourceHandle(module_);
        CFaxSettings& f = FaxSettings;
        f.DataDir = dir_.path().c_str();
        f.DeviceClient = f.ObjectChannel = 0;
        f.DistinctiveRing = 0;
        f.DedicatedLine = 1;
        f.TAM = 0;
        f.Modem = 0;
        f.FaxNumber = "555 0100";
        f.VoiceNumber = "555 0101";
        f.UserName = "Ann Example";
        f.Company = "Acme";
        f.RingPatternIndex = 0;
        f.RingsToAnswer = 9;
        f.AutoAnswer = 9;
    }
    void TearDown() override {
        AfxSetResourceHandle(nullptr);
        if (module_) FreeLibrary(module_);
        FaxSettings.DeviceClient = FaxSettings.ObjectChannel = 0;
        FaxSettings.DataDir = "";
    }

    void Template(const std::string& text) {
        dir_.Write("summary.ini", text);
        FlushIniCache(dir_.File("summary.ini").c_str());
    }
    std::string Report() { return wiztest::ReadFile(dir_.File("summary.txt")); }
    // The report for a template whose common part is empty and whose
    // variant section holds the given line.
    std::string Line(const std::string& line) {
        Template("[summary4]\r\n1=" + line + "\r\n");
        WriteSummaryReport();
        return Report();
    }
    void Rings(long normal, long machine) {
        device_.Connect(FaxSettings.DeviceClient, FaxSettings.ObjectChannel);
        device_.Modify([&](devsim::DeviceState& s) {
            s.params[15] = normal;
            s.params[16] = machine;
        });
    }

    HMODULE module_ = nullptr;
    SimDevice device_{8};
    TempDir dir_;
};

std::string AllSections() {
    std::string t = "[common]\r\n1=C\r\n2=EOS\r\n";
    for (int i = 1; i <= 8; ++i)
        t += "[summary" + std::to_string(i) + "]\r\n1=summary" + std::to_string(i) + "\r\n";
    return t;
}

}  // namespace

TEST_F(Summary, TheLineArrangementChoosesSectionAndRings) {
    Template(AllSections());
    Rings(3, 6);
    struct Case {
        int distinctive, dedicated, tam, modem;
        const char* section;
        long autoAnswer, rings;
    } cases[] = {
        {1, 1, 1, 1, "summary1", 1, 3}, {1, 0, 1, 0, "summary2", 1, 3},
        {0, 1, 1, 1, "summary3", 1, 3}, {0, 1, 0, 0, "summary4", 1, 3},
        {0, 0, 1, 1, "summary5", 1, 6}, {0, 0, 1, 0, "summary6", 1, 6},
        {0, 0, 0, 1, "summary7", 0, 3}, {0, 0, 0, 0, "summary8", 0, 3},
    };
    for (const Case& c : cases) {
        FaxSettings.DistinctiveRing = c.distinctive;
        FaxSettings.DedicatedLine = c.dedicated;
        FaxSettings.TAM = c.tam;
        FaxSettings.Modem = c.modem * 5;  // any non-zero value counts
        WriteSummaryReport();
        EXPECT_EQ(std::string("C\r\n") + c.section + "\r\n", Report()) << c.section;
        EXPECT_EQ(c.autoAnswer, FaxSettings.AutoAnswer) << c.section;
        EXPECT_EQ(c.rings, FaxSettings.RingsToAnswer) << c.section;
    }
}

TEST_F(Summary, SectionsEndAtEosOrAnEmptyLine) {
    Template("[common]\r\n1=one\r\n2=two\r\n3=eOs\r\n4=four\r\n"
             "[summary4]\r\n1=a\r\n2=\r\n3=c\r\n");
    WriteSummaryReport();
    EXPECT_EQ("one\r\ntwo\r\na\r\n", Report());

    Template("[common]\r\n1=EOS\r\n2=x\r\n[summary4]\r\n2=gap\r\n");
    WriteSummaryReport();
    EXPECT_EQ("", Report());
}

TEST_F(Summary, CommonComesFirstEvenWithAnEmptyVariant) {
    Template("[common]\r\n1=Head\r\n2=%blank_line%\r\n3=Tail\r\n[summary3]\r\n1=other\r\n");
    WriteSummaryReport();
    EXPECT_EQ("Head\r\n \r\nTail\r\n", Report());
}

TEST_F(Summary, CommaEndsTheLineUnlessEscaped) {
    EXPECT_EQ("Fax: 555 0100\r\n", Line("Fax: %faxnum%, Voice: %voicenum%"));
    EXPECT_EQ("Fax: 555 0100, Voice: 555 0101\r\n", Line("Fax: %faxnum%\\, Voice: %voicenum%"));
    EXPECT_EQ("  indented 100%\r\n", Line("\\ \\ indented 100\\%"));
    EXPECT_EQ("Ann Example / Acme\r\n", Line("%NAME% / %Company%"));
    EXPECT_EQ("MACRO_ERROR\r\n", Line("%unknown%"));
}

TEST_F(Summary, EmptyValuesAndZeroRingsShowNotSet) {
    FaxSettings.FaxNumber = "";
    FaxSettings.VoiceNumber = "";
    FaxSettings.UserName = "";
    FaxSettings.Company = "";
    EXPECT_EQ("(not set)|(not set)|(not set)|(not set)|(not set)\r\n",
              Line("%faxnum%|%voicenum%|%name%|%company%|%rings_to_answer%"));
    EXPECT_EQ(0, FaxSettings.RingsToAnswer);  // no device: no rings
    Rings(4, 0);
    EXPECT_EQ("4\r\n", Line("%rings_to_answer%"));
}

TEST_F(Summary, RingPatternNames) {
    const char* names[] = {"single ring", "double ring", "triple ring", "short-short-long",
                           "MACRO_ERROR", "MACRO_ERROR", "MACRO_ERROR"};
    long indexes[] = {0, 1, 2, 3, 4, 5, -1};
    for (int i = 0; i < 7; ++i) {
        FaxSettings.RingPatternIndex = indexes[i];
        EXPECT_EQ(std::string(names[i]) + "\r\n", Line("%distinct_type%")) << indexes[i];
    }
}

TEST_F(Summary, LongLinesAreCutToLeaveRoomForTheLineEnd) {
    FaxSettings.FaxNumber = std::string(40, '5').c_str();
    std::string report = Line(std::string(240, 'x') + "%faxnum%");
    EXPECT_EQ(std::string(240, 'x') + std::string(13, '5') + "\r\n", report);
}

TEST_F(Summary, MissingTemplateGivesAnEmptyReport) {
    dir_.Write("summary.txt", "an older report");
    WriteSummaryReport();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir_.File("summary.txt").c_str()));
    EXPECT_EQ("", Report());
    EXPECT_EQ(1, FaxSettings.AutoAnswer);
}

TEST_F(Summary, NoDataDirectoryWritesNoFileButSettlesTheValues) {
    Rings(2, 5);
    FaxSettings.DataDir = "";
    FaxSettings.DedicatedLine = 0;
    FaxSettings.TAM = 1;
    WriteSummaryReport();
    EXPECT_EQ(5, FaxSettings.RingsToAnswer);
    EXPECT_EQ(1, FaxSettings.AutoAnswer);
}

TEST_F(Summary, TheProductTemplateReadsWellInEveryArrangement) {
    std::string product = wiztest::ReadFile(wiztest::SourceDir() + "\\product\\summary.ini");
    ASSERT_FALSE(product.empty());
    Template(product);
    Rings(3, 5);
    for (int modem = 0; modem < 2; ++modem)
        for (int row = 0; row < 4; ++row) {
            FaxSettings.DistinctiveRing = row == 0;
            FaxSettings.DedicatedLine = row == 1;
            FaxSettings.TAM = row == 2;
            FaxSettings.Modem = modem;
            WriteSummaryReport();
            std::string r = Report();
            SCOPED_TRACE(r);
            EXPECT_EQ(0u, r.find("Fax Setup Summary\r\n"));
            EXPECT_EQ(std::string::npos, r.find("MACRO_ERROR"));
            EXPECT_EQ(std::string::npos, r.find('\\'));
            EXPECT_NE(std::string::npos, r.find("Ann Example"));
            EXPECT_NE(std::string::npos, r.find("555 0101"));
            EXPECT_EQ(modem == 1, r.find("PC modem") != std::string::npos);
            if (row < 3) {
                EXPECT_NE(std::string::npos,
                          r.find(std::to_string(FaxSettings.RingsToAnswer) + " rings"));
            }
            EXPECT_EQ("\r\n", r.substr(r.size() - 2));
            // Every line ends in CR LF and nothing else is in the file.
            for (size_t p = 0; (p = r.find('\n', p)) != std::string::npos; ++p)
                EXPECT_EQ('\r', r[p - 1]);
        }
}

// A damaged template: truncated at every length of the real one, garbage, a
// NUL, lines far over the buffer. The report is always whole lines, each cut
// to fit its CR LF.
TEST_F(Summary, DamagedTemplateGivesWholeLines) {
    // The template is single-byte text: the double-byte run would repeat the same.
    if (GetACP() == 932) GTEST_SKIP() << "runs in the single-byte run only";
    std::string real = wiztest::ReadFile(wiztest::SourceDir() + "\\product\\summary.ini");
    ASSERT_GT(real.size(), 1000u);
    auto check = [&](const std::string& text, const std::string& what) {
        Template(text);
        WriteSummaryReport();
        std::string report = Report();
        size_t pos = 0, eol;
        while ((eol = report.find("\r\n", pos)) != std::string::npos) {
            ASSERT_LE(eol - pos, 253u) << what;
            pos = eol + 2;
        }
        ASSERT_EQ(report.size(), pos) << what << ": the report does not end with a whole line";
    };
    for (size_t n = 0; n <= real.size(); ++n)
        check(real.substr(0, n), "cut at " + std::to_string(n));
    std::string garbage;
    unsigned seed = 11;
    for (int i = 0; i < 4096; ++i) garbage += (char)((seed = seed * 1103515245 + 12345) >> 16);
    check(garbage, "garbage");
    check("[common]\r\n1=" + std::string(10000, 'W') + "\r\n2=%faxnum%" + std::string(300, '%') +
              "\r\n[summary4]\r\n1=x" + std::string(1, '\0') + "y\r\n2=\\",
          "long lines and a NUL");
    check(real + garbage, "garbage after the real template");
    EXPECT_NE(std::string::npos, Report().find("555 0100"));
}

TEST_F(Summary, TemplateWithTenThousandSections) {
    if (GetACP() == 932) GTEST_SKIP() << "runs in the single-byte run only";
    std::string many = wiztest::ReadFile(wiztest::SourceDir() + "\\product\\summary.ini");
    for (int i = 0; i < 10000; ++i) many += "[s" + std::to_string(i) + "]\r\n1=x\r\n";
    Template(many);
    WriteSummaryReport();
    EXPECT_NE(std::string::npos, Report().find("555 0100"));
}
