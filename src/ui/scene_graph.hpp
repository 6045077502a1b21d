#pragma once

namespace zerlith::ui {

/// Draws Qt Quick with its software renderer unless the user chose another (QT_QUICK_BACKEND):
/// the palette is a few hundred flat items, and measured on a display without a GPU it opens in
/// two thirds of OpenGL's time (llvmpipe) and needs half the memory. Before the first window.
void chooseSceneGraph();

}  // namespace zerlith::ui
