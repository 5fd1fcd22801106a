#pragma once
// Files written whole: the text goes to a fresh temporary file beside the file it replaces and
// is renamed over it only once all of it is on disk, so that a crash, a full disk or a failed
// write never leaves half a file and never touches the old one.

#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// A file that could not be read or written; the text names the file and the system's reason,
// `systemError` is that reason's error number (0 where the refusal is our own, such as a target
// that is not a regular file).
class FileError : public std::runtime_error {
  public:
    explicit FileError(const std::string& what, int systemError = 0)
        : std::runtime_error(what), systemError_(systemError) {}
    int systemError() const noexcept { return systemError_; }

  private:
    int systemError_;
};

// A buffered output stream over an open POSIX file descriptor (not owned). A failed write puts
// the stream in the bad state and keeps the system's error number.
class DescriptorOutput final : public std::ostream {
  public:
    explicit DescriptorOutput(int fd);
    ~DescriptorOutput() override;
    DescriptorOutput(const DescriptorOutput&) = delete;
    DescriptorOutput& operator=(const DescriptorOutput&) = delete;

    // The error number of the first failed write, 0 while none failed.
    int error() const noexcept { return buffer_.error(); }

  private:
    class Buffer final : public std::streambuf {
      public:
        explicit Buffer(int fd);
        int error() const noexcept { return error_; }

      protected:
        int_type overflow(int_type ch) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;
        int sync() override;

      private:
        bool drain();
        bool writeAll(const char* text, std::size_t count);
        void startWriteback() noexcept;

        int fd_;
        int error_ = 0;
        std::size_t unstarted_ = 0;  // bytes written since the disk was last asked to take them
        bool writeback_ = true;
        std::vector<char> space_;
    };
    Buffer buffer_;
};

// Replaces the file that `path` names. A symbolic link is followed to the file it points to,
// and that file is replaced in its own directory, so the link stays a link. An existing target
// that is not a regular file (a device, a FIFO, a directory, a socket), or that this user may
// not write (as a plain write would find: a read-only file, another user's file), is refused.
// The new file takes the permissions of the file it replaces (a new one those of the process's
// umask).
//
// The temporary is named after the target, "NAME.tmp-XXXXXX" (NAME cut short where the whole
// would pass the system's limit of 255 bytes for a name), created exclusively and locked for as
// long as this object holds it. Each save first removes stale temporaries of the same target
// left by writers that died: only files of exactly that name pattern, regular, owned by this
// user, last written before this program started (two seconds earlier, for coarse file system
// clocks), and not locked by a living writer.
//
// Written in place, and so NOT atomically: a target with more than one hard link (replacing it
// would part it from its other names), and a writable target whose folder refuses a temporary
// (a read-only folder) or the rename (another user's file in a sticky folder such as /tmp).
// The contents then go to an unnamed temporary file first and are copied over the target at
// commit(): a failure before commit leaves the target as it was, one during the copy may leave
// it cut short.
//
// Temporaries of files still being written are removed by removeTemporariesOnSignal(), for a
// program that ends on a signal.
class AtomicFile {
  public:
    // FileError when the target cannot be replaced or the temporary cannot be created.
    explicit AtomicFile(const std::filesystem::path& path);
    // Removes the temporary unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Where the contents go; a failed write shows at commit().
    std::ostream& stream() noexcept { return stream_; }
    // The file that will be replaced (the end of any chain of links) and the temporary (empty
    // when the file is written in place).
    const std::filesystem::path& target() const noexcept { return target_; }
    const std::filesystem::path& temporary() const noexcept { return temporary_; }
    // The target is written in place, not replaced (see above).
    bool inPlace() const noexcept { return inPlace_; }

    // Flushes the stream, puts the contents on disk and renames the temporary over the target.
    // FileError when any step fails; the temporary is then removed and the target untouched.
    void commit();

  private:
    struct Opened {
        std::filesystem::path target, temporary;
        int fd;
        bool inPlace = false;
    };
    AtomicFile(const std::filesystem::path& path, Opened opened);
    static Opened open(const std::filesystem::path& path);
    void discard() noexcept;
    [[noreturn]] void fail(int systemError, const std::string& reason);
    void copyIntoTarget();

    std::filesystem::path requested_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    bool inPlace_ = false;
    int slot_ = -1;  // in the list of temporaries removed on a signal
    DescriptorOutput stream_;
    bool open_ = true;
};

// Removes the temporaries of every AtomicFile still open; safe to call from a signal handler
// (it only unlinks), for a program that is about to end on the signal.
void removeTemporariesOnSignal() noexcept;

// The name of the temporaries of a target named `targetName`, before their random part:
// "NAME.tmp-", NAME cut at a character boundary so that the whole stays within 255 bytes.
std::string temporaryStem(std::string_view targetName);

// Writes `contents` as the whole of the file `path` names, through an AtomicFile.
void writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

}  // namespace tw
