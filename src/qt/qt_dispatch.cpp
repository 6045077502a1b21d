#include "qt/qt_dispatch.hpp"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cmath>

namespace zerlith::qt {
namespace {

int milliseconds(double seconds) { return seconds > 0 ? static_cast<int>(std::ceil(seconds * 1000)) : 0; }

}  // namespace

void QtDispatch::postMain(platform::Task task) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

void QtDispatch::postMainAfter(double delaySeconds, platform::Task task) {
    // Timers belong to the thread that starts them: start this one on the main thread.
    postMain([delay = milliseconds(delaySeconds), task = std::move(task)]() mutable {
        QTimer::singleShot(delay, QCoreApplication::instance(), std::move(task));
    });
}

void QtDispatch::runMainFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds(seconds), &loop, &QEventLoop::quit);
    loop.exec();
}

std::unique_ptr<platform::TaskQueue> QtDispatch::makeSerialQueue(std::string label) {
    return background_.makeSerialQueue(std::move(label));
}

platform::TaskQueue& QtDispatch::concurrentQueue() { return background_.concurrentQueue(); }

void QtDispatch::drainConcurrentQueue() { background_.drainConcurrentQueue(); }

}  // namespace zerlith::qt
