#include "dialogs/user_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace brevik2::dialogs {

void QtUserPrompts::information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

QString QtUserPrompts::saveFileName(QWidget* parent, const QString& defaultName,
                                    const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), defaultName, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

QString QtUserPrompts::existingDirectory(QWidget* parent, const QString& caption,
                                         const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, caption, startFolder);
}

}  // namespace brevik2::dialogs
