#pragma once

class QGuiApplication;

// While a modal message is open, the windows that it blocks take no click, key or close request
// until it is answered; Qt drops them without a word. Here each of them brings the open message
// to the front with the keyboard instead, so that the player sees what waits for his answer.
namespace blockedwindows {

// Installs the rule for every window of the application; call it once, after the application
// object is made.
void bringMessageForward(QGuiApplication& app);

} // namespace blockedwindows
