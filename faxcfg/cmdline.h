// faxcfg's command line: split as a C program's arguments are, then read as
// options.
#pragma once
#include <string>
#include <vector>

// The arguments after the program's name: blanks and tabs part them outside
// double quotes; "\"" is a quote within an argument and backslashes count
// only before a quote. Double-byte characters stay whole, so a second byte
// that looks like a backslash or a quote is neither.
std::vector<std::string> SplitCommandLine(const char* commandLine);

enum FaxcfgAction {
    ActionNone,
    ActionHelp,
    ActionAnswers,
    ActionExport,
    ActionCheck,
    ActionRestore,
    ActionPolicies,
};

struct FaxcfgOptions {
    FaxcfgAction Action = ActionNone;
    std::string File;    // the answer file read or written; the folder /restore reads
    std::string Backup;  // /answers: the folder that keeps what was stored before
    bool ThisPc = false;  // /export /pc: the section of this computer, not [Fax]
    std::string Log;
    bool DeviceGiven = false;
    long DeviceId = 0;
    std::string Error;  // why the command line is not one faxcfg takes
};

// Options start with "/" or "-" and are read without regard to case; the
// argument after /answers, /export, /check, /restore, /backup, /device and
// /log is their value, even when it starts with "-". /policies and /pc take
// none; /backup goes with /answers only, /pc with /export only.
FaxcfgOptions ParseFaxcfgOptions(const std::vector<std::string>& arguments);
