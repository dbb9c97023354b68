// The setup summary report: works out RingsToAnswer and AutoAnswer from the
// line arrangement and the device, and writes "summary.txt" in the data
// directory from the template "summary.ini" beside it.
#pragma once

void WriteSummaryReport();

namespace SummaryReport {
// The summary's macros ("faxnum", "voicenum", "name", "company",
// "rings_to_answer", "distinct_type", "blank_line") from FaxSettings.
void MacroCallback(const char* name, char* value, int room);
}  // namespace SummaryReport
