#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/monitor_reporter.h"

namespace brevik2::testing {

// Keeps every status text and status message the monitor thread reports, and lets a test wait
// until a condition over them holds.
class RecordingReporter final : public engine::MonitorReporter {
public:
    void statusText(std::string_view text) override {
        {
            std::lock_guard lock(m_mutex);
            m_texts.emplace_back(text);
        }
        m_changed.notify_all();
    }

    void statusMessage(engine::StatusMessage message) override {
        {
            std::lock_guard lock(m_mutex);
            m_messages.push_back(std::move(message));
        }
        m_changed.notify_all();
    }

    std::vector<std::string> texts() const {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }

    // Messages other than code 0.
    std::vector<engine::StatusMessage> messages() const {
        std::lock_guard lock(m_mutex);
        std::vector<engine::StatusMessage> result;
        for (const auto& m : m_messages) {
            if (m.code != 0) {
                result.push_back(m);
            }
        }
        return result;
    }

    std::size_t messageCount() const {
        std::lock_guard lock(m_mutex);
        return m_messages.size();
    }

    // Waits until a message with the code has come, returning the newest such one.
    bool waitForMessage(int code, std::chrono::milliseconds timeout,
                        engine::StatusMessage* found = nullptr, std::size_t atLeast = 1) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            std::size_t seen = 0;
            for (const auto& m : m_messages) {
                if (m.code == code && ++seen >= atLeast && found != nullptr) {
                    *found = m;
                }
            }
            return seen >= atLeast;
        });
    }

    std::size_t countMessages(int code) const {
        std::lock_guard lock(m_mutex);
        std::size_t n = 0;
        for (const auto& m : m_messages) {
            n += m.code == code ? 1 : 0;
        }
        return n;
    }

    std::size_t countText(const std::string& text) const {
        std::lock_guard lock(m_mutex);
        std::size_t n = 0;
        for (const auto& t : m_texts) {
            n += t == text ? 1 : 0;
        }
        return n;
    }

    bool waitForText(const std::string& text, std::chrono::milliseconds timeout,
                     std::size_t atLeast = 1) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            std::size_t n = 0;
            for (const auto& t : m_texts) {
                n += t == text ? 1 : 0;
            }
            return n >= atLeast;
        });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_texts;
    std::vector<engine::StatusMessage> m_messages;
};

}  // namespace brevik2::testing
