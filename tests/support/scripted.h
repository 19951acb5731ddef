// SPDX-License-Identifier: MIT
// Test seams: a scripted millisecond clock and a scripted queue of window messages.
#pragma once
#include <stdint.h>

#include <ostream>
#include <vector>

#include "platform/platform.h"
#include "shell/window.h"

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
// Takes every message waiting now from the current source and dispatches each as the main loop does;
// returns them in the order taken.
std::vector<PlatMessage> dispatchWaiting();

// Whole-record comparisons for the tests; a failure prints every field of both sides.
bool operator==(const PlatMessage& a, const PlatMessage& b);
std::ostream& operator<<(std::ostream& out, const PlatMessage& m);
bool operator==(const ScreenRect& a, const ScreenRect& b);
std::ostream& operator<<(std::ostream& out, const ScreenRect& r);
