// Winsock error codes in words: the texts users see at the head of every
// failure and find again in their logs.
#include <gtest/gtest.h>

#include <string>

#include "probe_support.h"

namespace {

struct Row { int code; const char *text; };

// Written out from the documented list, so a slip in the program's table
// shows up here rather than in a user's log.
const Row kRows[] = {
    {10004, "BLOCKING CALL CANCELED"}, {10009, "BAD FILE"},
    {10013, "INVALID ACCESS ATTEMPT"}, {10014, "PARAMETER FAULT"},
    {10022, "INVALID OPERATION"}, {10024, "NO MORE FILE HANDLES"},
    {10035, "OPERATION WOULD BLOCK"}, {10036, "BLOCKING CALL IN PROGRESS"},
    {10037, "ALREADY COMPLETE"}, {10038, "DESCRIPTOR NOT A SOCKET"},
    {10039, "DEST. ADDRESS REQUIRED"}, {10040, "MESSAGE TO LONG"},
    {10041, "BAD PROTOCOL TYPE FOR SOCKET"}, {10042, "PROTOCOL NOT AVAILABLE"},
    {10043, "PROTOCOL NOT SUPPORTED"}, {10044, "SOCKET TYPE NOT SUPPORTED"},
    {10045, "OPERATION NOT SUPPORTED ON SOCKET"}, {10046, "PROTCOL FAM NOT SUPPORTED"},
    {10047, "ADDR FAM NOT SUPPORTED BY PROTOCOL FAM"}, {10048, "ADDRESS ALREADY IN USE"},
    {10049, "CAN'T ASSIGN REQUESTED ADDRESS"}, {10050, "NETWORK IS DOWN!!!"},
    {10051, "NETWORK UNREACHABLE"}, {10052, "NETWORK DROPPED CONN. ON RESET"},
    {10053, "CONNECTION ABORTED"}, {10054, "CONNECTION RESET BY HOST"},
    {10055, "NO BUFFER SPACE"}, {10056, "SOCKET ALREADY CONNECTED"},
    {10057, "SOCKET NOT CONNECTED"}, {10058, "CAN'T SEND AFTER SOCKET IS SHUTDOWN"},
    {10059, "TOO MANY REFS"}, {10060, "CONNECTION TIMED OUT"},
    {10061, "CONNECTION REFUSED BY HOST"}, {10062, "IN LOOP"},
    {10063, "NAME TOO LONG"}, {10064, "HOST IS DOWN"},
    {10065, "NO ROUTE TO HOST"}, {10066, "DIR NOT EMPTY"},
    {10067, "TOO MANY PROCESSES"}, {10068, "TOO MANY USERS"},
    {10069, "DISK QUOTA EXCEEDED"}, {10070, "NO FILE SYSTEM"},
    {10071, "ITEM IS NOT LOCAL TO HOST"}, {10091, "NETWORK SUBSYS NOT USABLE"},
    {10092, "VERSION NOT SUPPORTED"}, {10093, "WSASTARTUP NOT PERFORMED YET"},
    {11001, "HOST NOT FOUND"}, {11002, "TRY AGAIN...."},
    {11003, "NON-RECOVERABLE ERROR"}, {11004, "NO DATA OF REQUESTED TYPE"},
};

}  // namespace

TEST(ErrText, EveryKnownCodeGivesItsWords)
{
    ASSERT_EQ(50u, sizeof(kRows) / sizeof(kRows[0]));
    for (const Row &r : kRows) {
        std::string want = "Winsock error #" + std::to_string(r.code) + " " + r.text;
        EXPECT_EQ(want, std::string(szSockErr((DWORD)r.code))) << r.code;
    }
}

TEST(ErrText, TableIsInAscendingOrderWithoutRepeats)
{
    for (int i = 0; i < KX_ERRCOUNT; ++i) {
        EXPECT_EQ(kRows[i].code, ErrStruct[i].ErrCode) << "row " << i + 1;
        if (i > 0) {
            EXPECT_LT(ErrStruct[i - 1].ErrCode, ErrStruct[i].ErrCode) << "row " << i + 1;
        }
    }
}

TEST(ErrText, CodesOutsideTheTableAreUndocumented)
{
    EXPECT_STREQ("UnDoc'd Winsock error #0", szSockErr(0));
    EXPECT_STREQ("UnDoc'd Winsock error #10000", szSockErr(10000));
    EXPECT_STREQ("UnDoc'd Winsock error #10080", szSockErr(10080));   // the gap after 10071
    EXPECT_STREQ("UnDoc'd Winsock error #10090", szSockErr(10090));
    EXPECT_STREQ("UnDoc'd Winsock error #11005", szSockErr(11005));
    // Codes are printed signed, the way the platform documents them.
    EXPECT_STREQ("UnDoc'd Winsock error #-1", szSockErr(0xFFFFFFFFu));
    EXPECT_STREQ("UnDoc'd Winsock error #-2147483648", szSockErr(0x80000000u));
}

TEST(ErrText, EachCallReplacesTheSharedText)
{
    LPSTR first = szSockErr(10061);
    LPSTR second = szSockErr(10035);
    EXPECT_EQ(szErrorMsg, first);
    EXPECT_EQ(first, second);
    EXPECT_STREQ("Winsock error #10035 OPERATION WOULD BLOCK", szErrorMsg);
}
