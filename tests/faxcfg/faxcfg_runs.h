// What the tests of faxcfg share: running it against the demo product, and
// everything a run may store, to compare one road with another.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/whole/whole_fixture.h"

namespace wholetest {

const DWORD kRunTimeoutMs = 60000;

// Everything a run may store, the summary's preparation time left out.
struct Stored {
    std::string Setup;         // section [Setup] of the product INI, without "SetupRun"
    std::string Registration;  // section [Device: 77] of KLCV_REG.INI
    std::string Device;        // the device's state
    std::vector<std::string> Journal;
    std::string Summary;
    std::string RunSetupWizard;
};

inline std::string SectionText(const std::string& file, const std::string& section) {
    std::vector<char> text(32768, '\0');
    DWORD n = GetPrivateProfileSectionA(section.c_str(), text.data(), (DWORD)text.size(),
                                        file.c_str());
    std::string out;
    for (const char* p = text.data(); p < text.data() + n && *p; p += strlen(p) + 1)
        if (strncmp(p, "SetupRun=", 9) != 0) out += std::string(p) + "\n";
    return out;
}

inline Stored Capture(const DemoInstall& demo) {
    Stored s;
    s.Setup = SectionText(demo.ProductIni(), "Setup");
    s.Registration = SectionText(DemoInstall::RegistrationIniPath(), "Device: 77");
    s.Device = devsim::FormatState(demo.Device(77));
    s.Journal = demo.Journal(77);
    for (const std::string& line : Lines(wiztest::ReadFile(demo.SummaryFile())))
        if (line.find("Prepared") == std::string::npos) s.Summary += line + "\n";
    s.RunSetupWizard = demo.RegValue("Install", "RunSetupWizard");
    return s;
}

inline void ExpectSame(const Stored& expected, const Stored& actual) {
    EXPECT_EQ(expected.Setup, actual.Setup);
    EXPECT_EQ(expected.Registration, actual.Registration);
    EXPECT_EQ(expected.Device, actual.Device);
    EXPECT_EQ(expected.Journal, actual.Journal);
    EXPECT_EQ(expected.Summary, actual.Summary);
    EXPECT_EQ(expected.RunSetupWizard, actual.RunSetupWizard);
}

// Runs faxcfg with the arguments and gives its exit code.
inline DWORD RunFaxcfg(const DemoInstall& demo, const std::string& arguments) {
    wizdrive::Program faxcfg;
    EXPECT_TRUE(faxcfg.Start(demo.Faxcfg(), arguments)) << demo.Faxcfg();
    if (!faxcfg.WaitForExit(kRunTimeoutMs)) {
        faxcfg.Kill();
        ADD_FAILURE() << "faxcfg did not end: " << arguments;
        return ~0u;
    }
    return faxcfg.ExitCode();
}

inline std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// A number of the product's Status key, as inventory tools read it; ~0 for none.
inline DWORD StatusNumber(const DemoInstall& demo, const char* name) {
    DWORD value = ~0u, size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, (demo.ProductKey() + "\\Status").c_str(), name,
                 RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

// An answer file of the test, written as the lines given.
inline std::string AnswerFile(const wiztest::TempDir& dir, const std::string& lines,
                       const std::string& name = "answers.ini") {
    dir.Write(name, "[Fax]\r\n" + lines);
    return dir.File(name);
}

}  // namespace wholetest
