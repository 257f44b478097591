#pragma once

#include <QDialog>

namespace brevik2::shell {

// The about box: the program's emblem, name and purpose. Shown modally from the Help menu, and
// for one second as a banner at start-up. It closes when the left mouse button is released
// over it, or with Escape.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace brevik2::shell
