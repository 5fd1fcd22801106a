#pragma once
// POSIX file descriptors owned by one object, and the opening of regular files for reading
// without ever waiting on a named pipe or a device.

#include <cstdint>
#include <filesystem>

namespace tw {

// A file descriptor closed with its owner; -1 holds none.
class FileDescriptor {
  public:
    FileDescriptor() noexcept = default;
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    // Gives up ownership: the caller closes the descriptor.
    int release() noexcept;

  private:
    int fd_ = -1;
};

// A file opened for reading. `fd` is valid only when the path named a regular file; otherwise
// `error` holds the system's error number, or EISDIR for anything that is not a regular file
// (a directory, a named pipe, a device, a socket).
struct RegularFileForReading {
    FileDescriptor fd;
    std::uint64_t size = 0;
    int error = 0;
};

// Opens `path` without blocking on a named pipe or a device and without making a terminal the
// controlling one, and keeps the descriptor only when it is a regular file (checked on the
// open descriptor, so the answer holds for the file actually read).
RegularFileForReading openRegularFileForReading(const std::filesystem::path& path);

}  // namespace tw
