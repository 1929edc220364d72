/* Identifiers shared by the resource script, the program and its tests. */
#ifndef KALVEX_RESOURCE_H
#define KALVEX_RESOURCE_H

#include "kxversion.h"

#define KX_TITLE            "Kalvex32 v" KX_VERSION
#define KX_DIALOG           "KALVEX"
#define KX_ICON             "KALVEX"
#define KX_ICON_PRO         "KALVEXPRO"

/* Fields and buttons of the main dialog */
#define IDC_HOST            101
#define IDC_AUTOSTART       102
#define IDC_ADDHOST         103
#define IDC_REMOVEHOST      104
#define IDC_INTERVAL        106
#define IDC_USER            107
#define IDC_USERLABEL       108
#define IDC_SENT            110
#define IDC_RECV            111
#define IDC_TIMEZONE        112
#define IDC_TZLABEL         113
#define IDC_TIMEONLINE      114
#define IDC_GOMIN           116
#define IDC_RATE            117
#define IDC_ALARM           118
#define IDC_CHARGE          119
#define IDC_RESULTS         120
#define IDC_WSVERSION       121
#define IDC_AUTOSTOP        122
#define IDC_STOPVAL         123
#define IDC_STOPLABEL       124
#define IDC_GOMINLABEL      132
#define IDC_ALARMLABEL      133
#define IDC_RATELABEL       134
#define IDC_CHARGELABEL     135
#define IDC_INTERVALSFRAME  140
#define IDC_OPTIONSFRAME    141

/* Commands */
#define IDC_HELPBTN         200
#define IDC_START           201
#define IDC_STOP            202
#define IDC_EXIT            203

/* Service choices */
#define IDC_KALV            340
#define IDC_DAYTIME         341
#define IDC_TIME            342
#define IDC_QUOTE           343
#define IDC_FINGER          344
#define IDC_USERS           345

/* Button faces are found by control ID plus these offsets */
#define KX_FACE_NORMAL      1000
#define KX_FACE_PRESSED     3000
#define KX_FACE_FOCUSED     5000

#endif
