#pragma once

namespace zerlith::ui {

/// How Qt Quick draws, unless the user chose otherwise in the environment. Before the first window.
/// - Its software renderer (QT_QUICK_BACKEND): a view of a few hundred flat items opens, on a
///   display without a GPU, in two thirds of OpenGL's time (llvmpipe) and with half the memory.
/// - No idle wait before a frame (QT_QPA_UPDATE_IDLE_TIME): Qt waits 5 ms after a window asks to be
///   drawn, to gather changes, which was most of a keystroke's time to the screen. What one batch
///   of events changes is still drawn once.
void configureRendering();

}  // namespace zerlith::ui
