// POSIX file I/O for the native build. The core's paths are Windows paths in
// GBK: a backslash that is not the second byte of a double-byte character
// separates folders and becomes '/'; the other bytes are used as they are.
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "file_io.h"
#include "gbk_text.h"

namespace nuntio {
namespace {

std::string NativePath(const std::string& path) {
    std::string out = path;
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsGbkLead(c) && i + 1 < out.size() && IsGbkTrail(static_cast<unsigned char>(out[i + 1])))
            ++i; // the trail byte may be 0x5C and still not be a separator
        else if (c == '\\')
            out[i] = '/';
    }
    return out;
}

bool ReadFd(int fd, std::vector<uint8_t>& out) {
    out.clear();
    uint8_t buf[65536];
    off_t at = 0;
    while (true) {
        const ssize_t n = ::pread(fd, buf, sizeof buf, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.insert(out.end(), buf, buf + n);
        at += n;
    }
}

// The journal: an advisory lock (flock) keeps a second process from writing.
class PosixAppendFile final : public IAppendFile {
public:
    explicit PosixAppendFile(int fd) : m_fd(fd) {}
    ~PosixAppendFile() override { ::close(m_fd); }
    bool ReadAll(std::vector<uint8_t>& out) override { return ReadFd(m_fd, out); }
    bool Append(const void* data, size_t size) override {
        const off_t end = ::lseek(m_fd, 0, SEEK_END);
        if (end < 0) return false;
        const auto* p = static_cast<const uint8_t*>(data);
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(m_fd, p + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                // Leave no part of the record behind.
                if (::ftruncate(m_fd, end) != 0) return false;
                return false;
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }
    bool Flush() override { return ::fdatasync(m_fd) == 0; }
    bool Truncate(uint64_t size) override { return ::ftruncate(m_fd, static_cast<off_t>(size)) == 0; }

private:
    int m_fd;
};

class PosixFileSystem final : public IFileSystem {
public:
    bool FileExists(const std::string& path) override {
        struct stat st;
        return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    bool DirExists(const std::string& path) override {
        struct stat st;
        return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool CreateDir(const std::string& path) override { return ::mkdir(NativePath(path).c_str(), 0777) == 0; }
    bool SetNormalAttributes(const std::string& path) override {
        const std::string p = NativePath(path);
        struct stat st;
        if (::stat(p.c_str(), &st) != 0) return false;
        return ::chmod(p.c_str(), (st.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0;
    }
    bool CreateEmpty(const std::string& path) override {
        const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        return ::close(fd) == 0;
    }
    ReadStatus ReadAll(const std::string& path, std::vector<uint8_t>& out) override {
        return Read(path, SIZE_MAX, out);
    }
    ReadStatus ReadHead(const std::string& path, size_t max, std::vector<uint8_t>& out) override {
        return Read(path, max, out);
    }
    void Pause(unsigned ms) override {
        timespec t{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
        while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
        }
    }
    bool WriteAll(const std::string& path, const void* data, size_t size) override {
        const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        const auto* p = static_cast<const uint8_t*>(data);
        size_t done = 0;
        bool ok = true;
        while (done < size) {
            const ssize_t n = ::write(fd, p + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok = false;
                break;
            }
            done += static_cast<size_t>(n);
        }
        if (ok && ::fsync(fd) != 0) ok = false;
        if (::close(fd) != 0) ok = false;
        return ok;
    }
    bool ReplaceFile(const std::string& from, const std::string& to) override {
        return ::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
    }
    bool RemoveFile(const std::string& path) override { return ::unlink(NativePath(path).c_str()) == 0; }
    std::unique_ptr<IAppendFile> OpenExclusive(const std::string& path, OpenStatus& status) override {
        status = OpenStatus::kFailed;
        const int fd = ::open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return nullptr;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK) status = OpenStatus::kInUse;
            ::close(fd);
            return nullptr;
        }
        status = OpenStatus::kOk;
        return std::make_unique<PosixAppendFile>(fd);
    }

private:
    static ReadStatus Read(const std::string& path, size_t max, std::vector<uint8_t>& out) {
        out.clear();
        const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return errno == ENOENT ? ReadStatus::kMissing : ReadStatus::kFailed;
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return ReadStatus::kFailed;
        }
        uint64_t want = static_cast<uint64_t>(st.st_size);
        if (max != SIZE_MAX && want > max) want = max;
        if (want > kMaxReadSize) {
            ::close(fd);
            return ReadStatus::kTooLarge;
        }
        out.resize(static_cast<size_t>(want));
        size_t got = 0;
        while (true) {
            if (got == out.size()) {
                if (max != SIZE_MAX && got >= max) break;
                out.resize(got + 4096); // the file grew meanwhile
            }
            const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ::close(fd);
                out.clear();
                return ReadStatus::kFailed;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        out.resize(got);
        ::close(fd);
        return ReadStatus::kOk;
    }
};

} // namespace

IFileSystem& PlatformFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

} // namespace nuntio
