/* The services the dialog offers: one row each, for the dialog procedure
 * that runs them and for the settings that save the choice. */
#ifndef KALVEX_SERVICEROWS_H
#define KALVEX_SERVICEROWS_H

#include "../app/kalvex.h"

/* A service with nothing to read (Kalv) has done its work once its
 * connection attempt has completed.  Only services with a name are saved
 * and pre-selected. */
struct ServiceRow {
    int id;                 /* its radio button */
    LPCSTR lpsName;         /* the Service setting; NULL for a hidden radio */
    int idField, idLabel;   /* the field of its own, shown while it is chosen; 0 for none */
    BOOL (*pfnStart)(LPCSTR szHost);
    void (*pfnRead)(void);
    void (*pfnWrite)(void);
    void (*pfnClose)(void);
    int *pbBusy;
};

/* The row order is the order in which the timer looks for the checked
 * radio button, the order in which Stop and Exit close whatever is still
 * busy, and the order in which a notification reaches the busy service. */
extern const ServiceRow aServices[];
extern const int nServices;

/* The row of a radio button; NULL for any other control. */
const ServiceRow *pServiceRowOf(int id);

/* The Service setting for the checked radio button; NULL for a service
 * whose radio is hidden, which the file does not learn of. */
LPCSTR lpsCheckedServiceName(HWND hDlg);

#endif
