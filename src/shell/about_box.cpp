#include "shell/about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "brevik2_version.h"
#include "shell/emblem.h"

namespace brevik2::shell {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Brevik2"));
    auto* emblem = new QLabel(this);
    emblem->setPixmap(brevik2Emblem(64));

    auto* name = new QLabel(
        QStringLiteral("<b>Brevik2</b> Version %1").arg(QStringLiteral(BREVIK2_VERSION)), this);
    auto* purpose = new QLabel(
        QStringLiteral("Monitoring and control station\nfor a cesium frequency standard"), this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(purpose);
    texts->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(emblem, 0, Qt::AlignTop);
    layout->addSpacing(12);
    layout->addLayout(texts);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

}  // namespace brevik2::shell
