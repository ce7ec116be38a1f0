#pragma once

class QWidget;

// Where windows appear, and bringing one to the players.
namespace placement {

// Centres the window, its frame included, on the available area of its screen.
void centreOnScreen(QWidget& window);

// Centres the window when it is first shown; every later show brings it back where the user
// left it.
void centreWhenFirstShown(QWidget& window);

// Shows the window non-modal, in front of the others, with the keyboard.
void showInFront(QWidget& window);

} // namespace placement
