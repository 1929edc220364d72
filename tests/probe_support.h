// Small helpers for the engine and service tests: the error log's content,
// waiting for the engine's stages, and handing it socket events by hand.
#ifndef KALVEX_TEST_PROBE_SUPPORT_H
#define KALVEX_TEST_PROBE_SUPPORT_H

#include <string>

#include "harness.h"
#include "../app/results.h"
#include "../probe/connect.h"
#include "../probe/errtext.h"
#include "../probe/services.h"

inline std::string LogText()
{
    return ReadWholeFile(KX_LOGFILE);
}

inline bool LogExists()
{
    return FileExists(KX_LOGFILE);
}

// One log record as the program writes it.
inline std::string Record(const std::string &caption, const std::string &text,
                          const std::string &ip = "Unknown")
{
    return "\r\n\n" + caption + " -=- " + text + " my IP = " + ip;
}

inline bool WaitForResults(const TestWindow &w, const std::string &text, DWORD ms = 5000)
{
    return PumpUntil([&] { return w.Results() == text; }, ms);
}

inline int CountEvents(const TestWindow &w, int event)
{
    int n = 0;
    for (auto &m : w.log)
        if (m.msg == WM_SOCKET_EVENT && WSAGETSELECTEVENT(m.lParam) == event)
            ++n;
    return n;
}

// Delivers a socket notification as the sockets layer would post it.
inline void PostSocketEvent(const TestWindow &w, SOCKET s, int event, int error = 0)
{
    PostMessageA(w.hWnd, WM_SOCKET_EVENT, (WPARAM)s, WSAMAKESELECTREPLY(event, error));
    PumpFor(50);
}

// Bytes waiting to be read on a socket.
inline u_long Pending(SOCKET s)
{
    u_long n = 0;
    ioctlsocket(s, FIONREAD, &n);
    return n;
}

inline std::string Refused()
{
    return "Winsock error #10061 CONNECTION REFUSED BY HOST:\r\n"
           "Couldn't connect socket.\r\nPress help button..";
}

#endif
