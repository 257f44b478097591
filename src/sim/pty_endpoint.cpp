#include "sim/pty_endpoint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace brevik2::sim {
namespace {

void setError(std::string* error, const std::string& what) {
    if (error != nullptr) {
        *error = what + ": " + std::strerror(errno);
    }
}

// The target of a symbolic link, or "" when path is no symbolic link.
std::string linkTarget(const std::string& path) {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size() - 1);
    if (n < 0) {
        return {};
    }
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace

PtyEndpoint::~PtyEndpoint() {
    close();
}

bool PtyEndpoint::open(const std::string& linkPath, std::string* error) {
    close();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        setError(error, "posix_openpt");
        return false;
    }
    char name[256];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        setError(error, "preparing the pty");
        ::close(master);
        return false;
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    termios t{};
    if (::tcgetattr(master, &t) == 0) {
        const speed_t speed = ::cfgetospeed(&t);
        ::cfmakeraw(&t);
        ::cfsetospeed(&t, speed);
        ::cfsetispeed(&t, speed);
        ::tcsetattr(master, TCSANOW, &t);
    }

    if (!linkPath.empty()) {
        struct stat st {};
        if (::lstat(linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
            errno = EEXIST;
            setError(error, linkPath + " exists and is not a symbolic link");
            ::close(master);
            return false;
        }
        // Made under a temporary name and renamed, so the path never names nothing while an
        // old link is replaced.
        const std::string temporary = linkPath + ".new" + std::to_string(::getpid());
        ::unlink(temporary.c_str());
        if (::symlink(name, temporary.c_str()) != 0) {
            setError(error, "symlink " + linkPath);
            ::close(master);
            return false;
        }
        if (::rename(temporary.c_str(), linkPath.c_str()) != 0) {
            setError(error, "rename to " + linkPath);
            ::unlink(temporary.c_str());
            ::close(master);
            return false;
        }
    }
    m_master = master;
    m_slaveName = name;
    m_linkPath = linkPath;
    return true;
}

void PtyEndpoint::discardUnreadOutput() {
    if (m_master < 0) {
        return;
    }
    ::tcflush(m_master, TCOFLUSH);
    const int slave = ::open(m_slaveName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        ::tcflush(slave, TCIFLUSH);
        ::close(slave);
    }
}

void PtyEndpoint::close() {
    if (m_master < 0) {
        return;
    }
    // Another simulator may have taken the path over since; its link stays.
    if (!m_linkPath.empty() && linkTarget(m_linkPath) == m_slaveName) {
        ::unlink(m_linkPath.c_str());
    }
    ::close(m_master);
    m_master = -1;
}

}  // namespace brevik2::sim
