/* The host list as the settings file keeps it: the names, each followed by
 * ";".  Plain functions over buffers, with no window in sight, so that the
 * splitting and joining can be checked on any text at all. */
#ifndef KALVEX_HOSTLIST_H
#define KALVEX_HOSTLIST_H

#include "../app/text.h"

/* The longest host name DNS allows: what the Host field, each list entry and
 * the Host key keep whole. */
#define KX_HOST_MAX 253

/* Room of the saved list with its terminator: a hundred long names or more. */
#define KX_HOSTLIST_SIZE 4096

/* Whether a name can be listed and read back as itself: 1 to KX_HOST_MAX
 * characters, none of them ";", a blank or a control character. */
bool bIsListableHost(const char *lps);

/* A value read into a buffer of nSize that it filled (iLength characters)
 * may end inside a name; that fragment is no host anybody entered, so it is
 * dropped, leaving the whole names before it. */
void vDropCutName(char *lpsList, int iLength, int nSize);

/* Takes the next name off *plpsList into szName and moves *plpsList past it;
 * false when no name is left.  Runs of ";" are one separator; blanks stay
 * part of a name.  A name longer than KX_HOST_MAX is passed over. */
bool bNextHostName(const char **plpsList, char szName[KX_HOST_MAX + 1]);

/* Appends the name and its ";" to the list of *piLength characters in a
 * buffer of nSize.  A name that is empty, longer than KX_HOST_MAX or no
 * longer fits whole is not appended (false), and the list stays as it was. */
bool bAppendHostName(char *lpsList, int nSize, int *piLength, const char *lpsName);

#endif
