#include "dialogs/scanning_dialog.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_context.h"
#include "engine/station.h"

namespace brevik2::dialogs {

ScanningDialog::ScanningDialog(DialogContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setWindowTitle(QStringLiteral("Scanning ..."));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &ScanningDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cancel, 0, Qt::AlignCenter);
    setMinimumWidth(180);
}

void ScanningDialog::endScanning() {
    if (isVisible()) {
        accept();
    }
}

void ScanningDialog::reject() {
    m_context.station.cancelScan();
    QDialog::reject();
}

}  // namespace brevik2::dialogs
