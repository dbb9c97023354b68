// The demo product installed for one test, as its installer would leave it,
// but in places of the test's own: the program folder in a temporary folder,
// the registry tree under a product-line name of its own (unless the test
// asks for the built-in one), the simulated devices in a folder of their own.
// Files and keys come from the product folder of the sources and the build;
// the product's texts as the installer writes them (build folder
// "installed-texts", in the code page of the language).
// Everything is removed again when the object goes.
//
// What stays shared with the rest of the prefix, and is why these tests take
// one lock: the registration INI in the Windows folder, the registration link
// (code 9936) and, when asked for, the built-in registry names.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "maker/devaccess/devsim.h"
#include "tests/support/test_support.h"

namespace wholetest {

struct DemoOptions {
    bool ProdInfo = true;         // prodinfo.ini beside the program
    bool ResourceModules = true;  // FXWRES.<language> of every language beside it
    bool ProdIniFileValue = true; // "ProdIniFile" in the registry's Env key
    bool Registration = false;    // register the registration program (link 9936)
    bool BuiltInNames = false;    // the registry tree under "\Kelvaro\Corvantis"
    // The registry's "Language"; the product's texts are installed in it too.
    std::string Language = "ENU";
    // The program folder's own name (inside "Program Files\Kelvaro").
    std::string Folder = "Corvantis";
};

class DemoInstall {
public:
    explicit DemoInstall(const DemoOptions& options = DemoOptions());
    ~DemoInstall();
    DemoInstall(const DemoInstall&) = delete;
    DemoInstall& operator=(const DemoInstall&) = delete;

    // Empty when everything was installed; otherwise what went wrong.
    const std::string& Error() const { return error_; }

    std::string ProgramDir() const { return programDir_; }
    std::string DataDir() const { return programDir_ + "\\Data"; }
    std::string Program() const { return programDir_ + "\\faxwiz.exe"; }
    std::string Faxcfg() const { return programDir_ + "\\faxcfg.exe"; }
    std::string ProductIni() const { return DataDir() + "\\corvfax.ini"; }
    std::string RegistrationLog() const { return DataDir() + "\\registration.log"; }
    std::string SummaryFile() const { return DataDir() + "\\summary.txt"; }
    // The product's key under HKEY_LOCAL_MACHINE: Software\Kelvaro\<line>.
    std::string ProductKey() const { return "Software\\Kelvaro\\" + line_; }

    // Registry values of the product tree (subkey "Install", "Env", ...).
    std::string RegValue(const std::string& subkey, const std::string& name) const;
    bool HasRegValue(const std::string& subkey, const std::string& name) const;
    void SetRegValue(const std::string& subkey, const std::string& name,
                     const std::string& value) const;

    // Section "Setup" of the product INI; "<none>" for a missing key.
    std::string Setup(const std::string& key) const;
    void SetSetup(const std::string& key, const std::string& value) const;
    std::string ProductIniText() const;
    // Section "Device: <id>" of the registration INI; "<none>" for a missing key.
    static std::string Registration(long deviceId, const std::string& key);
    static bool HasRegistrationSection(long deviceId);
    static std::string RegistrationIniPath();

    // Devices: a registration under "\Devices" and a simulated device.
    void AddDevice(long deviceId, const std::string& model) const;
    void ChangeDevice(long deviceId, const std::function<void(devsim::DeviceState&)>& change) const;
    devsim::DeviceState Device(long deviceId) const;
    std::vector<std::string> Journal(long deviceId) const;

    // Devices 77 and 78 as the demo installation leaves them, journals empty.
    bool SeedDevices();
    // Removes every device section of the registration INI.
    static void ClearRegistrationIni();

    // What a process did, without its process id: the device access calls
    // "register|unregister|open-channel|close-channel <client> ..." and the
    // event objects "register|unregister <name>".
    std::vector<std::string> ClientLog(DWORD processId) const;
    std::vector<std::string> EventTrace(DWORD processId) const;

    // Lines of the registration program's log: one per start.
    int RegistrationStarts() const;

private:
    void Install(const DemoOptions& options);
    bool CopyProgramFiles(const DemoOptions& options);
    bool WriteRegistry(const DemoOptions& options);
    bool WriteRegistryLines(const std::vector<std::string>& lines, const DemoOptions& options);

    std::string error_;
    wiztest::TempDir root_;
    std::string programDir_;
    std::string simDir_;
    std::string line_;
    bool builtInNames_ = false;
    bool registration_ = false;
};

// The whole of a text file's lines, without line ends.
std::vector<std::string> Lines(const std::string& text);
// The lines that start with the process id and a blank, without them.
std::vector<std::string> LinesOf(const std::vector<std::string>& lines, DWORD processId);

}  // namespace wholetest
