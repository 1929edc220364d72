/* Zone texts and local time.
 *
 * These rules are deliberately our own: the C runtime reads TZ by other
 * rules and the platform follows its own transition dates, but the time we
 * show follows the zone text the user typed, by one fixed daylight rule,
 * whatever the machine's database says.  They shape only what is shown:
 * the clock takes the instant itself, in UTC. */
#include "zone.h"
#include "../app/seams.h"
#include "../app/text.h"

ZONERULES ZoneRules;            /* rebuilt by ApplyZoneText at every Time answer */
static TimeFields tmLocal;      /* the one record that LocalTimeOf hands out */

#define SECS_PER_DAY    86400
#define SECS_PER_HOUR   3600
#define EPOCH_YEAR      1970
#define EPOCH_WEEKDAY   4       /* 1970-01-01 was a Thursday */
#define FEB29_YDAY      59
#define DAYS_PER_400Y   146097  /* any 400 years in a row hold 97 leap days */
#define LEAPS_BEFORE_1970 (1969 / 4 - 1969 / 100 + 1969 / 400)
/* The last local second we give a time for: 9999-12-31 23:59:59, where
 * the four digits of the year shown end.  It lies far beyond any answer in
 * any zone; the bound keeps the arithmetic sound for every 64-bit instant. */
#define LAST_LOCAL_SECOND 253402300799LL

