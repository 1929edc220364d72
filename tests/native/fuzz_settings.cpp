/* The settings as the file gives them and as the fields hold them at
 * Start: the numbers (Interval with its unit, Alarm, Minimize, Stop and the
 * hourly Rate), the host list, and then the meter's texts.  Whatever the
 * file holds, reading it twice or saving twice changes nothing more.
 * Input: the time on line in milliseconds (4 bytes), then, each ended by a
 * NUL, the five numbers' texts in that order, the HostList value, and
 * names added to the list (separated by ";"). */
#include <float.h>
#include <limits.h>

#include <algorithm>

#include "fakes.h"
#include "../../controller/hostlist.h"
#include "../../controller/meter.h"
#include "../../controller/pinger.h"
#include "../../controller/settings.h"

/* The C library's reading of a decimal number, held to an int. */
static int iStrtoll(const std::string &s)
{
    long long ll = strtoll(s.c_str(), NULL, 10);
    return (int)std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, ll));
}

/* The rate as the C library reads a plain decimal number; infinities,
 * NaNs and hexadecimal forms are no rate. */
static float fRate(const std::string &s)
{
    char *lpsEnd;
    double d = strtod(s.c_str(), &lpsEnd);
    if (s.substr(0, (size_t)(lpsEnd - s.c_str())).find_first_of("xXiInN") != std::string::npos || !(d > 0))
        return 0.0f;
    return d > FLT_MAX ? FLT_MAX : (float)d;
}

/* Every name in the list was read from the file's value or added, and
 * every name saved is listed; the value ends each name with one ";". */
static void vCheckHostList(const std::string &sRead, const std::vector<std::string> &added,
                           const std::string &sSaved)
{
    for (const std::string &s : fake::hosts)
        if (sRead.find(s) == std::string::npos && std::find(added.begin(), added.end(), s) == added.end())
            Fail("\"%s\" listed, but never read or added", s.c_str());
    if (sSaved.size() >= KX_HOSTLIST_SIZE || (!sSaved.empty() && sSaved.back() != ';')
        || sSaved.find(";;") != std::string::npos || sSaved[0] == ';')
        Fail("host list saved as \"%s\"", sSaved.c_str());
    /* a name is saved as far as its first control character */
    std::vector<std::string> cut;
    for (const std::string &s : fake::hosts)
        cut.push_back(s.substr(0, (size_t)(std::find_if(s.begin(), s.end(),
                                                          [](char c) { return (unsigned char)c < 0x20 || c == 0x7F; }) - s.begin())));
    for (const std::string &s : Tokens(sSaved))
        if (std::find(cut.begin(), cut.end(), s) == cut.end())
            Fail("\"%s\" saved, but not listed", s.c_str());
}

/* What a read of the settings leaves in the dialog and the scheduler. */
static std::string Fields()
{
    std::string s = std::to_string(iTimeVal);
    for (auto &kv : fake::items)
        s += "\n" + std::to_string(kv.first) + "=" + kv.second;
    for (const std::string &h : fake::hosts)
        s += "\n" + h;
    return s;
}

