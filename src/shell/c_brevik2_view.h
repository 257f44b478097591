#pragma once

#include <QWidget>

namespace brevik2::link {
class SettingsFile;
}

namespace brevik2::shell {

// The main frame's client area. It carries no data and paints nothing; its one duty is to
// remember where the main window was: it stores the frame's outer rectangle as WindowRectangle
// once, at the exit step or else when it is destroyed with the frame, unless the window sits at
// the screen's edge or is minimised, when the stored value stays.
class CBrevik2View : public QWidget {
    Q_OBJECT
public:
    explicit CBrevik2View(const link::SettingsFile& settings, QWidget* parent = nullptr);
    ~CBrevik2View() override;

    void storeRectangle();

private:
    const link::SettingsFile& m_settings;
    bool m_stored = false;
};

}  // namespace brevik2::shell
