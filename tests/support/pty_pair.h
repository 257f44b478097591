#pragma once

#include <string>

namespace brevik2::testing {

// A pseudo-terminal whose slave side the code under test opens as its serial port, while the
// test plays the instrument on the master side.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int masterFd() const { return m_master; }
    const std::string& slaveName() const { return m_slaveName; }

    void send(const std::string& bytes) const;
    // Whatever the other side wrote within the time given.
    std::string receive(int waitMs) const;

private:
    int m_master = -1;
    int m_slaveKeeper = -1;  // keeps the slave side alive between opens by the code under test
    std::string m_slaveName;
};

}  // namespace brevik2::testing
