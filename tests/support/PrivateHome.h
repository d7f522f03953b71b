#pragma once

// A home of the test program's own: HOME and the XDG folders point into a
// fresh temporary folder for as long as the object lives, so that settings,
// Palm Desktop's keys, desktop entries, the hand-over socket and the instance
// lock are never the user's, also for the programs the tests start. The runtime folder is the
// owner's alone, as the socket requires.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

class PrivateHome {
public:
    PrivateHome() {
        if (!m_home.isValid())
            return;
        const QByteArray root = m_home.path().toLocal8Bit();
        ::setenv("HOME", root.constData(), 1);
        ::setenv("XDG_CONFIG_HOME", (root + "/.config").constData(), 1);
        ::setenv("XDG_DATA_HOME", (root + "/.local/share").constData(), 1);
        ::setenv("XDG_CACHE_HOME", (root + "/.cache").constData(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root + "/run").constData(), 1);
        // The instance lock's place depends on the user alone; the tests'
        // copies of the program keep theirs in the private home.
        ::setenv("TV_INSTANCE_FOLDER", (root + "/state").constData(), 1);
        QDir(m_home.path()).mkpath("state");
        QDir(m_home.path()).mkpath("run");
        QFile::setPermissions(m_home.path() + "/run",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    bool IsValid() const { return m_home.isValid(); }

private:
    QTemporaryDir m_home;
};
