#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "link/status_output.h"

namespace brevik2::testing {

// Keeps every status text, for tests that check what the operator would have read.
class RecordingStatusOutput final : public link::StatusOutput {
public:
    void statusText(std::string_view text) override {
        std::lock_guard lock(m_mutex);
        m_texts.emplace_back(text);
    }
    std::vector<std::string> texts() const {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }
    bool saw(std::string_view text) const {
        std::lock_guard lock(m_mutex);
        for (const auto& t : m_texts) {
            if (t == text) {
                return true;
            }
        }
        return false;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_texts.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

}  // namespace brevik2::testing
