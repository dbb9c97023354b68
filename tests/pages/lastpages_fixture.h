// Shared set-up of the tests of the closing pages (answering machine, modem,
// summary, finish): the real resource module, the page table with stand-ins
// for the pages written elsewhere, the settings record on the test's own
// files, a registry tree of its own for the install marks, and an optional
// simulated device.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "tests/common/config_support.h"
#include "tests/settings/sim_device.h"
#include "tests/support/test_support.h"
#include "wizard/controller.h"
#include "wizard/wizardpage.h"

namespace wiztest {

// A page written elsewhere: the real template, the road's routes, no fields.
class StandInPage : public WizardPage {
public:
    StandInPage(int id, int next, int back, CWnd* parent);

protected:
    void OnNext() { GoNext(); }
    void OnBack() { GoBack(); }
    void OnPaint() { DrawArtwork(); }
    DECLARE_MESSAGE_MAP()
};

template <int Id, int Next, int Back>
WizardPage* MakeStandIn(CWnd* parent) {
    return new StandInPage(Id, Next, Back, parent);
}

// Keeps a string value under HKEY_LOCAL_MACHINE as the test wants it and puts
// back what was there before (removing keys the test made, when empty).
class MachineValue {
public:
    MachineValue(const std::string& key, const char* name);
    ~MachineValue();
    void Set(const std::string& value);
    void Remove();

private:
    std::string key_, name_;
    bool existed_ = false;
    std::string old_;
    DWORD oldType_ = REG_SZ;
    std::string firstMadeKey_;  // the outermost key this object created
};

class LastPagesTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the wizard from the given page until a page ends it.
    void Run(int firstPage);
    // Connects the settings record to a simulated device of this test.
    SimDevice& ConnectDevice();

    void SetIni(const char* key, const char* value);
    std::string Ini(const char* key);
    // Whether the run saved the settings: only saving writes "UserName".
    bool Saved();

    // Install marks of this test's registry tree (section 16).
    void SetInstall(const char* name, const char* value);
    std::string Install(const char* name);

    // A string of the module, loaded as the pages load it (names filled in).
    std::string ModuleText(UINT id);

    HMODULE module_ = nullptr;
    TempDir dir_;
    OwnRegistryTree tree_;
    std::unique_ptr<SimDevice> device_;
};

// The checked state of a button.
bool IsChecked(HWND dialog, int id);
// Left button down on the dialog's client area at (x, y), flags as given.
void ClickAt(HWND dialog, int x, int y, WPARAM flags = MK_LBUTTON);
// The rectangle of a control in its dialog's client coordinates.
RECT ClientRectOf(HWND dialog, int id);

}  // namespace wiztest
