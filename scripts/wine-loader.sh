#!/bin/bash
# Sourced by the other scripts once Wine is installed.  Debian's `wine`
# launcher always starts the 32-bit loader first, and some kernels (some
# virtual machines among them) cannot run 32-bit code at all: there the
# 64-bit loader runs 64-bit programs directly and 32-bit programs not at all.
# Sets KX_WINE (the loader to run programs with) and KX_RUNS_I686 (1 when
# 32-bit Windows programs can run here, else 0).
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    KX_WINE=wine
    KX_RUNS_I686=1
else
    KX_WINE=/usr/lib/wine/wine64
    KX_RUNS_I686=0
fi
export KX_WINE KX_RUNS_I686
