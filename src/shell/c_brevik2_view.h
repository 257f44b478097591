#pragma once

#include <QWidget>

namespace brevik2::link {
class SettingsFile;
}

namespace brevik2::shell {

// The main frame's client area. It carries no data and paints nothing; its one duty is to
// remember where the main window was: when it is destroyed with the frame it stores the frame's
// outer rectangle as WindowRectangle, unless the window sits at the screen's edge or is
// minimised, when the stored value stays.
class CBrevik2View : public QWidget {
    Q_OBJECT
public:
    explicit CBrevik2View(const link::SettingsFile& settings, QWidget* parent = nullptr);
    ~CBrevik2View() override;

private:
    const link::SettingsFile& m_settings;
};

}  // namespace brevik2::shell
