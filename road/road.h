// The road through the wizard's answers, kept in one place: what each page
// does to FaxSettings when it is left, what the summary works out, and what
// the end of the wizard stores. The pages call it with what a person typed
// and chose; a program that sets up the fax without a person calls it with
// answers of its own, so both take exactly the same road.
#pragma once
#include "framework/cstring.h"
#include "settings/faxsettings.h"
#include "settings/fieldrules.h"

// Why an answer is not taken. The pages tell the person; others name the answer.
enum RoadRefusal {
    RoadAccepted = 0,
    RoadFaxNumberEmpty,     // the fax number of a dedicated line
    RoadSharedNumberEmpty,  // the one number of a shared line
    RoadSameNumbers,        // a dedicated line whose two numbers have the same digits
};

// Leaving a page: Next may refuse an answer, Back keeps whatever was typed.
enum RoadMove { RoadBack, RoadNext };

// A text as the settings keep it: one line (another program can put line
// breaks into a field), without white space at either end.
CString RoadText(const char* typed);

// Page 2808.
void AnswerIdentity(const char* company, const char* userName);
// Page 2821.
void AnswerDeviceOption(bool on);
// Page 2810.
void AnswerDedicatedLine(bool dedicated);
// Page 2811: Next refuses an empty number and keeps the one before.
RoadRefusal AnswerFaxNumber(const char* typed, RoadMove move);
// Page 2812: an empty voice number is an answer too.
void AnswerVoiceNumber(const char* typed);
// Page 2818, asked when both numbers have the same digits: a dedicated line
// keeps them to be corrected; a shared line drops the voice number.
void AnswerSameNumber(bool dedicated);
// Page 2813: the one number of a shared line is both numbers. Next refuses
// an empty number and keeps both numbers as they were.
RoadRefusal AnswerSharedLineNumber(const char* typed, RoadMove move);
// Page 2814.
void AnswerAnsweringMachine(bool present);
// Page 2815.
void AnswerModem(bool present);

// The answers a person gives on the pages, as plain values.
struct RoadAnswers {
    CString UserName;
    CString Company;
    CString FaxNumber;
    CString VoiceNumber;  // a dedicated line's; a shared line has the fax number only
    bool DedicatedLine = true;
    bool TAM = false;      // asked on a shared line only
    bool Modem = false;
    bool DeviceOption = false;  // asked only when the device reports the option
};

// The answers the pages would show now: what LoadFaxSettings gave, or what
// was answered since.
RoadAnswers CurrentAnswers();

// Walks the pages with the answers, Next on each, along the road they
// choose; a question the road does not pass keeps its value, as it does in
// the wizard. A refused answer leaves the settings as they were.
RoadRefusal ApplyAnswers(const RoadAnswers& answers);

// The summary page: settles RingsToAnswer and AutoAnswer from the line
// answers and the device, and writes "summary.txt".
void SummarizeRoad();
// The same reckoning without the report, for a program that compares what
// the end would store with what is stored.
void SettleRoad();

// Everything the wizard stores when it is finished: the mark that setup has
// run, and the settings in the INI files, the registry and the device.
// True when the device was reached and took every value.
bool StoreRoad();
