#include "settings/fieldrules.h"

#include <string.h>

#include "maker/uiext/uiext.h"

int RoadFieldLimit(RoadField field) {
    switch (field) {
    case RoadNameField: return RoadNameLimit;
    case RoadCompanyField: return RoadCompanyLimit;
    default: return RoadNumberLimit;
    }
}

RoadTypedFault CheckTyped(RoadField field, const char* text) {
    if (!text) return RoadTypedFits;
    for (const unsigned char* p = (const unsigned char*)text; *p; ++p)
        if (*p < 0x20 || *p == 0x7F) return RoadTypedControlChar;
    // The fields' own filters decide, so that both answer alike.
    CFaxIdEdit numberField;
    CFaxHeaderField headerField;
    const CFilteredEdit& filter =
        field == RoadNumberField ? (const CFilteredEdit&)numberField : headerField;
    if (strcmp(filter.Filter(text), text) != 0) return RoadTypedNotAdmitted;
    if ((int)strlen(text) > RoadFieldLimit(field)) return RoadTypedTooLong;
    return RoadTypedFits;
}

std::string TypedFaultText(RoadTypedFault fault, RoadField field) {
    switch (fault) {
    case RoadTypedControlChar:
        return "holds a control character (a line break or a tab), which no field takes";
    case RoadTypedNotAdmitted:
        return field == RoadNumberField
                   ? "holds a character a number field does not take (digits, blanks and "
                     "+ - ( ) . / * # , only)"
                   : "holds a character the field does not take";
    case RoadTypedTooLong:
        return "is longer than the field's " + std::to_string(RoadFieldLimit(field)) + " bytes";
    default:
        return std::string();
    }
}

