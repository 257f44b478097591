#include "sim/request_parser.h"

#include "link/request_framing.h"

namespace brevik2::sim {
namespace {

constexpr std::string_view kHead = " 00000 ";

bool isCodeChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7F;
}

}  // namespace

std::vector<Request> RequestParser::feed(std::string_view bytes) {
    std::vector<Request> requests;
    for (char c : bytes) {
        if (c == link::kStx) {
            if (m_inFrame) {
                ++m_rejected;
            }
            m_frame.clear();
            m_inFrame = true;
            m_overflow = false;
            continue;
        }
        if (!m_inFrame) {
            continue;
        }
        if (c == link::kEtx) {
            Request request;
            if (!m_overflow && parseFrame(m_frame, request)) {
                requests.push_back(std::move(request));
            } else {
                ++m_rejected;
            }
            m_frame.clear();
            m_inFrame = false;
            continue;
        }
        if (m_frame.size() < kMaxFrameChars) {
            m_frame += c;
        } else {
            m_overflow = true;
        }
    }
    return requests;
}

void RequestParser::reset() {
    m_frame.clear();
    m_inFrame = false;
    m_overflow = false;
}

bool RequestParser::parseFrame(std::string_view frame, Request& out) const {
    if (frame.size() < 3) {
        return false;
    }
    std::string_view code = frame.substr(0, 3);
    while (!code.empty() && code.front() == ' ') {
        code.remove_prefix(1);
    }
    if (code.empty()) {
        return false;
    }
    for (char c : code) {
        if (!isCodeChar(c)) {
            return false;
        }
    }
    std::string_view rest = frame.substr(3);
    std::string_view parameter;
    if (rest.size() >= kHead.size() && rest.substr(0, kHead.size()) == kHead) {
        parameter = rest.substr(kHead.size());
    } else if (!rest.empty() && rest != kHead.substr(0, kHead.size() - 1)) {
        return false;
    }
    out.code.assign(code);
    out.parameter.assign(parameter);
    return true;
}

}  // namespace brevik2::sim
