// A lost display connection (the X server went away, or another client
// closed this one, as xkill does) ends the program from inside GDK's event
// fetch: the loop's close path never runs. Xlib calls its I/O error handler
// first; there the ports are put back before GDK's own handler ends the
// process. GDK 3 on Wayland has no such hook: it ends the process itself.
#pragma once

namespace kurvlux {

// After GTK has opened the display.
void watchForLostDisplay();

}  // namespace kurvlux
