// faxcfg: sets up the fax without a person, from an answer file, along the
// wizard's own road, and writes the settings as they stand as an answer file.
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "app/messages.h"
#include "app/startup.h"
#include "common/expand.h"
#include "common/logfile.h"
#include "common/resmodule.h"
#include "common/registry/devices.h"
#include "faxcfg/answers.h"
#include "faxcfg/backup.h"
#include "faxcfg/cmdline.h"
#include "framework/resource.h"
#include "maker/uiext/uiext.h"
#include "road/road.h"
#include "road/setupmarks.h"
#include "settings/faxsettings.h"
#include "settings/policy.h"
#include "settings/status.h"

namespace {

enum ExitCode {
    ExitStored = 0,
    ExitUsage = 1,
    ExitNoLanguageFiles = EXIT_NO_LANGUAGE_FILES,
    ExitNoAnswerFile = 3,
    ExitRefused = 4,
    ExitAnotherCopy = 5,
    ExitDeviceNotReached = 6,
    ExitDeviceNotRegistered = 7,
    ExitNotStored = 8,
    ExitDiffers = 9,
};

const char kUsage[] =
    "Sets up the fax of the printer without the wizard.\n"
    "\n"
    "faxcfg /answers <file> [/device <id>] [/log <file>] [/backup <folder>]\n"
    "    Applies the answer file to the printer (default: the default printer)\n"
    "    and stores what the wizard stores when it is finished. Nothing is\n"
    "    written when everything already holds the answers. /backup first keeps\n"
    "    what is stored in the folder, for /restore.\n"
    "faxcfg /check <file> [/device <id>] [/log <file>]\n"
    "    Changes nothing: tells whether the settings files, the registry mark and\n"
    "    (when it can be reached) the printer hold what /answers would store,\n"
    "    one line for each value that differs.\n"
    "faxcfg /export <file> [/device <id>] [/log <file>]\n"
    "    Writes the settings as they stand as an answer file.\n"
    "faxcfg /policies [/device <id>] [/log <file>]\n"
    "    Stores what the administrator's policies hold, as /answers with a file\n"
    "    naming no key; changes nothing when the PC already holds it.\n"
    "faxcfg /export <file> /pc [/device <id>] [/log <file>]\n"
    "    Writes the section of this PC, [Fax:<computer name>], not [Fax].\n"
    "faxcfg /restore <folder> [/log <file>]\n"
    "    Puts back what /answers /backup kept in the folder.\n"
    "faxcfg /?\n"
    "    Shows this text.\n"
    "\n"
    "Answer file: section [Fax], and [Fax:<computer name>] for one PC, key by key\n"
    "over [Fax]; keys UserName, Company, FaxNumber, VoiceNumber,\n"
    "DedicatedLine, TAM, Modem, DeviceOption (1/0 or Yes/No). A missing key keeps\n"
    "the value the wizard would show. Answers are refused, not cut, when a field\n"
    "of the wizard would not take them; then nothing is stored. A value that\n"
    "starts with a quote or has blanks at either end is written in double quotes.\n"
    "\n"
    "Every /answers and /policies run records when, by what, its exit code and\n"
    "whether the printer took every value under the product's registry key Status.\n"
    "\n"
    "Exit codes:\n"
    "  0  stored everywhere (or written, for /export; holds the answers, for\n"
    "     /check; put back, for /restore)\n"
    "  1  usage error\n"
    "  2  the language files or the product's settings file cannot be found\n"
    "  3  the answer file is missing or unreadable (for /export: cannot be written;\n"
    "     for /restore: the folder holds no complete backup)\n"
    "  4  an answer was refused; nothing was stored\n"
    "  5  the setup wizard or another faxcfg is running\n"
    "  6  stored in the files, but the printer could not be reached or refused\n"
    "     values; the wizard's reminder stays, run faxcfg again with the printer on\n"
    "  7  the printer is not registered on this computer; nothing was stored\n"
    "  8  a value could not be stored (it does not read back as written)\n"
    "  9  /check: a value differs from what the answers would store\n";

// One line per event, into the log file when one is given, and on the console.
class Log {
public:
    void Open(const std::string& path) {
        if (!path.empty() && !file_.Open(path))
            fprintf(stderr, "faxcfg: the log %s cannot be written\n", path.c_str());
    }
    void Line(const std::string& text) {
        file_.Line(text);
        printf("%s\n", text.c_str());
    }

private:
    LogFile file_;
};

// What the wizard's start-up sets up that the road needs, and its undoing.
// Not the "SetupRun" mark, the main window or the shutdown request: there is
// no person to ask, and a refused answer file must leave the INI untouched.
class Session {
public:
    explicit Session(const FaxcfgOptions& options) : options_(options) {}
    ~Session() { Stop(); }

