#pragma once

// Helpers shared by the data layer tests: a private folder per test, whole-file
// reads and writes, in-memory files, and a builder for hand-made data file
// bytes that does not use the code under test.

#include "MFile.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tvtest {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // The names in the folder (hidden ones included), sorted.
    std::vector<std::string> Entries() const { return ListFolder(m_path); }

    static std::vector<std::string> ListFolder(const std::string& folder);

private:
    std::string m_path;
};

void WriteFileBytes(const std::string& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);

Bytes BytesOf(std::string_view text);
// The first count bytes.
Bytes Prefix(const Bytes& bytes, std::size_t count);

// A read-write file that lives in memory only (memfd), holding the given bytes
// and positioned at its start.
MFile MemoryFile(const Bytes& initial = {});
// Everything in the file, after handing over what the MFile still buffers.
// The file position is left alone.
Bytes ContentsOf(MFile& file);

// Appends data file fields in their on-disk form: big-endian integers, fixed
// texts and strings with a 32-bit length, and the little-endian date form.
class ByteBuilder {
public:
    ByteBuilder& U8(std::uint8_t value);
    ByteBuilder& U16(std::uint16_t value);
    ByteBuilder& U32(std::uint32_t value);
    ByteBuilder& I32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }
    // Four characters in their written order.
    ByteBuilder& Tag(std::string_view fourChars);
    ByteBuilder& Raw(std::string_view bytes);
    ByteBuilder& Raw(const Bytes& bytes);
    // A fixed text of size n: the length n, then the text padded with zeros
    // to n bytes.
    ByteBuilder& Fixed(std::uint32_t n, std::string_view text);
    // A 32-bit length, then the bytes, without any padding.
    ByteBuilder& Str(std::string_view text);
    // The 12-byte date form: six little-endian 16-bit values.
    ByteBuilder& Date(int second, int minute, int hour, int day, int month, int year);

    // The header of a store block up to and including the category count.
    ByteBuilder& BlockStart(std::string_view tag, std::uint32_t idCounter = 0x80000000,
                            std::uint32_t lastUniqueId = 128, std::uint32_t categoryCount = 0);
    // One category entry: index, uid, flags, name.
    ByteBuilder& Category(std::uint32_t index, std::uint32_t uid, std::uint32_t flags,
                          std::string_view name);
    ByteBuilder& Settings(std::uint32_t a = 0, std::uint32_t b = 0, std::uint32_t c = 0,
                          std::uint32_t d = 0);
    // A whole block without categories or records.
    ByteBuilder& EmptyBlock(std::string_view tag);

    const Bytes& Get() const { return m_bytes; }
    std::size_t Size() const { return m_bytes.size(); }

private:
    Bytes m_bytes;
};

// The five tags in file order.
inline constexpr const char* kTags[5] = {"Vehi", "STyp", "Serv", "Trip", "Exps"};
inline constexpr std::uint32_t kVersion = 0x4D500100;

// Local time of every test is that of New York, whatever the machine's zone.
class FixedZoneTest : public ::testing::Test {
protected:
    void SetUp() override;
};

} // namespace tvtest
