/* Zone texts such as "PST8PDT" and local time by our own daylight rule. */
#ifndef KALVEX_ZONE_H
#define KALVEX_ZONE_H

#include "../app/kalvex.h"

struct ZONERULES {
    LONG lOffset;           /* UTC minus local standard time, seconds */
    LONG bDaylight;
    char szStdName[4];
    char szDstName[4];
};

struct TimeFields {
    LONG iSec, iMin, iHour, iMday, iMon, iYear, iWday, iYday, bIsDst;
};

extern ZONERULES ZoneRules;

void ApplyZoneText(LPCSTR lpsZone);
const TimeFields *LocalTimeOf(LONGLONG t);  /* NULL: no local time */
int IsDaylightTime(int iHour, int iYday, int iYear);

#endif
