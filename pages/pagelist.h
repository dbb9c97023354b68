// Tells the wizard engine how to build each page this library has.
#pragma once

// Registers every page class with the engine's page table; call once before
// the wizard runs.
void RegisterWizardPages();
