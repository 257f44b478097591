#include "shell/lock_key_state.h"

namespace brevik2::shell {

std::optional<LockKeyState> queryLockKeys() {
    return std::nullopt;
}

}  // namespace brevik2::shell
