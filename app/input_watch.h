// Whether the main loop's work after input (the undo history's look for a change, the recovery
// copy's) has anything to find. The project changes only in the handling of a message the loop
// took from its queue or of the user's input, some of which reaches the windows while the loop
// looks at its queue or waits, with no message left to take. A pass with neither, a playback
// tick or a wait that ran out, changes nothing that work looks at.
#pragma once

#include <windows.h>

struct InputWatch {
    bool looked = false;             // the work was done at least once
    DWORD last_input = 0;            // the time of the user's last input then
    bool input_in_its_tick = false;  // and whether that input came in the tick the work was done in
};

// Due when a message was taken, on the first pass, when the time of the last input is unknown or
// differs from the one seen when the work was last done, or when that one fell in the same tick
// as the work (more input in that tick would leave the time as it was). Keeps what it saw.
bool after_input_due(InputWatch& watch, bool message_taken, bool input_known, DWORD last_input, DWORD now);
// The same rule for the program's main loop, on the system's time of the last input.
bool after_input_due(bool message_taken);
