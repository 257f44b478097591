#include "shell/c_brevik2_view.h"

#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "shell/window_geometry.h"

namespace brevik2::shell {

CBrevik2View::CBrevik2View(const link::SettingsFile& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {}

CBrevik2View::~CBrevik2View() {
    storeRectangle();
}

void CBrevik2View::storeRectangle() {
    if (m_stored) {
        return;
    }
    m_stored = true;
    const QWidget* frame = window();
    // A minimised window keeps its normal rectangle here, but the operator did not leave it
    // there to be found again.
    if (frame == this || frame->isMinimized()) {
        return;
    }
    if (const auto text = rectangleToStore(outerRect(*frame))) {
        m_settings.writeString(link::settings_keys::kWindowRectangle.name, *text);
    }
}

}  // namespace brevik2::shell
