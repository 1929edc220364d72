#include "errtext.h"

const ERRENTRY ErrStruct[KX_ERRCOUNT] = {};     /* TODO(issue 2) */
char szErrorMsg[255];

LPSTR szSockErr(DWORD iError)
{
    (void)iError;
    return szErrorMsg;
}
