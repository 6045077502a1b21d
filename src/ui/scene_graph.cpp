#include "ui/scene_graph.hpp"

#include <QQuickWindow>

namespace zerlith::ui {

void chooseSceneGraph() {
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

}  // namespace zerlith::ui
