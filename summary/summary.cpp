#include "summary/summary.h"

#include <stdio.h>
#include <string.h>

#include "app/profile.h"
#include "common/util.h"
#include "framework/resource.h"
#include "settings/faxsettings.h"
#include "settings/macro.h"

namespace {

// String resources of the resource module.
const UINT kIdsPattern0 = 5519;
const UINT kIdsPattern1 = 5520;
const UINT kIdsPattern2 = 5521;
const UINT kIdsNotSet = 5522;
const UINT kIdsPattern3 = 5525;

const int kLineSize = 256;
// Room for CR LF and the terminator in the line buffer.
const int kLineText = kLineSize - 3;

bool Is(const char* name, const char* macro) {
    return CompareNames(name, macro) == 0;
}

void CopyString(char* value, int room, UINT id) {
    CopyBounded(value, LoadStringStatic(id, AfxGetResourceHandle()), (short)room);
}

void CopyField(char* value, int room, const char* text) {
    if (text && *text)
        CopyBounded(value, text, (short)room);
    else
        CopyString(value, room, kIdsNotSet);
}

// Ends text after at most count bytes, never inside a double-byte character.
void CutLine(char* text, int count) {
    int n = 0;
    while (text[n]) {
        int step = IsDBCSLeadByte((BYTE)text[n]) && text[n + 1] ? 2 : 1;
        if (n + step > count) break;
        n += step;
    }
    text[n] = '\0';
}

void WriteSection(HANDLE file, const char* section, const char* templatePath) {
    char line[kLineSize];
    for (int n = 1;; ++n) {
        ReadIniNumberedString(section, n, line, sizeof line, templatePath);
        if (!line[0] || Is(line, "EOS")) break;
        SummaryReport::FormatLine(line);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE)
            WriteFile(file, line, (DWORD)strlen(line), &written, nullptr);
    }
}

}  // namespace

namespace SummaryReport {

void MacroCallback(const char* name, char* value, int room) {
    if (!name || !value || room <= 0) return;
    if (room > MacroValueSize) room = MacroValueSize;
    value[0] = '\0';
    if (Is(name, "faxnum")) {
        CopyField(value, room, FaxSettings.FaxNumber);
    } else if (Is(name, "voicenum")) {
        CopyField(value, room, FaxSettings.VoiceNumber);
    } else if (Is(name, "name")) {
        CopyField(value, room, FaxSettings.UserName);
    } else if (Is(name, "company")) {
        CopyField(value, room, FaxSettings.Company);
    } else if (Is(name, "rings_to_answer")) {
        if (FaxSettings.RingsToAnswer != 0)
            snprintf(value, (size_t)room, "%ld", FaxSettings.RingsToAnswer);
        else
            CopyString(value, room, kIdsNotSet);
    } else if (Is(name, "distinct_type")) {
        static const UINT patterns[] = {kIdsPattern0, kIdsPattern1, kIdsPattern2, kIdsPattern3};
        long i = FaxSettings.RingPatternIndex;
        if (i >= 0 && i < 4) CopyString(value, room, patterns[i]);
    } else if (Is(name, "blank_line")) {
        CopyBounded(value, " ", (short)room);
    }
}

void FormatLine(char* line) {
    if (!line) return;
    line[kLineSize - 1] = '\0';
    ExpandMacroText(line, kLineSize, 1, MacroCallback);
    // A longer line would leave no room for its CR LF.
    CutLine(line, kLineText);
    strcat(line, "\r\n");
}

}  // namespace SummaryReport

int SettleAnswering() {
    long machineRings = FaxSettings.GetAnsweringMachineRings();
    long defaultRings = FaxSettings.GetDefaultRings();

    int row;
    if (FaxSettings.DistinctiveRing) {
        row = 1;
        FaxSettings.AutoAnswer = 1;
        FaxSettings.RingsToAnswer = defaultRings;
    } else if (FaxSettings.DedicatedLine) {
        row = 2;
        FaxSettings.AutoAnswer = 1;
        FaxSettings.RingsToAnswer = defaultRings;
    } else if (FaxSettings.TAM) {
        row = 3;
        FaxSettings.AutoAnswer = 1;
        FaxSettings.RingsToAnswer = machineRings;
    } else {
        row = 4;
        FaxSettings.AutoAnswer = 0;
        FaxSettings.RingsToAnswer = defaultRings;
    }
    return row;
}

void WriteSummaryReport() {
    int row = SettleAnswering();
    char section[16];
    snprintf(section, sizeof section, "summary%d", FaxSettings.Modem ? row * 2 - 1 : row * 2);

    // Without a data directory there is no place for the report; writing it
    // to the root of the current drive would surprise everyone.
    const char* dataDir = FaxSettings.DataDir;
    if (!*dataDir || strlen(dataDir) + sizeof "\\summary.ini" > MAX_PATH) return;
    char templatePath[MAX_PATH], reportPath[MAX_PATH];
    JoinPath(dataDir, "summary.ini", templatePath, sizeof templatePath);
    JoinPath(dataDir, "summary.txt", reportPath, sizeof reportPath);

    HANDLE file = CreateFileA(reportPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
    WriteSection(file, "common", templatePath);
    WriteSection(file, section, templatePath);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}
