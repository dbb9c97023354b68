// What the pages' text fields let a person type, for every other source of
// a value (an answer file, a policy) to be held to the same rules.
#pragma once
#include <string>

// The pages' text fields and the bytes each lets a person type (the ANSI
// code page's bytes: a double-byte character counts two).
enum RoadField { RoadNameField, RoadCompanyField, RoadNumberField };
const int RoadNameLimit = 25;  // the header has room for 25 characters of name
const int RoadCompanyLimit = 255;
const int RoadNumberLimit = 20;

// Why a text is not one a person could have typed into the field.
enum RoadTypedFault {
    RoadTypedFits = 0,
    RoadTypedControlChar,   // a line break, a tab or another control character
    RoadTypedNotAdmitted,   // a character the field does not let through
    RoadTypedTooLong,       // more bytes than the field takes
};
RoadTypedFault CheckTyped(RoadField field, const char* text);
int RoadFieldLimit(RoadField field);

// Why a value is not taken, in words for a log: "holds ...", "is longer ...".
std::string TypedFaultText(RoadTypedFault fault, RoadField field);
