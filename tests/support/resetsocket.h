#pragma once
// Makes a connected socket end with a reset (RST) when it is closed, instead of an orderly
// shutdown: how a peer that crashes or aborts looks from the other side. One file per system.

#include <QtGlobal>

void setResetOnClose(qintptr socket);
