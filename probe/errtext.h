/* Winsock error codes in words. */
#ifndef KALVEX_ERRTEXT_H
#define KALVEX_ERRTEXT_H

#include "../app/kalvex.h"

struct ERRENTRY {
    int ErrCode;
    LPCSTR ErrStr;
};

#define KX_ERRCOUNT 50
extern const ERRENTRY ErrStruct[KX_ERRCOUNT];
extern char szErrorMsg[255];

LPSTR szSockErr(DWORD iError);

#endif
