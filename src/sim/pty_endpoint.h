#pragma once

#include <string>

namespace brevik2::sim {

// The master side of one pseudo-terminal, with a symbolic link that names its slave side for
// the host. The slave starts in raw mode (so it does not echo the unit's replies back) at the
// pty's default speed, so a host that has not configured the line yet does not look like one
// that has.
//
// Thread safety: none; one thread opens, uses and closes it.
class PtyEndpoint {
public:
    PtyEndpoint() = default;
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Opens a new pty and points linkPath (when not empty) at its slave, replacing an earlier
    // symbolic link there. Anything else at linkPath (a file, a directory) is left alone and the
    // open fails.
    bool open(const std::string& linkPath, std::string* error = nullptr);
    // Closes the master (the host sees a hang-up) and removes the link if it still names this
    // pty's slave.
    void close();

    // Throws away what was written to the master but not read on the slave side. Bytes the
    // line discipline already holds survive a close of the slave and a flush on the master, so
    // this opens the slave for a moment and flushes its input there.
    void discardUnreadOutput();

    bool isOpen() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    const std::string& slaveName() const { return m_slaveName; }

private:
    int m_master = -1;
    std::string m_slaveName;
    std::string m_linkPath;
};

}  // namespace brevik2::sim
