#pragma once

namespace varne {

// Owns one POSIX file descriptor and closes it when it goes out of scope.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { close(); }

    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    int release();
    void close();

private:
    int fd_ = -1;
};

} // namespace varne
