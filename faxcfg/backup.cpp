#include "faxcfg/backup.h"

#include <windows.h>

#include <stdlib.h>

#include "app/profile.h"
#include "road/setupmarks.h"
#include "settings/devobjects.h"
#include "settings/faxsettings.h"

namespace {

const char kState[] = "backup.ini";
const char kProductCopy[] = "corvfax.ini";
const char kRegistrationCopy[] = "registration.ini";
const char kSummaryCopy[] = "summary.txt";
const char kBackup[] = "Backup";
const char kPrinter[] = "Printer";

std::string Join(const std::string& folder, const char* name) {
    return folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + name;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadText(const std::string& file, const char* section, const char* key) {
    std::vector<char> text(4096, '\0');
    GetPrivateProfileStringA(section, key, "", text.data(), (DWORD)text.size(), file.c_str());
    return text.data();
}

// The key names of a section, as the profile functions list them.
std::vector<std::string> Keys(const std::string& file, const std::string& section) {
    std::vector<char> list(65536, '\0');
    GetPrivateProfileStringA(section.c_str(), nullptr, "", list.data(), (DWORD)list.size(),
                             file.c_str());
    std::vector<std::string> keys;
    for (const char* p = list.data(); *p; p += strlen(p) + 1) keys.push_back(p);
    return keys;
}

std::string RegistrationSection() { return "Device: " + std::to_string(FaxSettings.DeviceId); }

bool DeviceReached() { return FaxSettings.DeviceClient && FaxSettings.ObjectChannel; }

// A copy of file when it exists; "1" or "0" for the state says which.
bool CopyIfThere(const std::string& file, const std::string& copy, std::string* had) {
    *had = Exists(file) ? "1" : "0";
    return *had == "0" || CopyFileA(file.c_str(), copy.c_str(), FALSE);
}

// Puts the copy back, or removes what the run made when there was none.
bool PutBackFile(const std::string& had, const std::string& copy, const std::string& file) {
    if (had == "1") return CopyFileA(copy.c_str(), file.c_str(), FALSE) != 0;
    return !Exists(file) || DeleteFileA(file.c_str());
}

}  // namespace

std::string SummaryPath() { return Join((const char*)FaxSettings.DataDir, "summary.txt"); }

bool SaveBackup(const std::string& folder, std::string* why) {
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string state = Join(folder, kState);
    // A backup of an earlier run in the same folder must not be half used.
    DeleteFileA(state.c_str());
    std::string productIni = (const char*)FaxSettings.ProdIniFile;
    std::string registrationIni = (const char*)FaxSettings.DeviceIniPath;
    std::string summary = SummaryPath();
    std::string hadProduct, hadSummary;
    if (!CopyIfThere(productIni, Join(folder, kProductCopy), &hadProduct) ||
        !CopyIfThere(summary, Join(folder, kSummaryCopy), &hadSummary)) {
        *why = "the product INI or the summary cannot be copied into " + folder;
        return false;
    }
    // The registration INI holds every printer: only this one's section.
    std::string section = RegistrationSection(), copy = Join(folder, kRegistrationCopy);
    std::vector<std::string> keys = Keys(registrationIni, section);
    bool ok = true;
    for (const std::string& key : keys)
        ok &= WriteIniString(section.c_str(), key.c_str(),
                             ReadText(registrationIni, section.c_str(), key.c_str()).c_str(),
                             copy.c_str()) != 0;
    struct Entry {
        const char* key;
        std::string value;
    };
    std::vector<Entry> entries = {
        {"Device", std::to_string(FaxSettings.DeviceId)},
        {"ProductIni", productIni},
        {"HadProductIni", hadProduct},
        {"RegistrationIni", registrationIni},
        {"HadRegistration", keys.empty() ? "0" : "1"},
        {"Summary", summary},
        {"HadSummary", hadSummary},
        {"RunSetupWizard", ReadRunSetupWizard()},
        {"PrinterReached", DeviceReached() ? "1" : "0"},
    };
    for (const Entry& entry : entries)
        ok &= WriteIniString(kBackup, entry.key, entry.value.c_str(), state.c_str()) != 0;
    // The printer's values the end writes, each with its kind, as it holds them now.
    if (DeviceReached()) {
        for (const StoredValue& v : FaxSettings.PlanFaxSettings()) {
            std::string value;
            switch (v.Place) {
            case StoredDeviceText: value = GetObjectText(FaxSettings.DeviceClient, v.Object); break;
            case StoredDeviceShort:
                value = std::to_string(GetObjectShort(FaxSettings.DeviceClient, v.Object));
                break;
            case StoredDeviceLong:
            case StoredDeviceEnum:
                value = std::to_string(GetObjectLong(FaxSettings.DeviceClient, v.Object));
                break;
            default: continue;
            }
            std::string key = std::to_string(v.Object) + "," + std::to_string((int)v.Place);
            ok &= WriteIniString(kPrinter, key.c_str(), value.c_str(), state.c_str()) != 0;
        }
    }
    // Written last: a backup without it is not complete.
    ok &= WriteIniString(kBackup, "Complete", "1", state.c_str()) != 0;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, state.c_str());
    if (!ok) *why = "the backup cannot be written into " + folder;
    return ok;
}

