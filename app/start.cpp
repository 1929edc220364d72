/* The program's entry point.  The C runtime's start-up code is left out of
 * the program: it prepares what Kalvex32 never uses (an argument vector,
 * thread-local data, standard streams, exit handlers) and is a fifth of
 * the program's size.  What is needed of it is done here. */
#include "kalvex.h"

/* The linker's list of static constructors: -1, the constructors, 0. */
extern "C" void (*__CTOR_LIST__[])(void);

extern "C" void WinMainCRTStartup(void)
{
    /* The x87 unit at its full precision, as the runtime's start-up sets it:
     * the charge's long double steps must round the same in every build. */
    __asm__ __volatile__("fninit");
    /* None today, but one added later must still run: last listed first. */
    int n = 1;
    while (__CTOR_LIST__[n])
        n++;
    while (--n > 0)
        __CTOR_LIST__[n]();
    /* WinMain ignores its command line and show state. */
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT));
}
