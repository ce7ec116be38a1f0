#pragma once

class QGuiApplication;

// A key that a player holds down acts once, however long he holds it: Space on a push button
// pushes once, Enter on a message box answers it once, Ctrl+L makes one move. A new press acts
// again. Keys that only edit text (digits, letters, Backspace, Delete, the arrows) still repeat
// while held, unless Ctrl, Alt or Meta is held with them.
namespace heldkeys {

// Installs the rule for every window of the application; call it once, after the application
// object is made and before any window shows.
void actOncePerPress(QGuiApplication& app);

} // namespace heldkeys
