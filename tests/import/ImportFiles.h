#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// A fresh folder per test, removed afterwards, with files written into it.
class ImportFolder {
public:
    ImportFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tvimport-test-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~ImportFolder() { std::filesystem::remove_all(m_path); }
    ImportFolder(const ImportFolder&) = delete;
    ImportFolder& operator=(const ImportFolder&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }

private:
    std::filesystem::path m_path;
};
