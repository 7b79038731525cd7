// Measurements of a running editor on either system: when CELWRIGHT_LOOP_STATS names a file,
// the main loop keeps in it how many ticks it has run and how often it woke from a wait, and
// when it counted them (milliseconds of the performance counter).
#pragma once

// Writes the counts when they changed: at once with `now` (the loop is about to block or end),
// otherwise at most twice a second.
void report_loop_counts(bool now);