    // False when the language files are missing (the resource module).
    bool Start() {
        HINSTANCE own = GetModuleHandleA(nullptr);
        savedResourceHandle_ = AfxGetResourceHandle();
        resourceModule_ = LoadResourceModule(own, kApplicationName, 0);
        if (resourceModule_) AfxSetResourceHandle(resourceModule_);
        InitUiExtensions(AfxGetResourceHandle());
        SetLibraryResourceInstance(AfxGetResourceHandle());
        // The module falls back to the program itself, which holds no texts.
        if (!resourceModule_ || resourceModule_ == own) return false;

        long deviceId = options_.DeviceId, modelId = 0;
        SettleDeviceAndModel(options_.DeviceGiven, 0, &deviceId, &modelId);
        FaxSettings.ProgramDir = ReadEnvValue(modelId, "ProgramDir");
        FaxSettings.DataDir = ReadEnvValue(modelId, "DataDir");
        OpenDeviceConnection(deviceId);
        connected_ = true;
        FaxSettings.ProdIniFile = ReadEnvValue(modelId, "ProdIniFile");
        FaxSettings.DeviceIniPath = RegistrationIniPath();
        return !FaxSettings.ProdIniFile.IsEmpty();
    }

    void Stop() {
        if (connected_) CloseDeviceConnection();
        connected_ = false;
        if (resourceModule_) {
            ReleaseResourceModule(GetModuleHandleA(nullptr), resourceModule_, kApplicationName, 0);
            resourceModule_ = nullptr;
            AfxSetResourceHandle(savedResourceHandle_);
        }
    }

private:
    const FaxcfgOptions& options_;
    HINSTANCE resourceModule_ = nullptr;
    HINSTANCE savedResourceHandle_ = nullptr;
    bool connected_ = false;
};

std::string DeviceName() { return "printer " + std::to_string(FaxSettings.DeviceId); }

bool DeviceReached() { return FaxSettings.DeviceClient && FaxSettings.ObjectChannel; }

// Policy values that are set but could not be taken, and what a policy
// holds that this printer does not ask.
void LogPolicies(Log& log) {
    for (const std::string& line : ActivePolicies.Refused) log.Line("policy " + line);
    if (PolicyHolds(PolicyDeviceOption) && !FaxSettings.DeviceOptionSupported)
        log.Line("policy DeviceOption ignored: " + DeviceName() + " does not report the option");
}

// The answer file taken over the settings as loaded, along the road; the
// exit code when they cannot be (nothing is stored then), else 0.
// /policies: the answers of a file naming no key, the policies over them.
int TakeAnswerFile(const FaxcfgOptions& options, Log& log) {
    std::string path;
    AnswerFile file;
    file.State = AnswerFileRead;
    if (options.Action == ActionPolicies) {
        log.Line("the administrator's policies for " + DeviceName());
    } else {
        path = FullPath(options.File);
        file = ReadAnswerFile(path);
        if (file.State == AnswerFileMissing) {
            log.Line("answer file " + path + " is missing or cannot be read; nothing stored");
            return ExitNoAnswerFile;
        }
        if (file.State == AnswerFileNoSection) {
            log.Line("answer file " + path + " has no section [Fax] nor [" + ThisPcSection() +
                     "]; nothing stored");
            return ExitNoAnswerFile;
        }
        std::string sections = file.Common ? "[Fax]" : "";
        if (!file.PcSection.empty())
            sections += (sections.empty() ? "[" : " and [") + file.PcSection + "]";
        log.Line("answers from " + path + " " + sections + " for " + DeviceName());
    }
    if (!DeviceReached()) log.Line(DeviceName() + " cannot be reached");

    // The answers start where the wizard's pages would start.
    FaxSettings.LoadFaxSettings();
    LogPolicies(log);
    std::vector<AnswerRefusal> refused;
    std::vector<std::string> applied, ignored, kept;
    RoadAnswers answers = TakeAnswers(path, file, CurrentAnswers(),
                                      FaxSettings.DeviceOptionSupported != 0, &refused,
                                      &applied, &ignored, &kept);
    for (const std::string& line : kept) log.Line(line);
    if (refused.empty()) {
        if (RoadRefusal road = ApplyAnswers(answers)) refused.push_back(DescribeRoadRefusal(road));
    }
    if (!refused.empty()) {
        for (const AnswerRefusal& refusal : refused)
            log.Line("refused " + refusal.Key + ": " + refusal.Why);
        log.Line("nothing stored");
        return ExitRefused;
    }
    for (const std::string& line : applied) log.Line("applied " + line);
    // A printer that cannot be reached reports no option either: say why.
    for (const std::string& line : ignored)
        log.Line("ignored " + line +
                 (!DeviceReached() && line.compare(0, 13, "DeviceOption:") == 0
                      ? " (it cannot be reached)"
                      : ""));
    return ExitStored;
}

// What differs between what the end would store now and what is stored,
// the registry mark included: one line each.
std::vector<std::string> Differences() {
    SettleRoad();
    std::vector<std::string> lines;
    for (const StoredDifference& d : FaxSettings.CompareFaxSettings(FaxSettings.PlanFaxSettings()))
        lines.push_back(d.Where + ": stored \"" + d.Stored + "\", wanted \"" + d.Wanted + "\"");
    std::string mark = ReadRunSetupWizard();
    if (mark != "0")
        lines.push_back("registry mark RunSetupWizard: stored \"" + mark + "\", wanted \"0\"");
    return lines;
}

// Whether the device has a registration under the product's Devices key.
struct DeviceSearch {
    long DeviceId;
    bool Found;
};

int MatchDevice(HKEY, long deviceId, WORD, WORD, const char*, short, WORD, const char*,
                void* search) {
    DeviceSearch* s = (DeviceSearch*)search;
    s->Found |= deviceId == s->DeviceId;
    return 1;
}

bool DeviceRegistered(long deviceId) {
    DeviceSearch search = {deviceId, false};
    if (deviceId != 0) EnumDevices(MatchDevice, &search);
    return search.Found;
}

// A printer that is not installed must not get settings in the product's
// files; the answers are checked first, so that their faults show too.
int RequireRegistered(Log& log) {
    if (DeviceRegistered(FaxSettings.DeviceId)) return ExitStored;
    log.Line(DeviceName() + " is not registered on this computer; nothing done");
    return ExitDeviceNotRegistered;
}

int Apply(const FaxcfgOptions& options, Log& log) {
    if (int code = TakeAnswerFile(options, log)) return code;
    if (int code = RequireRegistered(log)) return code;
    // A PC that already holds the answers is left as it is: a detection
    // script's remediation run twice changes nothing the second time.
    if (DeviceReached() && Differences().empty() &&
        GetFileAttributesA(SummaryPath().c_str()) != INVALID_FILE_ATTRIBUTES) {
        log.Line("the settings and " + DeviceName() + " already hold these answers; nothing changed");
        return ExitStored;
    }
    if (!options.Backup.empty()) {
        std::string why;
        if (!SaveBackup(FullPath(options.Backup), &why)) {
            log.Line(why + "; nothing stored");
            return ExitNotStored;
        }
        log.Line("kept what was stored in " + FullPath(options.Backup));
    }

    std::string mark = ReadRunSetupWizard();
    SummarizeRoad();
    bool deviceTookAll = StoreRoad();
    // The wizard's reminder brings the answers to the printer later.
    if (!deviceTookAll) WriteRunSetupWizard(mark);

    std::vector<StoredDifference> differences =
        FaxSettings.CompareFaxSettings(FaxSettings.PlanFaxSettings());
    bool filesHold = true;
    for (const StoredDifference& d : differences) {
        if (d.Where.compare(0, 8, "printer ") == 0) continue;  // its own result below
        log.Line("not stored: " + d.Where + " holds \"" + d.Stored + "\", not \"" + d.Wanted + "\"");
        filesHold = false;
    }
    std::string wantedMark = deviceTookAll ? "0" : mark;
    if (ReadRunSetupWizard() != wantedMark) {
        log.Line("not stored: the registry mark RunSetupWizard = " + wantedMark);
        filesHold = false;
    }
    if (filesHold) {
        log.Line("stored in " + std::string(FaxSettings.ProdIniFile) + " [Setup]");
        log.Line("stored in " + std::string(FaxSettings.DeviceIniPath) + " [Device: " +
                 std::to_string(FaxSettings.DeviceId) + "]");
        log.Line(deviceTookAll ? "stored the registry mark RunSetupWizard = 0"
                               : "kept the registry mark RunSetupWizard = " + mark +
                                     ": the wizard's reminder stays");
        log.Line("stored the summary in " + SummaryPath());
    }
    if (!deviceTookAll) {
        log.Line("not stored in " + DeviceName() + ": " +
                 (DeviceReached() ? "it refused values" : "it cannot be reached") +
                 "; run faxcfg again with the printer on, or the setup wizard");
    } else {
        log.Line("stored in " + DeviceName());
    }
    if (!filesHold) return ExitNotStored;
    return deviceTookAll ? ExitStored : ExitDeviceNotReached;
}

int Check(const FaxcfgOptions& options, Log& log) {
    if (int code = TakeAnswerFile(options, log)) return code;
    if (int code = RequireRegistered(log)) return code;
    std::vector<std::string> lines = Differences();
    for (const std::string& line : lines) log.Line("differs: " + line);
    if (!lines.empty()) return ExitDiffers;
    log.Line(DeviceReached() ? "the settings and " + DeviceName() + " hold these answers"
                             : "the settings hold these answers; " + DeviceName() +
                                   " cannot be reached and was not compared");
    return ExitStored;
}

int Export(const FaxcfgOptions& options, Log& log) {
    if (int code = RequireRegistered(log)) return code;
    std::string path = FullPath(options.File);
    FaxSettings.LoadFaxSettings();
    LogPolicies(log);
    if (!DeviceReached()) log.Line(DeviceName() + " cannot be reached: the files' values are written");
    std::string section = options.ThisPc ? ThisPcSection() : "Fax";
    if (!WriteAnswerFile(path, section, CurrentAnswers(), FaxSettings.DeviceOptionSupported != 0)) {
        log.Line("answer file " + path + " cannot be written");
        return ExitNoAnswerFile;
    }
    log.Line("settings of " + DeviceName() + " written to " + path + " [" + section + "]");
    return ExitStored;
}

int Restore(const FaxcfgOptions& options, Log& log) {
    std::vector<std::string> lines;
    RestoreResult result = RestoreBackup(FullPath(options.File), &lines);
    for (const std::string& line : lines) log.Line(line);
    switch (result) {
    case RestoreDone: return ExitStored;
    case RestoreNoBackup: return ExitNoAnswerFile;
    case RestoreDeviceMissed: return ExitDeviceNotReached;
    default: return ExitNotStored;
    }
}

}  // namespace

