#pragma once

#include <QFile>
#include <QString>
#include <string_view>

namespace brevik2::shell {

// The snapshot report file while it is being written. Every write and the close are checked,
// so a full disk or a vanished folder is reported instead of leaving a torn report behind.
//
// Thread safety: user-interface thread only.
class SnapshotFile {
public:
    // Creates or empties the file; false when it cannot be opened for writing.
    bool open(const QString& path);
    bool isOpen() const { return m_file.isOpen(); }
    const QString& path() const { return m_path; }

    // Writes the text with its "\n" turned into CR LF and hands it to the system; false when
    // not all of it got there.
    bool write(std::string_view text);

    // Flushes and closes; false when anything written so far did not reach the disk. The file
    // is closed either way.
    bool close();

private:
    QFile m_file;
    QString m_path;
};

}  // namespace brevik2::shell
