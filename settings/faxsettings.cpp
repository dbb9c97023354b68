#include "settings/faxsettings.h"

const long RingPatternTable[RingPatternCount] = {1, 2, 4, 6, 7};

CFaxSettings FaxSettings;

CFaxSettings::CFaxSettings()
    : RingPatternIndex(0),
      DeviceClient(0),
      ObjectChannel(0),
      DistinctiveRing(0),
      DedicatedLine(1),
      TAM(0),
      Modem(0),
      RingsToAnswer(1),
      AutoAnswer(1),
      DeviceOptionSupported(0),
      DeviceOption(0) {
    // DeviceId is left for start-up to set.
}

CFaxSettings::~CFaxSettings() {}
