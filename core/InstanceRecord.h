#pragma once

#include <optional>
#include <string>

// What the running copy of Tarvenly Desktop writes into its instance lock
// file, so that other processes of the user find it without depending on
// their environment: a second copy reaches it through its socket, and tvtool
// keeps away from the files it uses.
struct InstanceRecord {
    std::string Socket;
    std::string DataFile; // empty while no data file is open or a HotSync has it
    std::string TraceLog; // empty without a trace log

    // The lock file's place, which depends only on the user: a folder of
    // the home that the password database names (not $HOME), with the
    // user id in the name. $TV_INSTANCE_FOLDER replaces the folder for test
    // runs that must not meet the user's own copy. Empty when the user has
    // no home.
    static std::string LockPath();
    // Creates the lock file's folder (owner-only) where it is missing.
    static void CreateLockFolder();

    // Replaces the content of the open lock file; false when it cannot.
    bool WriteTo(int fd) const;
    // The record in the lock file at path; none when there is none.
    static std::optional<InstanceRecord> Read(const std::string& path);
};
