#include <gtest/gtest.h>

#include <direct.h>

#include <string>

#include "common/globalstrings.h"
#include "common/prodinfo.h"
#include "common/registry/layout.h"
#include "common/resmodule.h"
#include "tests/common/config_support.h"
#include "tests/support/test_support.h"

using namespace wiztest;

namespace {

UINT CurrentErrorMode() {
    UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    return mode;
}

std::string CurrentDirectory() {
    char dir[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof dir, dir);
    return dir;
}

std::string Env(const char* name) {
    char value[MAX_PATH] = "";
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string MakeDir(const TempDir& dir, const std::string& name) {
    std::string path = dir.File(name);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

// A program module of its own in a temporary folder, a prodinfo.ini beside it
// and a registry tree named by that file.
class ResourceModule : public ::testing::Test {
protected:
    void SetUp() override {
        FreeGlobalStrings();
        prog_ = MakeDir(dir_, "prog");
        res_ = MakeDir(dir_, "res");
    }
    void TearDown() override {
        delete program_;
        FreeGlobalStrings();
        ResetRegistryPaths();
    }
    // Writes prodinfo.ini beside the program with these "Module File Names".
    std::string WriteProdInfo(const std::string& entries, const std::string& extra = "") {
        std::string file = prog_ + "\\prodinfo.ini";
        WriteFile(file, tree_.Section() + "[Product Identity]\r\nModelID=5\r\n[Globals]\r\nResDir=" +
                            res_ + "\r\n" + extra + "[Module File Names]\r\n" + entries);
        return file;
    }
    HINSTANCE Program() {
        if (!program_) program_ = new LoadedCopy("resmodtest.dll", prog_ + "\\KLCVPROG.dll");
        return program_->handle();
    }
    std::string OwnPath() {
        char path[MAX_PATH];
        GetModuleFileNameA(Program(), path, sizeof path);
        return path;
    }
    void SetLanguage(const char* value) {
        ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Env"), "Language", value));
    }
    std::string Name(const char* application = "FaxSetupWizard", long* flag = nullptr) {
        GuardedBuffer b(260);
        long got = GetResourceModuleName(Program(), application, b.data(), 260);
        if (flag) *flag = got;
        EXPECT_TRUE(b.Intact());
        return b.c_str();
    }

    TempDir dir_;
    OwnRegistryTree tree_;
    std::string prog_, res_;
    LoadedCopy* program_ = nullptr;
};

const char kEntries[] =
    "ModNameFmt=%sRES\r\n"
    "FaxSetupWizard=KLCVWIZ:1, exe, $ResDir$, WizRes:1\r\n"
    "WizRes = Fax:1 , dll , $ResDir$\r\n";

}  // namespace

TEST_F(ResourceModule, LoadsTheNamedModuleWithItsLanguage) {
    WriteProdInfo(kEntries);
    SetLanguage("DEU");
    std::string expected = res_ + "\\FaxRES.dll.DEU";
    ASSERT_TRUE(CopyBuiltFile("resmodtest.dll", expected));
    long flag = 0;
    EXPECT_EQ(expected, Name("FaxSetupWizard", &flag));
    EXPECT_EQ(1, flag);

    HINSTANCE module = LoadResourceModule(Program(), "FaxSetupWizard", 0);
    ASSERT_NE(nullptr, module);
    ASSERT_NE(Program(), module);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    EXPECT_TRUE(SamePath(expected, path)) << path;
    char text[64] = "";
    LoadStringA(module, 100, text, sizeof text);
    EXPECT_STREQ("resource module for tests", text);
    // Releasing leaves it loaded.
    EXPECT_EQ(0, ReleaseResourceModule(Program(), module, "FaxSetupWizard", 0));
    EXPECT_GT(GetModuleFileNameA(module, path, sizeof path), 0u);
    FreeLibrary(module);
}

TEST_F(ResourceModule, LanguageValueEmptyOrMissing) {
    WriteProdInfo(kEntries);
    EXPECT_EQ(res_ + "\\FaxRES.dll", Name());
    SetLanguage("");
    EXPECT_EQ(res_ + "\\FaxRES.dll.", Name());
}

TEST_F(ResourceModule, MissingResourceEntryFallsBackToTheInstance) {
    WriteProdInfo("FaxSetupWizard=KLCVWIZ, exe, $ResDir$, Missing:1\r\n");
    long flag = 0;
    EXPECT_EQ("", Name("FaxSetupWizard", &flag));
    EXPECT_EQ(1, flag);
    EXPECT_EQ(Program(), LoadResourceModule(Program(), "FaxSetupWizard", 0));
}

TEST_F(ResourceModule, NoResourceModuleWithoutANumber) {
    WriteProdInfo(std::string(kEntries) + "NoColon=KLCVWIZ, exe, $ResDir$, WizRes\r\n"
                                          "Zero=KLCVWIZ, exe, $ResDir$, WizRes:0\r\n");
    ASSERT_TRUE(CopyBuiltFile("resmodtest.dll", res_ + "\\FaxRES.dll"));
    for (const char* application : {"NoColon", "Zero", "NotListed"}) {
        long flag = 1;
        EXPECT_TRUE(SamePath(OwnPath(), Name(application, &flag))) << application;
        EXPECT_EQ(0, flag);
        EXPECT_EQ(Program(), LoadResourceModule(Program(), application, 0));
    }
}

TEST_F(ResourceModule, NoProductInformationFile) {
    long flag = 1;
    EXPECT_TRUE(SamePath(OwnPath(), Name("FaxSetupWizard", &flag)));
    EXPECT_EQ(0, flag);
    EXPECT_EQ(Program(), LoadResourceModule(Program(), "FaxSetupWizard", 0));
}

TEST_F(ResourceModule, EntryFields) {
    std::string file = WriteProdInfo(kEntries);
    LoadRegistryPaths(nullptr, file.c_str(), nullptr);
    ModuleNameRecord record;
    char entry[256] = "KLCVWIZ:1, exe, $ResDir$, WizRes:1";
    ResolveModuleEntry(file.c_str(), entry, &record, true);
    EXPECT_EQ(res_ + "\\KLCVWIZRES.exe", record.ModulePath);
    EXPECT_STREQ("$ResDir$", record.Directory);
    EXPECT_EQ(res_ + "\\FaxRES.dll", record.ResourcePath);
    EXPECT_EQ(1, record.UseResource);

    // Without a number after ":" the base is the file name and the extension is ignored.
    for (const char* text : {"Fax, dll, C:\\Dir", "Fax:, dll, C:\\Dir", " Fax : 0 ,dll,C:\\Dir "}) {
        strcpy(entry, text);
        ResolveModuleEntry(file.c_str(), entry, &record, false);
        EXPECT_STREQ("C:\\Dir\\Fax", record.ModulePath) << text;
        EXPECT_STREQ("", record.ResourcePath);
        EXPECT_EQ(0, record.UseResource);
    }
    strcpy(entry, "Fax:1,,C:\\Dir");
    ResolveModuleEntry(file.c_str(), entry, &record, true);
    EXPECT_STREQ("C:\\Dir\\FaxRES", record.ModulePath);
    EXPECT_EQ(0, record.UseResource);
}

TEST_F(ResourceModule, FormatsFromTheFileAreTakenSafely) {
    std::string odd = dir_.File("odd.ini");
    WriteFile(odd, "[Module File Names]\r\nModNameFmt=%d%s%n%%\r\n");
    ModuleNameRecord record;
    char entry[256] = "Fax:1, dll, C:\\Dir";
    ResolveModuleEntry(odd.c_str(), entry, &record, false);
    EXPECT_STREQ("C:\\Dir\\%dFax%n%.dll", record.ModulePath);
    // Without a format the file name stays empty.
    std::string none = dir_.File("none.ini");
    WriteFile(none, "[Module File Names]\r\nX=1\r\n");
    strcpy(entry, "Fax:1, dll, C:\\Dir");
    ResolveModuleEntry(none.c_str(), entry, &record, false);
    EXPECT_STREQ("C:\\Dir\\", record.ModulePath);
}

TEST_F(ResourceModule, FormatAndEntryKeepDoubleByteCharactersWhole) {
    if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
    // 0x95 0x5C: a character whose trail byte is a backslash.
    std::string file = dir_.File("dbcs.ini");
    WriteFile(file, "[Module File Names]\r\nModNameFmt=\x83\x41%s\x95\x5C\r\n");
    ModuleNameRecord record;
    char entry[256] = "Fax:1, dll, C:\\Dir";
    ResolveModuleEntry(file.c_str(), entry, &record, false);
    EXPECT_STREQ("C:\\Dir\\\x83\x41" "Fax\x95\x5C.dll", record.ModulePath);
}

TEST_F(ResourceModule, PartsAroundTheColonAreTakenAsWritten) {
    std::string file = WriteProdInfo("ModNameFmt=%sRES\r\nRes =Other, dll, C:\\R\r\n");
    ModuleNameRecord record;
    char entry[256] = "Fax :1, dll, C:\\Dir, Res :1";
    ResolveModuleEntry(file.c_str(), entry, &record, true);
    EXPECT_STREQ("C:\\Dir\\Fax RES.dll", record.ModulePath);
    // The nested entry is looked up by the name as written, blank included.
    EXPECT_STREQ("C:\\R\\Other", record.ResourcePath);
    EXPECT_EQ(1, record.UseResource);
}

TEST_F(ResourceModule, ModuleResolverSourcesAndCycles) {
    std::string file = WriteProdInfo(
        "", "Self=<$Self$>\r\nA=($B$)\r\nB=[$A$]\r\nProduct=FX-100\r\n");
    LoadRegistryPaths(nullptr, file.c_str(), nullptr);
    ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, tree_.Key("\\Env"), "RegDir", "C:\\FromReg"));
    ModuleNameRecord record;
    auto path = [&](const char* text) {
        char entry[256];
        strcpy(entry, text);
        ResolveModuleEntry(file.c_str(), entry, &record, false);
        return std::string(record.ModulePath);
    };
    EXPECT_EQ("<$Self$>\\M", path("M,,$Self$"));
    EXPECT_EQ("([$A$])\\M", path("M,,$A$"));
    EXPECT_EQ("C:\\FromReg\\M", path("M,,$RegDir$"));
    EXPECT_EQ("$Nobody$\\M", path("M,,$Nobody$"));
    ASSERT_NE(nullptr, CreateGlobalStringTable(1));
    AddGlobalString("ResDir", "C:\\Table");
    EXPECT_EQ("C:\\Table\\M", path("M,,$ResDir$"));

