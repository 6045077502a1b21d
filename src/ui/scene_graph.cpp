#include "ui/scene_graph.hpp"

#include <QQuickWindow>

namespace zerlith::ui {

void configureRendering() {
    if (!qEnvironmentVariableIsSet("QT_QPA_UPDATE_IDLE_TIME")) qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

}  // namespace zerlith::ui
