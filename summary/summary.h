// The setup summary report: works out RingsToAnswer and AutoAnswer from the
// line arrangement and the device, and writes "summary.txt" in the data
// directory from the template "summary.ini" beside it.
#pragma once

void WriteSummaryReport();
// The report's reckoning alone: settles RingsToAnswer and AutoAnswer and
// gives the row of the line arrangement (1 to 4) that picks its section.
int SettleAnswering();

namespace SummaryReport {
// The summary's macros ("faxnum", "voicenum", "name", "company",
// "rings_to_answer", "distinct_type", "blank_line") from FaxSettings.
void MacroCallback(const char* name, char* value, int room);
// Expands one template line in place in its 256-byte buffer and ends it with
// CR LF; the text is cut first where CR LF would not fit.
const int LineSize = 256;
void FormatLine(char* line);
}  // namespace SummaryReport
