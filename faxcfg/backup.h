// What /answers is about to overwrite, kept in a folder so that /restore can
// put it back: the installer's rollback of an install that configured the fax
// and then failed. The product INI and the summary as files, the printer's
// section of the registration INI key by key, the mark, and the printer's
// values when it is reached.
#pragma once
#include <string>
#include <vector>

// summary.txt in the data folder, as the summary writes it.
std::string SummaryPath();

// Writes the backup of FaxSettings' files and device into folder (made when
// missing). False, with why, when any part cannot be written: the caller
// then stores nothing.
bool SaveBackup(const std::string& folder, std::string* why);

// The printer a backup in folder was made for; 0 when there is none.
long BackupDevice(const std::string& folder);

enum RestoreResult {
    RestoreDone,
    RestoreNoBackup,       // no complete backup in the folder
    RestoreIncomplete,     // something could not be put back (lines say what)
    RestoreDeviceMissed,   // everything but the printer, which was not reached
};

// Puts back what the backup holds; one line per thing put back or not.
RestoreResult RestoreBackup(const std::string& folder, std::vector<std::string>* lines);
