// Standard output, shared by every thread of the player (the add-ons print from their
// windows' threads too).
//
// On a terminal it is line buffered, as the C library has it. Otherwise the lines are
// collected in memory and written out in one go whenever the player has nothing left to
// do (flush_standard_output(): after a command and its waiting rule, after an outside
// event, when a window has handled all it was sent, when it waits for input), before
// anything goes to standard error, and at exit; a buffer that grows large is written
// out as well. The lines stay whole and in the order they were printed: each thread's
// text reaches the collection only a whole line at a time (the stream stays line
// buffered in front of it), so a flush, whoever makes it, never cuts a line another
// thread is still printing, and a line on standard error never lands inside one.
#ifndef BRINDLE_PLAYER_STANDARD_OUTPUT_H
#define BRINDLE_PLAYER_STANDARD_OUTPUT_H

// Call once at start, before any other thread runs or anything is printed.
void setup_standard_output();

// Any thread: writes out the whole lines collected so far (nothing on a terminal, where
// each line went out when it was printed).
void flush_standard_output();

#endif  // BRINDLE_PLAYER_STANDARD_OUTPUT_H