static void vCheckNumber(const char *lpsName, long long llGot, long long llExpected)
{
    if (llGot != llExpected)
        Fail("%s is %lld, expected %lld", lpsName, llGot, llExpected);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    fake::Reset();
    DWORD dwOnline = (DWORD)data[0] | (DWORD)data[1] << 8 | (DWORD)data[2] << 16 | (DWORD)data[3] << 24;
    std::string asText[5];
    static const char *const aszKeys[5] = {"Interval", "Alarm", "GoMin", "Stop Value", "Hourly Rate"};
    static const int aidFields[5] = {IDC_INTERVAL, IDC_ALARM, IDC_GOMIN, IDC_STOPVAL, IDC_RATE};
    size_t i = 4;
    for (int k = 0; k < 5; ++k) {
        asText[k] = TextOf(data + i, size - i);
        i = std::min(size, i + asText[k].size() + 1);
        WritePrivateProfileStringA("Default", aszKeys[k], asText[k].c_str(), KX_INIFILE);
    }
    const std::string &sInterval = asText[0];
    std::string sHostList = TextOf(data + i, size - i);
    i = std::min(size, i + sHostList.size() + 1);
    WritePrivateProfileStringA("Default", "HostList", sHostList.c_str(), KX_INIFILE);
    std::vector<std::string> added = Tokens(TextOf(data + i, size - i));

    vCheckNumber("iDecimal", iDecimal(sInterval.c_str()), iStrtoll(sInterval));
    int iInterval = iIntervalOf(sInterval.c_str());
    if (iInterval < KX_MIN_INTERVAL || iInterval > KX_MAX_INTERVAL
        || (iDecimal(sInterval.c_str()) >= KX_MIN_INTERVAL && iDecimal(sInterval.c_str()) <= KX_MAX_INTERVAL
            && iInterval != iDecimal(sInterval.c_str())))
        Fail("interval %d for \"%s\"", iInterval, sInterval.c_str());

    /* The scheduler runs with the Interval shown. */
    vReadSettings(ghDlg);
    vCheckNumber("iTimeVal", iTimeVal, iIntervalOf(fake::Item(IDC_INTERVAL).c_str()));
    const std::string sFields = Fields();
    fake::items.clear();
    fake::hosts.clear();
    vReadSettings(ghDlg);
    if (Fields() != sFields)
        Fail("a second read of the same file gave other fields");

    /* The fields at Start may hold more than the file could give. */
    for (int k = 0; k < 5; ++k)
        fake::items[aidFields[k]] = asText[k];
    vMeterReset();
    vMeterReadLimits(ghDlg);
    vCheckNumber("iGoMin", iGoMin, iStrtoll(asText[2].substr(0, 4)));
    vCheckNumber("iAlarmVal", iAlarmVal, std::max(0, iStrtoll(asText[1].substr(0, 4))));
    vCheckNumber("iStopVal", iStopVal, std::max(0, iStrtoll(asText[3].substr(0, 4))));
    if (fHourly != fRate(asText[4].substr(0, 5)) || !(fRatePerSecond >= 0) || fRatePerSecond > FLT_MAX)
        Fail("rate %g (%g a second) for \"%s\"", fHourly, fRatePerSecond, asText[4].c_str());

    for (const std::string &s : added)
        SendDlgItemMessageA(ghDlg, IDC_HOST, CB_ADDSTRING, 0, (LPARAM)s.c_str());
    vWriteSettings(ghDlg);
    const std::map<std::string, std::string> saved = fake::profile;
    vWriteSettings(ghDlg);
    if (fake::profile != saved)
        Fail("a second save with nothing changed wrote something else");
    vCheckHostList(sHostList, added, fake::ProfileValue("Default", "HostList"));
    if (fake::ProfileValue("Default", "Stop Value") != std::to_string(iStopVal))
        Fail("Stop Value saved as \"%s\"", fake::ProfileValue("Default", "Stop Value").c_str());

    FirstTickCount = 1;
    fake::tick = 1 + dwOnline;
    vMeterTick(ghDlg);
    CHECK_TEXT(szTime);
    CHECK_TEXT(szCharge);
    DWORD dwSecs = dwOnline / 1000;
    char sz[64];
    snprintf(sz, sizeof(sz), "%02u:%02u:%02u", dwSecs / 3600, dwSecs / 60 % 60, dwSecs % 60);
    if (fake::Item(IDC_TIMEONLINE) != sz)
        Fail("time on line \"%s\" for %u s", fake::Item(IDC_TIMEONLINE).c_str(), dwSecs);
    snprintf(sz, sizeof(sz), "$%3.2f", fRatePerSecond == 0 ? 0.0 : (double)fCharge);
    if (fake::Item(IDC_CHARGE) != sz || !(fCharge >= 0))
        Fail("charge \"%s\", expected \"%s\"", fake::Item(IDC_CHARGE).c_str(), sz);
    return 0;
}
