// Shared set-up of the wizard tests: the test resource module as the resource
// handle and string source, and the engine's process-wide state reset.
#pragma once
#include <gtest/gtest.h>

#include "common/expand.h"
#include "framework/resource.h"
#include "tests/support/test_support.h"
#include "wizard/controller.h"
#include "wizard/wizardpage.h"

namespace wiztest {

inline HMODULE WizardTestModule() {
    static HMODULE module = LoadLibraryA((BinDir() + "\\wizardres.dll").c_str());
    return module;
}

class WizardFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, WizardTestModule()) << "wizardres.dll not built";
        AfxSetResourceHandle(WizardTestModule());
        SetLibraryResourceInstance(WizardTestModule());
        PagePosition = {0, 0, 0};
        WizardCancelled = 0;
        for (int id : WizardPageIds) RegisterWizardPage(id, nullptr);
    }
    void TearDown() override {
        for (int id : WizardPageIds) RegisterWizardPage(id, nullptr);
        WizardCancelled = 0;
    }
};

}  // namespace wiztest
