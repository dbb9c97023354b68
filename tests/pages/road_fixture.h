// Runs the real pages inside the engine from a real resource module, with the
// settings record kept to the test's own INI files and, when asked, a
// simulated device of its own.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/expand.h"
#include "framework/resource.h"
#include "pages/pagelist.h"
#include "settings/faxsettings.h"
#include "tests/common/config_support.h"
#include "tests/settings/sim_device.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_driver.h"
#include "wizard/controller.h"
#include "wizard/uiext.h"

namespace roadtest {

// Pages a test ends its road at: reached, they show nothing and end the run
// (settings saved), so a test sees where a page led without driving the rest.
std::vector<int>& Reached();
WizardPageFactory RoadEndFactory(int pageId);

// Calls action with the page once the page takes input again (a message box
// it opened has closed). Set it from inside the message box.
void WhenPageIsFree(HWND page, std::function<void(HWND page)> action);

std::string Text(HWND dialog, int id);

// The lines of a text ended by CR LF; a last line without them is marked
// "<no CR LF>".
std::vector<std::string> SplitLines(const std::string& text);
bool Checked(HWND dialog, int id);

class RoadFixture : public ::testing::Test {
protected:
    // The resource module of language ("ENU", "DEU") and the pages of this
    // library, with a fresh settings record pointed at files of the test.
    void Start(const char* language);
    void TearDown() override;

    // The product INI's "Setup" section before the run, one key=value a line.
    void Ini(const std::string& setupLines);
    // A simulated device, connected for the run: client and channel set.
    SimDevice& ConnectDevice();
    // The page of pageId ends the road when it is reached.
    void EndAt(std::initializer_list<int> pageIds);
    // Every page the real one again: no page ends the road early.
    void AllRealPages();
    // The install marks (registry section 16) in a registry tree of the
    // test's own, for pages that read or clear them.
    void OwnInstallMarks();
    void SetInstall(const char* name, const char* value);
    std::string Install(const char* name);
    // Runs the wizard from firstPage until a page ends it.
    void Run(int firstPage = kFirstPageId);

    // Values the run saved.
    std::string Prod(const char* key);
    std::string Reg(const char* key);
    std::vector<std::string> Journal();

    static const long kDeviceId = 4711;
    HMODULE module_ = nullptr;
    wiztest::TempDir dir_;
    std::unique_ptr<SimDevice> device_;
    std::unique_ptr<wiztest::OwnRegistryTree> tree_;
};

// The product's languages of code page 1252 (English, German, French,
// Spanish); Japanese has road tests of its own, under code page 932.
class BothLanguages : public RoadFixture, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override { Start(GetParam()); }
};

class English : public RoadFixture {
protected:
    void SetUp() override { Start("ENU"); }
};

}  // namespace roadtest