long BackupDevice(const std::string& folder) {
    return strtol(ReadText(Join(folder, kState), kBackup, "Device").c_str(), nullptr, 10);
}

RestoreResult RestoreBackup(const std::string& folder, std::vector<std::string>* lines) {
    std::string state = Join(folder, kState);
    auto value = [&](const char* key) { return ReadText(state, kBackup, key); };
    if (value("Complete") != "1") {
        lines->push_back("no complete backup in " + folder + "; nothing put back");
        return RestoreNoBackup;
    }
    RestoreResult result = RestoreDone;
    auto report = [&](bool ok, const std::string& what) {
        lines->push_back((ok ? "put back " : "could not put back ") + what);
        if (!ok) result = RestoreIncomplete;
    };
    std::string productIni = value("ProductIni"), summary = value("Summary");
    report(PutBackFile(value("HadProductIni"), Join(folder, kProductCopy), productIni), productIni);
    report(PutBackFile(value("HadSummary"), Join(folder, kSummaryCopy), summary), summary);

    // Key by key: other printers' sections stay as they are.
    std::string registrationIni = value("RegistrationIni");
    std::string section = "Device: " + value("Device"), copy = Join(folder, kRegistrationCopy);
    bool ok = true;
    if (value("HadRegistration") != "1") {
        ok = WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, registrationIni.c_str()) ||
             Keys(registrationIni, section).empty();
    } else {
        std::vector<std::string> before = Keys(copy, section);
        for (const std::string& key : Keys(registrationIni, section)) {
            bool kept = false;
            for (const std::string& old : before) kept |= lstrcmpiA(old.c_str(), key.c_str()) == 0;
            if (!kept)
                ok &= WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr,
                                                 registrationIni.c_str()) != 0;
        }
        for (const std::string& key : before)
            ok &= WriteIniString(section.c_str(), key.c_str(),
                                 ReadText(copy, section.c_str(), key.c_str()).c_str(),
                                 registrationIni.c_str()) != 0;
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, registrationIni.c_str());
    report(ok, registrationIni + " [" + section + "]");
    std::string mark = value("RunSetupWizard");
    report(WriteRunSetupWizard(mark), "the registry mark RunSetupWizard = " + mark);

    if (value("PrinterReached") != "1") return result;
    if (!DeviceReached()) {
        lines->push_back("could not put back the values of printer " + value("Device") +
                         ": it cannot be reached");
        return result == RestoreDone ? RestoreDeviceMissed : result;
    }
    ok = true;
    for (const std::string& key : Keys(state, kPrinter)) {
        char* end = nullptr;
        WORD object = (WORD)strtoul(key.c_str(), &end, 10);
        int place = *end == ',' ? atoi(end + 1) : -1;
        std::string text = ReadText(state, kPrinter, key.c_str());
        long number = strtol(text.c_str(), nullptr, 10);
        long client = FaxSettings.DeviceClient;
        switch (place) {
        case StoredDeviceText: ok &= SetObjectText(client, object, text.c_str()) != 0; break;
        case StoredDeviceShort: ok &= SetObjectShort(client, object, number) != 0; break;
        case StoredDeviceLong: ok &= SetObjectLong(client, object, number) != 0; break;
        case StoredDeviceEnum: ok &= SetObjectEnum(client, object, number) != 0; break;
        default: ok = false;
        }
    }
    report(ok, "the values of printer " + value("Device"));
    return result;
}
