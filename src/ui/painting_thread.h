#pragma once

#include <functional>

namespace ui {

// Runs `paint`, which paints offscreen images only, to completion on a thread of Qt's global
// pool and returns after it. Qt's raster engine hands every fill of more than about a hundred
// spans to that pool in pieces and waits for them, unless the painting thread is one of the
// pool's own; on a panel this size the hand-offs cost more than the painting itself, and wake
// threads at every frame of an animation. Painting images, text included, off the GUI thread is
// supported by Qt on every platform it runs on here.
void runOnPaintingThread(const std::function<void()>& paint);

// Ends the painting thread, and with it what it keeps for the next frame (its fonts, kept blurs
// and outlines), when nothing will be painted for a while. The next paint starts it again.
void endPaintingThread();

} // namespace ui
