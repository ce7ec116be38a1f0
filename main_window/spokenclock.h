#pragma once

#include "clockface.h"

class QMainWindow;

// What a screen reader says of the clock window: what each control is for, and the clocks and
// counters in words (the glyphs and bare digits on screen say little when read out).
void describeClockFace(QMainWindow& window);

// Said from what the side's labels show, so that a screen reader never tells another time or
// count than the one on screen.
void updateSpokenTexts(const ClockFace::SideControls& shown, clockcore::Side side);