static const int aiMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
static const int aiDaysBefore[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

/* Only ASCII counts: a byte above 127 is a letter in some code page or
 * other, and the zone must not depend on which one the user runs. */
static BOOL bIsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

/* The Gregorian rule: 2100 is a common year, and the Time service's
 * answers reach 2106. */
static BOOL bIsLeapYear(LONGLONG llYear)
{
    return llYear % 4 == 0 && (llYear % 100 != 0 || llYear % 400 == 0);
}

/* Days from 1970-01-01 to 1 January of llYear (negative before 1970). */
static LONGLONG llDaysBeforeYear(LONGLONG llYear)
{
    LONGLONG y = llYear - 1;

    return 365 * (llYear - EPOCH_YEAR) + (y / 4 - y / 100 + y / 400) - LEAPS_BEFORE_1970;
}

/* Reads the whole hours at lps (a sign, then digits) as seconds.  Fails
 * when they do not fit the 32-bit offset: a clipped or wrapped offset would
 * show a time the user never asked for. */
static BOOL bReadOffset(LPCSTR lps, LONG *plOffset)
{
    /* one past the largest hour count whose seconds still fit */
    const LONGLONG llHourLimit = 0x80000000LL / SECS_PER_HOUR + 1;
    BOOL bNegative = FALSE;
    LONGLONG llHours = 0;
    LONGLONG llSeconds;

    if (*lps == '+' || *lps == '-') {
        bNegative = *lps == '-';
        ++lps;
    }
    for (; bIsDigit(*lps); ++lps) {
        llHours = llHours * 10 + (*lps - '0');
        if (llHours > llHourLimit)
            return FALSE;
    }
    llSeconds = (bNegative ? -llHours : llHours) * SECS_PER_HOUR;
    if (llSeconds < -0x80000000LL || llSeconds > 0x7FFFFFFFLL)
        return FALSE;
    *plOffset = (LONG)llSeconds;
    return TRUE;
}

/* Builds ZoneRules from a zone text such as "PST8PDT".  Leaves them alone
 * and fails when the text does not name a zone by our rules.  Every index
 * below is reached only after the bytes before it proved not to be the
 * terminator, so no text is read past its end. */
static BOOL bReadZoneText(LPCSTR lps)
{
    LONG lOffset;
    LPCSTR p;

    /* exactly three letters of standard name, then the offset at once */
    if (!bIsLetter(lps[0]) || !bIsLetter(lps[1]) || !bIsLetter(lps[2]))
        return FALSE;
    if (lps[3] != '+' && lps[3] != '-' && !bIsDigit(lps[3]))
        return FALSE;
    if (!bIsDigit(lps[3]) && !bIsDigit(lps[4]))
        return FALSE;
    if (!bReadOffset(lps + 3, &lOffset))
        return FALSE;

    ZeroMemory(ZoneRules.szDstName, sizeof(ZoneRules.szDstName));
    lstrcpynA(ZoneRules.szStdName, lps, sizeof(ZoneRules.szStdName));
    ZoneRules.lOffset = lOffset;
    ZoneRules.bDaylight = 0;

    /* The first letter after the offset alone decides on daylight time;
     * anything after a daylight name (such as transition dates) is ignored
     * because the built-in rule always applies. */
    for (p = lps + 3; *p && !bIsLetter(*p); ++p)
        ;
    if (bIsLetter(p[0]) && bIsLetter(p[1]) && bIsLetter(p[2])) {
        lstrcpynA(ZoneRules.szDstName, p, sizeof(ZoneRules.szDstName));
        ZoneRules.bDaylight = 1;
    }
    return TRUE;
}

/* The operating system's zone, for texts we cannot read.  Its names are
 * not ours to show, and only its daylight state at this moment counts:
 * the days of daylight time still follow our own rule. */
static void vZoneFromSystem(void)
{
    TIME_ZONE_INFORMATION tzi;
    DWORD dwZoneId;
    LONGLONG llOffset;

    ZeroMemory(&tzi, sizeof(tzi));
    dwZoneId = pfnGetTimeZoneInformation(&tzi);
    ZeroMemory(ZoneRules.szStdName, sizeof(ZoneRules.szStdName));
    ZeroMemory(ZoneRules.szDstName, sizeof(ZoneRules.szDstName));
    ZoneRules.lOffset = 0;
    ZoneRules.bDaylight = 0;

    /* A failed query leaves tzi undefined: UTC without daylight time is
     * the one zone that needs nothing from it. */
    if (dwZoneId == TIME_ZONE_ID_INVALID)
        return;
    llOffset = ((LONGLONG)tzi.Bias + tzi.StandardBias) * 60;
    if (llOffset >= -0x80000000LL && llOffset <= 0x7FFFFFFFLL)
        ZoneRules.lOffset = (LONG)llOffset;
    ZoneRules.bDaylight = dwZoneId == TIME_ZONE_ID_DAYLIGHT;
}

void ApplyZoneText(LPCSTR lpsZone)
{
    char szZone[40];    /* the TimeZone field's 39 characters; longer texts are cut */

    lstrcpynA(szZone, lpsZone ? lpsZone : "", sizeof(szZone));
    /* Kept though nothing here reads TZ: a C runtime time call in this
     * process, or a program started from it, takes the zone typed here. */
    SetEnvironmentVariableA("TZ", szZone[0] ? szZone : NULL);
    if (!bReadZoneText(szZone))
        vZoneFromSystem();
}

/* Day of the year of the Sunday on or before day iYday of iYear. */
static int iSundayOnOrBefore(int iYday, int iYear)
{
    LONGLONG w = (llDaysBeforeYear(iYear) + iYday + EPOCH_WEEKDAY) % 7;

    if (w < 0)
        w += 7;
    return iYday - (int)w;
}

/* The daylight windows, latest first: from the first year of a row on,
 * daylight time starts on the Sunday on or before the start day and ends on
 * the Sunday on or before the end day (months from 0, days from 1). */
static const struct {
    int iFirstYear, iStartMon, iStartDay, iEndMon, iEndDay;
} aDaylightWindows[] = {
    {2007, 2, 14, 10, 7},       /* second Sunday of March to first of November */
    {1987, 3, 7, 9, 31},        /* first Sunday of April to last of October */
    {0, 3, 30, 9, 31},          /* last Sunday of April to last of October */
};

int IsDaylightTime(int iHour, int iYday, int iYear)
{
    BOOL bLeap = bIsLeapYear(iYear);
    int iLook = iYday;
    int iMon = 0;
    int iChange;
    int iRule = 0;

    /* 29 February must count as February when finding the month */
    if (bLeap && iYday >= FEB29_YDAY)
        --iLook;
    while (iMon < 11 && iLook >= aiDaysBefore[iMon + 1])
        ++iMon;
    while (iYear < aDaylightWindows[iRule].iFirstYear)
        ++iRule;

    /* daylight from 02:00 standard time on the start Sunday */
    if (iMon == aDaylightWindows[iRule].iStartMon) {
        iChange = iSundayOnOrBefore(aiDaysBefore[iMon] + aDaylightWindows[iRule].iStartDay - 1
                                    + bLeap, iYear);
        if (iYday != iChange)
            return iYday > iChange;
        return iHour >= 2;
    }
    /* and until standard time reaches 02:00 on the end Sunday, which is
     * 03:00 daylight time */
    if (iMon == aDaylightWindows[iRule].iEndMon) {
        iChange = iSundayOnOrBefore(aiDaysBefore[iMon] + aDaylightWindows[iRule].iEndDay - 1
                                    + bLeap, iYear);
        if (iYday != iChange)
            return iYday < iChange;
        return iHour < 2;
    }
    return iMon > aDaylightWindows[iRule].iStartMon && iMon < aDaylightWindows[iRule].iEndMon;
}

/* Local seconds since 1970-01-01 into every field but the daylight flag. */
static void vSplitSeconds(LONGLONG llSecs, TimeFields *ptm)
{
    LONGLONG llDays = llSecs / SECS_PER_DAY;
    LONGLONG llYear = EPOCH_YEAR;
    LONGLONG llLeft;
    int iMon, iMonDays;

    ptm->iSec = (LONG)(llSecs % 60);
    ptm->iMin = (LONG)(llSecs / 60 % 60);
    ptm->iHour = (LONG)(llSecs / SECS_PER_HOUR % 24);
    ptm->iWday = (LONG)((llDays + EPOCH_WEEKDAY) % 7);

    /* whole 400-year cycles first, so that no instant takes more than 400
     * steps below */
    llYear += 400 * (llDays / DAYS_PER_400Y);
    llLeft = llDays % DAYS_PER_400Y;
    while (llLeft >= 365 + bIsLeapYear(llYear)) {
        llLeft -= 365 + bIsLeapYear(llYear);
        ++llYear;
    }
    ptm->iYear = (LONG)(llYear - 1900);
    ptm->iYday = (LONG)llLeft;

    for (iMon = 0; iMon < 11; ++iMon) {
        iMonDays = aiMonthDays[iMon] + (iMon == 1 && bIsLeapYear(llYear));
        if (llLeft < iMonDays)
            break;
        llLeft -= iMonDays;
    }
    ptm->iMon = iMon;
    ptm->iMday = (LONG)llLeft + 1;
}

const TimeFields *LocalTimeOf(LONGLONG t)
{
    LONGLONG llSecs;
    TimeFields tm;

    /* compared before the subtraction, which could not overflow then */
    if (t < ZoneRules.lOffset || t > LAST_LOCAL_SECOND + ZoneRules.lOffset)
        return NULL;
    llSecs = t - ZoneRules.lOffset;
    vSplitSeconds(llSecs, &tm);
    tm.bIsDst = 0;
    if (ZoneRules.bDaylight && IsDaylightTime(tm.iHour, tm.iYday, tm.iYear + 1900)) {
        vSplitSeconds(llSecs + SECS_PER_HOUR, &tm);
        tm.bIsDst = 1;
    }
    tmLocal = tm;
    return &tmLocal;
}
