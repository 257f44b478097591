#include "shell/snapshot_file.h"

#include "shell/snapshot_report.h"

namespace brevik2::shell {

bool SnapshotFile::open(const QString& path) {
    if (m_file.isOpen()) {
        m_file.close();
    }
    m_path = path;
    m_file.setFileName(path);
    // Binary: the line ends are made by withCrLf, the same on every platform.
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool SnapshotFile::write(std::string_view text) {
    if (!m_file.isOpen()) {
        return false;
    }
    const std::string bytes = withCrLf(text);
    // Flushed at once: a full disk shows at the section that did not fit, not only at the close.
    return m_file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()) &&
           m_file.flush();
}

bool SnapshotFile::close() {
    if (!m_file.isOpen()) {
        return false;
    }
    const bool flushed = m_file.flush();
    m_file.close();
    return flushed && m_file.error() == QFileDevice::NoError;
}

}  // namespace brevik2::shell
