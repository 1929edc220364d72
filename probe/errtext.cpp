/* Winsock error codes in words, for the head of every failure message. */
#include "errtext.h"

#include "../app/format.h"

/* Ascending by code; the spelling of each text is what users and their old
 * logs know, slips included. */
const ERRENTRY ErrStruct[KX_ERRCOUNT] = {
    { 10004, "BLOCKING CALL CANCELED" },
    { 10009, "BAD FILE" },
    { 10013, "INVALID ACCESS ATTEMPT" },
    { 10014, "PARAMETER FAULT" },
    { 10022, "INVALID OPERATION" },
    { 10024, "NO MORE FILE HANDLES" },
    { 10035, "OPERATION WOULD BLOCK" },
    { 10036, "BLOCKING CALL IN PROGRESS" },
    { 10037, "ALREADY COMPLETE" },
    { 10038, "DESCRIPTOR NOT A SOCKET" },
    { 10039, "DEST. ADDRESS REQUIRED" },
    { 10040, "MESSAGE TO LONG" },
    { 10041, "BAD PROTOCOL TYPE FOR SOCKET" },
    { 10042, "PROTOCOL NOT AVAILABLE" },
    { 10043, "PROTOCOL NOT SUPPORTED" },
    { 10044, "SOCKET TYPE NOT SUPPORTED" },
    { 10045, "OPERATION NOT SUPPORTED ON SOCKET" },
    { 10046, "PROTCOL FAM NOT SUPPORTED" },
    { 10047, "ADDR FAM NOT SUPPORTED BY PROTOCOL FAM" },
    { 10048, "ADDRESS ALREADY IN USE" },
    { 10049, "CAN'T ASSIGN REQUESTED ADDRESS" },
    { 10050, "NETWORK IS DOWN!!!" },
    { 10051, "NETWORK UNREACHABLE" },
    { 10052, "NETWORK DROPPED CONN. ON RESET" },
    { 10053, "CONNECTION ABORTED" },
    { 10054, "CONNECTION RESET BY HOST" },
    { 10055, "NO BUFFER SPACE" },
    { 10056, "SOCKET ALREADY CONNECTED" },
    { 10057, "SOCKET NOT CONNECTED" },
    { 10058, "CAN'T SEND AFTER SOCKET IS SHUTDOWN" },
    { 10059, "TOO MANY REFS" },
    { 10060, "CONNECTION TIMED OUT" },
    { 10061, "CONNECTION REFUSED BY HOST" },
    { 10062, "IN LOOP" },
    { 10063, "NAME TOO LONG" },
    { 10064, "HOST IS DOWN" },
    { 10065, "NO ROUTE TO HOST" },
    { 10066, "DIR NOT EMPTY" },
    { 10067, "TOO MANY PROCESSES" },
    { 10068, "TOO MANY USERS" },
    { 10069, "DISK QUOTA EXCEEDED" },
    { 10070, "NO FILE SYSTEM" },
    { 10071, "ITEM IS NOT LOCAL TO HOST" },
    { 10091, "NETWORK SUBSYS NOT USABLE" },
    { 10092, "VERSION NOT SUPPORTED" },
    { 10093, "WSASTARTUP NOT PERFORMED YET" },
    { 11001, "HOST NOT FOUND" },
    { 11002, "TRY AGAIN...." },
    { 11003, "NON-RECOVERABLE ERROR" },
    { 11004, "NO DATA OF REQUESTED TYPE" },
};

/* Owned here; every call overwrites it, so callers copy it out at once. */
char szErrorMsg[255];

LPSTR szSockErr(DWORD iError)
{
    /* Codes travel as unsigned in the notifications but are printed signed,
     * as Winsock documents them. */
    int iCode = (int)iError;

    for (int i = 0; i < KX_ERRCOUNT; i++) {
        if (ErrStruct[i].ErrCode == iCode) {
            /* 20 + 11 digits + the longest text (38) fits 255 with room. */
            iFormat(szErrorMsg, sizeof(szErrorMsg), "Winsock error #%d %s", iCode, ErrStruct[i].ErrStr);
            return szErrorMsg;
        }
    }
    iFormat(szErrorMsg, sizeof(szErrorMsg), "UnDoc'd Winsock error #%d", iCode);
    return szErrorMsg;
}
