#include "app/input_watch.h"

bool after_input_due(InputWatch& watch, bool message_taken, bool input_known, DWORD last_input, DWORD now) {
    const bool due = message_taken || !watch.looked || !input_known || last_input != watch.last_input ||
                     watch.input_in_its_tick;
    watch.looked = true;
    watch.last_input = last_input;
    watch.input_in_its_tick = input_known && last_input == now;
    return due;
}

bool after_input_due(bool message_taken) {
    static InputWatch watch;
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    const bool known = GetLastInputInfo(&info) != FALSE;
    return after_input_due(watch, message_taken, known, info.dwTime, GetTickCount());
}
