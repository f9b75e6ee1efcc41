#pragma once

#include <QString>

// The offscreen platform has no window manager: once a pop-up or a box closes, no window is active
// again, and setFocus() then moves the focus without FocusIn or FocusOut, so the checks a program
// runs on leaving or entering a box go unrun. These helpers make the tests see focus as a desktop
// does.
namespace kovu::test {

// Activates windows as a window manager would: when the active window (or the one about to become
// active) hides, the remaining pop-up, else the remaining modal window, else the window shown last
// becomes active. Installed once for the process.
void emulateWindowManager();

// What a modal box does to the focus while it is open, for the scripted dialogs that show none: a
// modal window is shown and activated (the focus widget of the window below sees FocusOut), then
// hidden, and the window below is active again (FocusIn). Events are processed meanwhile, as in
// the box's own event loop.
void passThroughModalBox(const QString& title);

// Lets queued activations land.
void settleFocus();

}  // namespace kovu::test