    GuardedBuffer out(11);
    EXPECT_EQ(10, ModuleResolver("RegDir", StandardValueFlags, out.data(), 11, (void*)file.c_str()));
    EXPECT_STREQ("C:\\FromReg", out.c_str());
    // A registry value that does not fit is not read at all.
    EXPECT_EQ(0, ModuleResolver("RegDir", StandardValueFlags, out.data(), 10, (void*)file.c_str()));
    EXPECT_TRUE(out.Intact());
    EXPECT_EQ(0, ModuleResolver("RegDir", StandardValueFlags, out.data(), 5, nullptr));
}

// ---------------------------------------------------------------- loading within the directory

namespace {
class LoadInDir : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = CurrentDirectory();
        mode_ = CurrentErrorMode();
        SetEnvironmentVariableA("WIZ_PROBE_CWD", nullptr);
        SetEnvironmentVariableA("WIZ_PROBE_ERRMODE", nullptr);
    }
    void TearDown() override {
        SetCurrentDirectoryA(saved_.c_str());
        EXPECT_EQ(mode_, CurrentErrorMode());
    }
    std::string saved_;
    UINT mode_ = 0;
    TempDir dir_;
};
}  // namespace

TEST_F(LoadInDir, ChangesToTheModulesDirectoryAndBack) {
    std::string folder = MakeDir(dir_, "probe");
    std::string path = folder + "\\probe1.dll";
    ASSERT_TRUE(CopyBuiltFile("cwdprobe.dll", path));
    SetCurrentDirectoryA(dir_.path().c_str());
    HMODULE module = LoadLibraryInDir(path.c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_TRUE(SamePath(folder, Env("WIZ_PROBE_CWD"))) << Env("WIZ_PROBE_CWD");
    EXPECT_EQ(std::to_string(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
              Env("WIZ_PROBE_ERRMODE"));
    EXPECT_TRUE(SamePath(dir_.path(), CurrentDirectory()));
    FreeLibrary(module);
}

TEST_F(LoadInDir, ModuleInADriveRoot) {
    std::string path = "C:\\" + UniqueName("probe") + ".dll";
    ASSERT_TRUE(CopyBuiltFile("cwdprobe.dll", path));
    SetCurrentDirectoryA(dir_.path().c_str());
    HMODULE module = LoadLibraryInDir(path.c_str());
    EXPECT_NE(nullptr, module);
    EXPECT_EQ("C:\\", Env("WIZ_PROBE_CWD"));
    EXPECT_TRUE(SamePath(dir_.path(), CurrentDirectory()));
    if (module) FreeLibrary(module);
    DeleteFileA(path.c_str());
}

TEST_F(LoadInDir, DriveRelativePath) {
    ASSERT_EQ(':', dir_.path()[1]);
    std::string folder = MakeDir(dir_, "drive");
    ASSERT_TRUE(CopyBuiltFile("cwdprobe.dll", folder + "\\probe3.dll"));
    std::string drive = dir_.path().substr(0, 2);
    // The drive's own current directory, while the process is on another drive.
    SetEnvironmentVariableA(("=" + drive).c_str(), folder.c_str());
    std::string other = SourceDir();
    ASSERT_FALSE(other.empty());
    ASSERT_NE(toupper(drive[0]), toupper(other[0]));
    ASSERT_TRUE(SetCurrentDirectoryA(other.c_str()));
    HMODULE module = LoadLibraryInDir((drive + "probe3.dll").c_str());
    EXPECT_NE(nullptr, module);
    EXPECT_TRUE(SamePath(folder, Env("WIZ_PROBE_CWD"))) << Env("WIZ_PROBE_CWD");
    EXPECT_TRUE(SamePath(other, CurrentDirectory())) << CurrentDirectory();
    if (module) FreeLibrary(module);
    SetEnvironmentVariableA(("=" + drive).c_str(), nullptr);
}

TEST_F(LoadInDir, MissingModuleFailsQuietly) {
    SetCurrentDirectoryA(dir_.path().c_str());
    EXPECT_EQ(nullptr, LoadLibraryInDir(dir_.File("none\\missing.dll").c_str()));
    EXPECT_TRUE(SamePath(dir_.path(), CurrentDirectory()));
}
