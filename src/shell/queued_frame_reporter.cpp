#include "shell/queued_frame_reporter.h"

#include <QMetaObject>

#include "shell/c_main_frame.h"

namespace brevik2::shell {

void QueuedFrameReporter::statusText(std::string_view text) {
    CMainFrame* frame = &m_frame;
    QString copy = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    QMetaObject::invokeMethod(
        frame, [frame, copy = std::move(copy)] { frame->showStatusText(copy); },
        Qt::QueuedConnection);
}

void QueuedFrameReporter::statusMessage(engine::StatusMessage message) {
    CMainFrame* frame = &m_frame;
    QMetaObject::invokeMethod(
        frame,
        [frame, message = std::move(message)]() mutable {
            frame->handleStatusMessage(std::move(message));
        },
        Qt::QueuedConnection);
}

}  // namespace brevik2::shell
