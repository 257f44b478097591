#pragma once

#include <optional>

namespace brevik2::shell {

struct LockKeyState {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

// The keyboard's lock keys where the platform tells them. Qt has no portable query: on X11 the
// keyboard extension answers; elsewhere (Wayland, the offscreen platform, other systems) this
// gives nothing and the status bar keeps its indicators grey.
std::optional<LockKeyState> queryLockKeys();

}  // namespace brevik2::shell