int main() {
    FaxcfgOptions options = ParseFaxcfgOptions(SplitCommandLine(GetCommandLineA()));
    if (options.Action == ActionHelp) {
        fputs(kUsage, stdout);
        return ExitStored;
    }
    Log log;
    if (!options.Error.empty()) {
        fprintf(stderr, "faxcfg: %s\n\n%s", options.Error.c_str(), kUsage);
        return ExitUsage;
    }
    log.Open(options.Log);
    if (!TakeSetupLock()) {
        log.Line("the setup wizard or another faxcfg is running; nothing done");
        return ExitAnotherCopy;
    }
    // /restore works on the printer the backup was made for.
    if (options.Action == ActionRestore) {
        options.DeviceGiven = true;
        options.DeviceId = BackupDevice(FullPath(options.File));
    }
    int code;
    {
        Session session(options);
        if (!session.Start()) {
            log.Line("the language files or the product's settings file cannot be found; "
                     "nothing done");
            code = ExitNoLanguageFiles;
        } else {
            switch (options.Action) {
            case ActionAnswers:
            case ActionPolicies:
                code = Apply(options, log);
                // For inventory: what this configuration did.
                if (!RecordSetupStatus(options.Action == ActionAnswers ? "answers" : "policies",
                                       code, code == ExitStored, FaxSettings.DeviceId))
                    log.Line("the status could not be recorded in the registry");
                break;
            case ActionCheck: code = Check(options, log); break;
            case ActionRestore: code = Restore(options, log); break;
            default: code = Export(options, log); break;
            }
        }
    }
    ReleaseSetupLock();
    return code;
}
