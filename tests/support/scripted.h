// Test seams: a scripted millisecond clock and a scripted queue of window messages.
#pragma once
#include <stdint.h>

#include "platform/platform.h"

// Installs the scripted clock at the given time.
void useScriptedClock(uint32_t now);
void setClock(uint32_t now);
void advanceClock(uint32_t ms);
// Installs the scripted message source (empty); the real system queue is no longer read.
void useScriptedMessages();
// Restores the real clock and message source and empties the script.
void useSystemSeams();
// Queues a message for the main window as it is when the message is taken (null window for none).
void scriptMessage(uint32_t message, uint32_t wParam = 0, uint32_t lParam = 0);
// Messages still waiting in the script.
uint32_t scriptedMessagesLeft();
