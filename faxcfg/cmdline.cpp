#include "faxcfg/cmdline.h"

#include <windows.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Bytes of the character at p: two for a whole double-byte character.
int CharSize(const char* p) { return IsDBCSLeadByte((BYTE)p[0]) && p[1] ? 2 : 1; }

bool SameOption(const std::string& option, const char* name) {
    return lstrcmpiA(option.c_str() + 1, name) == 0;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* commandLine) {
    std::vector<std::string> arguments;
    if (!commandLine) return arguments;
    const char* p = commandLine;
    // The program's name: quoted as a whole or up to the first blank, with
    // no backslash rules.
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') p += CharSize(p);
        if (*p) ++p;
    } else {
        while (*p && !IsBlank(*p)) p += CharSize(p);
    }
    for (;;) {
        while (IsBlank(*p)) ++p;
        if (!*p) break;
        std::string argument;
        bool quoted = false;
        while (*p && (quoted || !IsBlank(*p))) {
            if (*p == '\\') {
                size_t slashes = 0;
                while (p[slashes] == '\\') ++slashes;
                if (p[slashes] == '"') {
                    argument.append(slashes / 2, '\\');
                    p += slashes;
                    if (slashes % 2) {
                        argument += '"';
                        ++p;
                    }
                } else {
                    argument.append(slashes, '\\');
                    p += slashes;
                }
                continue;
            }
            if (*p == '"') {
                if (quoted && p[1] == '"') {  // "" inside quotes is one quote
                    argument += '"';
                    p += 2;
                    continue;
                }
                quoted = !quoted;
                ++p;
                continue;
            }
            int size = CharSize(p);
            argument.append(p, (size_t)size);
            p += size;
        }
        arguments.push_back(argument);
    }
    return arguments;
}

FaxcfgOptions ParseFaxcfgOptions(const std::vector<std::string>& arguments) {
    FaxcfgOptions options;
    bool logGiven = false;
    for (size_t i = 0; i < arguments.size() && options.Error.empty(); ++i) {
        const std::string& option = arguments[i];
        if (option.size() < 2 || (option[0] != '/' && option[0] != '-')) {
            options.Error = "\"" + option + "\" is not an option";
            break;
        }
        if (SameOption(option, "?") || SameOption(option, "h") || SameOption(option, "help")) {
            options.Action = ActionHelp;
            return options;
        }
        struct Named {
            const char* name;
            FaxcfgAction action;
        };
        const Named actions[] = {{"answers", ActionAnswers},
                                 {"export", ActionExport},
                                 {"check", ActionCheck},
                                 {"restore", ActionRestore}};
        FaxcfgAction action = ActionNone;
        for (const Named& named : actions)
            if (SameOption(option, named.name)) action = named.action;
        bool device = SameOption(option, "device"), log = SameOption(option, "log");
        bool backup = SameOption(option, "backup");
        // The options without a value.
        if (SameOption(option, "pc")) {
            options.ThisPc = true;
            continue;
        }
        if (SameOption(option, "policies")) {
            if (options.Action != ActionNone) {
                options.Error = "only one of /answers, /export, /check, /restore and /policies, once";
                break;
            }
            options.Action = ActionPolicies;
            continue;
        }
        if (action == ActionNone && !device && !log && !backup) {
            options.Error = "unknown option " + option;
            break;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            options.Error = option + " needs a value";
            break;
        }
        const std::string& value = arguments[++i];
        if (action != ActionNone) {
            if (options.Action != ActionNone) {
                options.Error = "only one of /answers, /export, /check, /restore and /policies, once";
                break;
            }
            options.Action = action;
            options.File = value;
        } else if (backup) {
            if (!options.Backup.empty()) {
                options.Error = "/backup given twice";
                break;
            }
            options.Backup = value;
        } else if (device) {
            char* end = nullptr;
            errno = 0;
            long id = strtol(value.c_str(), &end, 10);
            if (options.DeviceGiven || errno || !*value.c_str() || *end) {
                options.Error = options.DeviceGiven ? "/device given twice"
                                                    : "\"" + value + "\" is not a device id";
                break;
            }
            options.DeviceGiven = true;
            options.DeviceId = id;
        } else {
            if (logGiven) {
                options.Error = "/log given twice";
                break;
            }
            logGiven = true;
            options.Log = value;
        }
    }
    if (options.Error.empty() && options.Action == ActionNone)
        options.Error = "/answers, /export, /check, /restore or /policies is needed";
    if (options.Error.empty() && !options.Backup.empty() && options.Action != ActionAnswers)
        options.Error = "/backup goes with /answers only";
    if (options.Error.empty() && options.ThisPc && options.Action != ActionExport)
        options.Error = "/pc goes with /export only";
    return options;
}
