#include "zone.h"

ZONERULES ZoneRules;

/* TODO(issue 4) */
void ApplyZoneText(LPCSTR) {}
const TimeFields *LocalTimeOf(LONG) { return NULL; }
int IsDaylightTime(int, int, int) { return 0; }
