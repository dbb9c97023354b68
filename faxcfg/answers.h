// The answer file: section [Fax] of an INI file, keys named as the product
// INI names them. Read into the road's answers with the fields' checks, and
// written from the settings as they stand.
#pragma once
#include <string>
#include <vector>

#include "road/road.h"

// One answer that cannot be taken: the key and why.
struct AnswerRefusal {
    std::string Key;
    std::string Why;
};

enum AnswerFileState { AnswerFileRead, AnswerFileMissing, AnswerFileNoSection };

// Section [Fax] holds the answers of every PC; a section [Fax:<computer
// name>] (any case) those of one PC, key by key over [Fax].
struct AnswerFile {
    AnswerFileState State = AnswerFileMissing;
    std::vector<std::string> Keys;  // of both sections, as the file spells them
    bool Common = false;            // it has [Fax]
    std::string PcSection;          // this PC's section as the file spells it; empty: none
};

// "Fax:" and this computer's NetBIOS name.
std::string ThisPcSection();

// Full path of file, as the INI functions need it (a bare name would mean
// the Windows folder to them).
std::string FullPath(const std::string& file);

AnswerFile ReadAnswerFile(const std::string& path);

// The answers of the file over start (the answers the wizard would show): a
// key missing from the file keeps start's value. Every answer that fails a
// field's check is put in refused; applied and ignored get one line for each
// key taken or left aside, kept one for each key a policy holds (start has
// the policy's value there, and the file cannot change it).
RoadAnswers TakeAnswers(const std::string& path, const AnswerFile& file, const RoadAnswers& start,
                        bool deviceOptionAsked, std::vector<AnswerRefusal>* refused,
                        std::vector<std::string>* applied, std::vector<std::string>* ignored,
                        std::vector<std::string>* kept);

// The key an answer refused by the road is about, and why.
AnswerRefusal DescribeRoadRefusal(RoadRefusal refusal);

// Writes the answers into the section ([Fax] or this PC's) of the file;
// DeviceOption only when the device asks it. False when the file cannot be
// written.
bool WriteAnswerFile(const std::string& path, const std::string& section,
                     const RoadAnswers& answers, bool deviceOptionAsked);
