// Turns a fuzzer's bytes into what the viewer reads: a file on disk (in
// memory, through memfd) and small numbers taken from the front.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class FuzzFile {
public:
    FuzzFile(const uint8_t* data, size_t size);
    ~FuzzFile();
    FuzzFile(const FuzzFile&) = delete;
    FuzzFile& operator=(const FuzzFile&) = delete;

    // A path that opens the bytes as a regular file.
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// Takes values from the front of the input, 0 when it runs out.
class FuzzReader {
public:
    FuzzReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return size_ ? (--size_, *data_++) : 0; }
    uint16_t Word() { return static_cast<uint16_t>((Byte() << 8) | Byte()); }
    const uint8_t* Rest() const { return data_; }
    size_t RestSize() const { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
};
