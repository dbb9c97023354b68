// What the last configuration did, for inventory and management tools: the
// key "Status" under the product's tree, written by every program that stores
// the fax settings (the wizard's end, faxcfg, the package).
#pragma once

// Writes Time (local, ISO 8601), By (wizard, answers, policies, installer),
// ExitCode, PrinterConfigured (1 when the printer took every value) and
// Device. False when the key cannot be written.
bool RecordSetupStatus(const char* by, long exitCode, bool printerConfigured, long deviceId);
