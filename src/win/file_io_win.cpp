// The core's file system on Windows: the "A" file APIs, so GBK paths (a
// Chinese user name) work under the system code page 936. A save is a
// temporary file that is flushed, closed and moved over the old one in one
// MoveFileExA: ReplaceFile is not atomic under Wine.
#include <windows.h>

#include "file_io.h"
#include "win/handles.h"

namespace nuntio {
namespace {

// The journal: opened without write sharing, so a second process cannot write
// it while this one holds it; readers are let in.
class WinAppendFile final : public IAppendFile {
public:
    explicit WinAppendFile(HANDLE h) : m_file(h) {}
    bool ReadAll(std::vector<uint8_t>& out) override {
        out.clear();
        LARGE_INTEGER zero{}, size{};
        if (!::GetFileSizeEx(m_file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF)
            return false;
        if (!::SetFilePointerEx(m_file.Get(), zero, nullptr, FILE_BEGIN)) return false;
        out.resize(static_cast<size_t>(size.QuadPart));
        size_t got = 0;
        while (got < out.size()) {
            DWORD n = 0;
            const DWORD want =
                static_cast<DWORD>(out.size() - got < (1u << 20) ? out.size() - got : (1u << 20));
            if (!::ReadFile(m_file.Get(), out.data() + got, want, &n, nullptr)) {
                out.clear();
                return false;
            }
            if (n == 0) break;
            got += n;
        }
        out.resize(got);
        return true;
    }
    bool Append(const void* data, size_t size) override {
        LARGE_INTEGER zero{}, end{};
        if (!::SetFilePointerEx(m_file.Get(), zero, &end, FILE_END)) return false;
        const auto* p = static_cast<const uint8_t*>(data);
        size_t done = 0;
        while (done < size) {
            DWORD n = 0;
            const DWORD want = static_cast<DWORD>(size - done < (1u << 20) ? size - done : (1u << 20));
            if (!::WriteFile(m_file.Get(), p + done, want, &n, nullptr) || n == 0) {
                // Leave no part of the record behind.
                if (::SetFilePointerEx(m_file.Get(), end, nullptr, FILE_BEGIN)) ::SetEndOfFile(m_file.Get());
                return false;
            }
            done += n;
        }
        return true;
    }
    bool Flush() override { return ::FlushFileBuffers(m_file.Get()) != 0; }
    bool Truncate(uint64_t size) override {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(size);
        return ::SetFilePointerEx(m_file.Get(), at, nullptr, FILE_BEGIN) && ::SetEndOfFile(m_file.Get());
    }

private:
    win::UniqueFile m_file;
};

class WinFileSystem final : public IFileSystem {
public:
    bool FileExists(const std::string& path) override {
        const DWORD a = ::GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    bool DirExists(const std::string& path) override {
        const DWORD a = ::GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    bool CreateDir(const std::string& path) override {
        return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
    }
    bool SetNormalAttributes(const std::string& path) override {
        return ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
    }
    bool CreateEmpty(const std::string& path) override {
        win::UniqueFile h(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(h);
    }
    ReadStatus ReadAll(const std::string& path, std::vector<uint8_t>& out) override {
        return Read(path, SIZE_MAX, out);
    }
    ReadStatus ReadHead(const std::string& path, size_t max, std::vector<uint8_t>& out) override {
        return Read(path, max, out);
    }
    void Pause(unsigned ms) override { ::Sleep(ms); }
    bool WriteAll(const std::string& path, const void* data, size_t size) override {
        win::UniqueFile h(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) return false;
        const auto* p = static_cast<const uint8_t*>(data);
        size_t done = 0;
        while (done < size) {
            DWORD n = 0;
            const DWORD want = static_cast<DWORD>(size - done < (1u << 20) ? size - done : (1u << 20));
            if (!::WriteFile(h.Get(), p + done, want, &n, nullptr) || n == 0) return false;
            done += n;
        }
        if (!::FlushFileBuffers(h.Get())) return false;
        // A close that fails may have lost what was written.
        return ::CloseHandle(h.Release()) != 0;
    }
    bool ReplaceFile(const std::string& from, const std::string& to) override {
        // MoveFileEx refuses to replace a read-only file.
        const DWORD a = ::GetFileAttributesA(to.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) != 0)
            ::SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
        return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
               0;
    }
    bool RemoveFile(const std::string& path) override { return ::DeleteFileA(path.c_str()) != 0; }
    std::unique_ptr<IAppendFile> OpenExclusive(const std::string& path, OpenStatus& status) override {
        HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            status = ::GetLastError() == ERROR_SHARING_VIOLATION ? OpenStatus::kInUse : OpenStatus::kFailed;
            return nullptr;
        }
        status = OpenStatus::kOk;
        return std::make_unique<WinAppendFile>(h);
    }
    ReadStatus ReadAllShared(const std::string& path, std::vector<uint8_t>& out) override {
        out.clear();
        HANDLE h =
            ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD err = ::GetLastError();
            return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? ReadStatus::kMissing
                                                                              : ReadStatus::kFailed;
        }
        WinAppendFile file(h);
        return file.ReadAll(out) ? ReadStatus::kOk : ReadStatus::kFailed;
    }

private:
    static ReadStatus OpenFailure() {
        switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return ReadStatus::kMissing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return ReadStatus::kBusy;
        default: return ReadStatus::kFailed;
        }
    }
    // Reads up to max bytes from the start; the whole file when max is SIZE_MAX.
    static ReadStatus Read(const std::string& path, size_t max, std::vector<uint8_t>& out) {
        out.clear();
        // Others may read the file meanwhile, not write it.
        win::UniqueFile h(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) return OpenFailure();
        LARGE_INTEGER size;
        if (!::GetFileSizeEx(h.Get(), &size) || size.QuadPart < 0) return ReadStatus::kFailed;
        uint64_t want = static_cast<uint64_t>(size.QuadPart);
        if (max != SIZE_MAX && want > max) want = max;
        if (want > kMaxReadSize) return ReadStatus::kTooLarge;
        out.resize(static_cast<size_t>(want));
        size_t got = 0;
        while (got < out.size()) {
            DWORD n = 0;
            const DWORD step =
                static_cast<DWORD>(out.size() - got < (1u << 20) ? out.size() - got : (1u << 20));
            if (!::ReadFile(h.Get(), out.data() + got, step, &n, nullptr)) {
                out.clear();
                return ::GetLastError() == ERROR_LOCK_VIOLATION ? ReadStatus::kBusy : ReadStatus::kFailed;
            }
            if (n == 0) break; // the file shrank meanwhile
            got += n;
        }
        out.resize(got);
        return ReadStatus::kOk;
    }
};

} // namespace

IFileSystem& PlatformFileSystem() {
    static WinFileSystem fs;
    return fs;
}

} // namespace nuntio
