#include "servicerows.h"

#include "../probe/services.h"
#include "../timesvc/timesvc.h"

/* Finger, Quote and Users are kept because the dialog carries their radio
 * buttons, hidden, and handles all six alike: showing a radio is all it
 * would take to offer one again.  Nothing can choose them today. */
const ServiceRow aServices[] = {
    { IDC_KALV,    "Kalv",    0,           0,              PingStart,    NULL,        NULL,        PingClose,    &PingFlag },
    { IDC_FINGER,  NULL,      IDC_USER,    IDC_USERLABEL,  FingerStart,  FingerRead,  FingerWrite, FingerClose,  &FingerFlag },
    { IDC_DAYTIME, "DayTime", 0,           0,              DayTimeStart, DayTimeRead, NULL,        DayTimeClose, &DayTimeFlag },
    { IDC_TIME,    "Time",    IDC_TIMEZONE, IDC_TZLABEL,   TimeStart,    TimeRead,    NULL,        TimeClose,    &TimeFlag },
    { IDC_QUOTE,   NULL,      0,           0,              QuoteStart,   QuoteRead,   NULL,        QuoteClose,   &QuoteFlag },
    { IDC_USERS,   NULL,      0,           0,              UserStart,    UserRead,    NULL,        UserClose,    &UserFlag },
};
const int nServices = (int)(sizeof(aServices) / sizeof(aServices[0]));

const ServiceRow *pServiceRowOf(int id)
{
    for (int i = 0; i < nServices; i++)
        if (aServices[i].id == id)
            return &aServices[i];
    return NULL;
}

LPCSTR lpsCheckedServiceName(HWND hDlg)
{
    for (int i = 0; i < nServices; i++)
        if (IsDlgButtonChecked(hDlg, aServices[i].id) == BST_CHECKED)
            return aServices[i].lpsName;
    return NULL;
}
