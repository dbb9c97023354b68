#include "road/road.h"

#include <string.h>

#include "common/util.h"
#include "maker/uiext/uiext.h"
#include "road/setupmarks.h"
#include "settings/policy.h"
#include "summary/summary.h"

CString RoadText(const char* typed) {
    CString text(typed ? typed : "");
    BlankControlChars(text.GetBuffer(text.GetLength()));
    text.ReleaseBuffer();
    text.Trim();
    return text;
}

namespace {

// What a policy holds is the answer, whatever was typed or chosen.
CString Held(PolicyValue value, const char* typed) {
    return PolicyHolds(value) ? ActivePolicies.Text[value] : RoadText(typed);
}

bool Held(PolicyValue value, bool chosen) {
    return PolicyHolds(value) ? ActivePolicies.Flag[value] : chosen;
}

}  // namespace

void AnswerIdentity(const char* company, const char* userName) {
    FaxSettings.Company = Held(PolicyCompany, company);
    FaxSettings.UserName = Held(PolicyUserName, userName);
}

void AnswerDeviceOption(bool on) {
    FaxSettings.DeviceOption = Held(PolicyDeviceOption, on) ? 1 : 0;
}

void AnswerDedicatedLine(bool dedicated) {
    FaxSettings.DedicatedLine = Held(PolicyDedicatedLine, dedicated) ? 1 : 0;
}

RoadRefusal AnswerFaxNumber(const char* typed, RoadMove move) {
    CString number = Held(PolicyFaxNumber, typed);
    // The device cannot be called without its number; going back never refuses.
    if (move == RoadNext && number.IsEmpty()) return RoadFaxNumberEmpty;
    FaxSettings.FaxNumber = number;
    return RoadAccepted;
}

void AnswerVoiceNumber(const char* typed) {
    FaxSettings.VoiceNumber = Held(PolicyVoiceNumber, typed);
}

void AnswerSameNumber(bool dedicated) {
    dedicated = Held(PolicyDedicatedLine, dedicated);
    // A shared line has one number, which the shared-line page asks for.
    if (!dedicated) FaxSettings.VoiceNumber.Empty();
    AnswerDedicatedLine(dedicated);
}

RoadRefusal AnswerSharedLineNumber(const char* typed, RoadMove move) {
    CString number = Held(PolicyFaxNumber, typed);
    if (move == RoadNext && number.IsEmpty()) return RoadSharedNumberEmpty;
    FaxSettings.FaxNumber = number;
    FaxSettings.VoiceNumber = number;
    return RoadAccepted;
}

void AnswerAnsweringMachine(bool present) { FaxSettings.TAM = Held(PolicyTAM, present) ? 1 : 0; }

void AnswerModem(bool present) { FaxSettings.Modem = Held(PolicyModem, present) ? 1 : 0; }

RoadAnswers CurrentAnswers() {
    RoadAnswers answers;
    answers.UserName = FaxSettings.UserName;
    answers.Company = FaxSettings.Company;
    answers.FaxNumber = FaxSettings.FaxNumber;
    answers.VoiceNumber = FaxSettings.VoiceNumber;
    answers.DedicatedLine = FaxSettings.DedicatedLine != 0;
    answers.TAM = FaxSettings.TAM != 0;
    answers.Modem = FaxSettings.Modem != 0;
    answers.DeviceOption = FaxSettings.DeviceOption != 0;
    return answers;
}

namespace {

// Puts the answers back as they were, without the pages' rules: they were
// taken from the record itself.
void PutBack(const RoadAnswers& answers) {
    FaxSettings.UserName = answers.UserName;
    FaxSettings.Company = answers.Company;
    FaxSettings.FaxNumber = answers.FaxNumber;
    FaxSettings.VoiceNumber = answers.VoiceNumber;
    FaxSettings.DedicatedLine = answers.DedicatedLine ? 1 : 0;
    FaxSettings.TAM = answers.TAM ? 1 : 0;
    FaxSettings.Modem = answers.Modem ? 1 : 0;
    FaxSettings.DeviceOption = answers.DeviceOption ? 1 : 0;
}

RoadRefusal Walk(const RoadAnswers& answers) {
    AnswerIdentity(answers.Company, answers.UserName);
    if (FaxSettings.DeviceOptionSupported) AnswerDeviceOption(answers.DeviceOption);
    AnswerDedicatedLine(answers.DedicatedLine);
    // The road the settings now take: a policy may hold the line.
    if (FaxSettings.DedicatedLine) {
        if (RoadRefusal refused = AnswerFaxNumber(answers.FaxNumber, RoadNext)) return refused;
        AnswerVoiceNumber(answers.VoiceNumber);
        // The wizard lets no dedicated line past with one number for both;
        // without a person to ask again, the answers are refused.
        if (FaxSettings.SameFaxAndVoiceNumber()) return RoadSameNumbers;
    } else {
        RoadRefusal refused = AnswerSharedLineNumber(answers.FaxNumber, RoadNext);
        if (refused) return refused;
        AnswerAnsweringMachine(answers.TAM);
    }
    AnswerModem(answers.Modem);
    return RoadAccepted;
}

}  // namespace

RoadRefusal ApplyAnswers(const RoadAnswers& answers) {
    RoadAnswers before = CurrentAnswers();
    RoadRefusal refused = Walk(answers);
    if (refused) PutBack(before);
    return refused;
}

void SummarizeRoad() { WriteSummaryReport(); }

void SettleRoad() { SettleAnswering(); }

bool StoreRoad() {
    // In the wizard's order: Finish marks setup as run, then the end saves.
    ClearRunSetupWizard();
    int deviceTookAll = 0;
    FaxSettings.SaveFaxSettings(&deviceTookAll);
    return deviceTookAll != 0;
}
