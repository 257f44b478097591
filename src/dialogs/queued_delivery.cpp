#include "dialogs/queued_delivery.h"

#include <QMetaObject>
#include <QObject>

namespace brevik2::dialogs {

engine::Station::Deliver queuedOnto(QObject& receiver) {
    QObject* target = &receiver;
    return [target](engine::Station::Task task) {
        QMetaObject::invokeMethod(target, std::move(task), Qt::QueuedConnection);
    };
}

}  // namespace brevik2::dialogs
