#pragma once

class QRect;
class QWidget;

// Where windows appear, and bringing one to the players.
namespace placement {

// A Wayland compositor places every window itself: a program can neither move nor centre one,
// so there the functions below ask for no place at all and leave it to the desktop.
bool compositorPlacesWindows();

// Centres the window, its frame included, on the available area of its screen.
void centreOnScreen(QWidget& window);

// Puts the window's client area (not its frame) at a fixed place on the screen, at its size.
void placeClientArea(QWidget& window, const QRect& clientArea);

// Centres the window when it is first shown; every later show brings it back where the user
// left it.
void centreWhenFirstShown(QWidget& window);

// Shows the window non-modal, in front of the others, with the keyboard.
void showInFront(QWidget& window);

// Shows a message in front, with the keyboard, as the message of `window` without making that
// window its owner: centred over it on its screen (where the program places windows), and known
// to the desktop as belonging to it.
void showInFrontOf(QWidget& message, const QWidget& window);

} // namespace placement
