#include "tw/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tw {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

int FileDescriptor::release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

RegularFileForReading openRegularFileForReading(const std::filesystem::path& path) {
    RegularFileForReading file;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        file.error = errno;
        return file;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        file.error = errno;
        return file;
    }
    if (!S_ISREG(st.st_mode)) {
        file.error = EISDIR;
        return file;
    }
    // Reads of a regular file never wait; clear the flag all the same.
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    file.size = static_cast<std::uint64_t>(st.st_size);
    file.fd = std::move(fd);
    return file;
}

}  // namespace tw
