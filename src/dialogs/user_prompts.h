#pragma once

#include <QString>

class QWidget;

namespace brevik2::dialogs {

// Every message box and file dialog of the window goes through here, so that tests can answer
// them. Each call is modal to its parent and returns when the operator has answered.
//
// Thread safety: user-interface thread only.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A message box with a single OK button.
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;

    // A save-file dialog asking before an existing file is replaced; empty when cancelled.
    // filter is in the toolkit's form ("Text File (*.txt);;All Files (*.*)").
    virtual QString saveFileName(QWidget* parent, const QString& defaultName, const QString& filter,
                                 const QString& defaultSuffix) = 0;

    // A folder picker; empty when cancelled.
    virtual QString existingDirectory(QWidget* parent, const QString& caption,
                                      const QString& startFolder) = 0;
};

// The real boxes and dialogs of the toolkit.
class QtUserPrompts final : public UserPrompts {
public:
    void information(QWidget* parent, const QString& title, const QString& text) override;
    QString saveFileName(QWidget* parent, const QString& defaultName, const QString& filter,
                         const QString& defaultSuffix) override;
    QString existingDirectory(QWidget* parent, const QString& caption,
                              const QString& startFolder) override;
};

}  // namespace brevik2::dialogs
