#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// A NUL-terminated text in a buffer of exactly N bytes, as stored in the data
// file. The whole buffer is written back, so bytes after the terminator that
// came from the file survive a save. When the buffer holds no NUL, its last
// byte counts as the terminator, so the text never runs past the buffer.
template <std::size_t N> struct FixedText {
    static_assert(N > 1);
    static constexpr std::size_t kSize = N;

    char bytes[N] = {};

    std::string_view View() const { return {bytes, ::strnlen(bytes, N - 1)}; }

    // Keeps at most N - 1 characters and clears the rest of the buffer.
    void Set(std::string_view text) {
        const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
        std::memset(bytes, 0, N);
        if (length != 0) // an empty view may carry no pointer at all
            std::memcpy(bytes, text.data(), length);
    }

    bool operator==(const FixedText&) const = default;
};
