// The yardsticks of a program's start-up and of opening a file: a C++ program
// that links the standard library only, reads the file it is given and prints
// its size. With --whole it reads the file into memory of its own in one
// piece, as any program must that keeps the bytes after the file changes:
// the least an open of the file can cost.

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    const bool whole = argc == 3 && std::strcmp(argv[1], "--whole") == 0;
    if (argc != 2 && !whole)
        return 2;
    std::FILE* file = std::fopen(argv[argc - 1], "rb");
    if (file == nullptr)
        return 1;
    std::size_t size = 0;
    if (whole) {
        std::fseek(file, 0, SEEK_END);
        const auto length = static_cast<std::size_t>(std::ftell(file));
        std::fseek(file, 0, SEEK_SET);
        // Left uninitialised: the read is the first to write the memory.
        const std::unique_ptr<char[]> bytes(new char[length]);
        size = std::fread(bytes.get(), 1, length, file);
    } else {
        std::vector<char> bytes(1 << 16);
        for (std::size_t got; (got = std::fread(bytes.data(), 1, bytes.size(), file)) != 0;)
            size += got;
    }
    std::fclose(file);
    std::printf("%zu bytes\n", size);
    return 0;
}
