/* The rules for single-byte text that several parts share: what counts as
 * a blank, a digit or a control character, a decimal number, and two
 * names that are the same.  Plain functions over buffers, with no window
 * in sight, so that any text at all can be put through them. */
#ifndef KALVEX_TEXT_H
#define KALVEX_TEXT_H

/* White space as the profile calls and the C library's number reading
 * skip it. */
bool bIsBlank(char c);
bool bIsDigit(char c);

/* A control character: below 32, or DEL. */
bool bIsControl(char c);

/* Cuts the text at its first control character; returns what is left's length. */
int iCutAtControl(char *lps);

/* The decimal value of a text as the settings and limits take it: leading
 * white space, one sign, digits up to the first other character, 0 without
 * digits; values beyond an int are held at INT_MAX or INT_MIN. */
int iDecimal(const char *lps);

/* Whether the first cchA characters of lpsA (all of it for -1) are the
 * text lpsB, byte for byte but for the case of the letters A to Z: the
 * profile calls match names so, and a name that only looks like another
 * in some code page (a soft hyphen inside it, a letter of another
 * alphabet) is another name. */
bool bSameTextNoCase(const char *lpsA, int cchA, const char *lpsB);

/* The system's words for an error code into lpsOut, without the line end
 * its messages carry; empty when it has none.  Returns the length. */
int iSystemMessage(unsigned long ulError, char *lpsOut, int cchOut);

/* "<the system's words> (<code>)", the words without their full stop, as
 * a failure is reported after a colon.  Returns the length, or -1 when cut. */
int iSystemReason(unsigned long ulError, char *lpsOut, int cchOut);

#endif
