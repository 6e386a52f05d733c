// Every signal that can be caught and whose default action ends the process.
// SIGTERM, SIGINT and SIGHUP ask the program to end: they go the close path
// through the main loop. The others (SIGQUIT, a timer's, a crash's, ...) end
// it at once: the handler puts every open port back and the process ends by
// that signal's default action, a core dump included where one is made.
#pragma once

namespace kurvlux {

// Installs the handler for each such signal that was not inherited as
// ignored (under nohup SIGHUP stays ignored) and starts the one thread that
// takes those sent to the process; call it first thing on the main thread,
// before any other thread starts. Returns the read end of a pipe that
// becomes readable when the first ending signal is one of the three that
// take the close path; -1 when no pipe could be made, which it says on
// standard error: then those three put the ports back and end at once too.
int catchEndingSignals();

// The ending that came first, in the order the handler saw them: a signal's
// number, -1 for the lost display, 0 while there was none. A later ending
// changes nothing, except a crash, which cannot be held back.
int firstEnding();

// The display connection is gone and the process must end now: every signal
// held, every port put back, one line on standard error. Returns to let the
// toolkit's own handler end the process, unless a signal came first: then
// the process ends by that signal.
void portsBackOnLostDisplay();

// With the program's cleanup done: the signal's default action back in
// place and the signal raised, so the parent sees how the program ended.
// Returns only when `signal` is 0.
void endBySignal(int signal);

}  // namespace kurvlux
