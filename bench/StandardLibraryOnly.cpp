// The yardstick of a program's start-up: a C++ program that links the
// standard library only, reads the file it is given and prints its size.

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    std::FILE* file = std::fopen(argv[1], "rb");
    if (file == nullptr)
        return 1;
    std::vector<char> bytes(1 << 16);
    std::size_t size = 0;
    for (std::size_t got; (got = std::fread(bytes.data(), 1, bytes.size(), file)) != 0;)
        size += got;
    std::fclose(file);
    std::printf("%zu bytes\n", size);
    return 0;
}
