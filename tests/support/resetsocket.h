#pragma once
// Makes a connected socket end with a reset (RST) when it is closed, instead of an orderly
// shutdown: how a peer that crashes or aborts looks from the other side. One file per system.

#include <QtGlobal>

void setResetOnClose(qintptr socket);

// Whether a reset by the peer shows here as what it is. Wine reports it as an orderly close
// (recv answers 0, FD_CLOSE carries no error), so the cases of a peer that resets cannot be
// told apart under Wine and are tried on Linux (and real Windows) only.
bool resetsAreReported();

#define SKIP_UNLESS_RESETS_ARE_REPORTED()                                                          \
    do {                                                                                           \
        if (!resetsAreReported())                                                                  \
            QSKIP("Wine reports a reset by the peer as an orderly close; tried on Linux");         \
    } while (false)
