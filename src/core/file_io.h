// The file-I/O seam: everything the core asks of the file system. Paths are
// GBK strings in Windows form (backslashes); each platform maps them as it
// must. Tests substitute their own implementation to make writes fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nuntio {

// A file held open for appending: the change journal. Others may read it
// while it is open, no one else may write it.
class IAppendFile {
public:
    virtual ~IAppendFile() = default;
    // The whole contents, from the first byte.
    virtual bool ReadAll(std::vector<uint8_t>& out) = 0;
    // Writes the bytes at the end of the file.
    virtual bool Append(const void* data, size_t size) = 0;
    // Makes what was appended durable (FlushFileBuffers, fsync).
    virtual bool Flush() = 0;
    // Cuts the file to size bytes; later appends go after them.
    virtual bool Truncate(uint64_t size) = 0;
};

enum class OpenStatus {
    kOk,
    kInUse,  // another process holds the file open for writing
    kFailed, // cannot be created or opened (read-only folder, no such folder)
};

enum class ReadStatus {
    kOk,
    kMissing,  // no such file
    kBusy,     // another program holds it open without sharing (a virus scanner, a backup): worth waiting for
    kTooLarge, // over kMaxReadSize: more than this library holds in memory
    kFailed,   // exists but cannot be opened or read
};

// The largest file the library reads whole (2 GiB - 1).
inline constexpr uint64_t kMaxReadSize = 0x7FFFFFFF;

class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // True when path names an existing file (not a folder).
    virtual bool FileExists(const std::string& path) = 0;
    // True when path names an existing folder.
    virtual bool DirExists(const std::string& path) = 0;
    // Creates one folder level; the parent must exist. False on failure,
    // also when the folder already exists.
    virtual bool CreateDir(const std::string& path) = 0;
    // Clears read-only and hidden (normal attributes). False on failure.
    virtual bool SetNormalAttributes(const std::string& path) = 0;
    // Creates the file empty, truncating one that exists.
    virtual bool CreateEmpty(const std::string& path) = 0;
    // Reads the whole file, sharing it for reading only while it is open.
    virtual ReadStatus ReadAll(const std::string& path, std::vector<uint8_t>& out) = 0;
    // Reads at most max bytes from the start of the file, whatever its size.
    virtual ReadStatus ReadHead(const std::string& path, size_t max, std::vector<uint8_t>& out) {
        const ReadStatus st = ReadAll(path, out);
        if (out.size() > max) out.resize(max);
        return st;
    }
    // Lets time pass before a busy file is tried again.
    virtual void Pause(unsigned /*ms*/) {}
    // Creates or truncates path, writes the bytes, flushes them to the disk and
    // closes it. False when any step fails (the file may then be incomplete).
    virtual bool WriteAll(const std::string& path, const void* data, size_t size) = 0;
    // Renames from over to in one step, replacing to when it exists (even a
    // read-only one) and writing through to the disk.
    virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    // Opens path for reading and appending, creating it empty when missing,
    // and holds it so that no other process can open it for writing until the
    // returned object is destroyed. Null with status kInUse or kFailed.
    virtual std::unique_ptr<IAppendFile> OpenExclusive(const std::string& /*path*/, OpenStatus& status) {
        status = OpenStatus::kFailed;
        return nullptr;
    }
    // Like ReadAll, also while another process holds the file for writing.
    virtual ReadStatus ReadAllShared(const std::string& path, std::vector<uint8_t>& out) {
        return ReadAll(path, out);
    }
};

// The platform's own file system (POSIX natively, the "A" APIs on Windows).
IFileSystem& PlatformFileSystem();

// A program that holds a file for a moment (a virus scanner, a backup tool)
// lets go within a second or two: reading waits that long for it.
inline constexpr unsigned kBusyWaitMs = 2000;
inline constexpr unsigned kBusyStepMs = 100;

// ReadAll (or ReadHead when max is given) that tries again for up to
// kBusyWaitMs while the file is busy.
ReadStatus ReadPatiently(IFileSystem& fs, const std::string& path, std::vector<uint8_t>& out,
                         size_t max = SIZE_MAX);

// Writes path so that it holds either its old bytes or all the new ones: the
// bytes go to a temporary file beside it, which then replaces it in one rename.
// On failure the temporary file is removed and the old file is untouched.
bool WriteFileAtomic(IFileSystem& fs, const std::string& path, const void* data, size_t size);
// The temporary file that WriteFileAtomic uses for path.
std::string TempPathFor(const std::string& path);

// A free name beside path for a damaged file kept aside:
// "<path>.damaged-YYYYMMDD-HHMMSS" (local time now), then "-2" to "-99" when
// taken; empty when all are.
std::string AsideName(IFileSystem& fs, const std::string& path, int64_t now);
// Writes bytes (a damaged file's) to AsideName(path), atomically; the name,
// or empty when nothing could be written.
std::string KeepCopyAside(IFileSystem& fs, const std::string& path, const std::vector<uint8_t>& bytes,
                          int64_t now);

// The per-user folder: root + "\User\" + user + "\Nuntio\" (ends with a backslash).
std::string UserFolder(const std::string& root, const std::string& user);

// Whether user names exactly one folder under root + "\User\".
enum class UserNameCheck {
    kOk,
    kEmpty,        // no name, or no root
    kSeparator,    // a path separator or a drive's colon: the files would land elsewhere
    kDots,         // "." or "..", or a name ending in a dot or a space (Windows drops them)
    kDeviceName,   // CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with any extension
    kBadCharacter, // a control character, one of < > " | ? *, or bytes that are no GBK character
    kTooLong,      // the folder would leave no room within MAX_PATH for the longest file name we write
};
// The longest file name the library writes into the user folder:
// "AlertMsg.DAT.journal.damaged-YYYYMMDD-HHMMSS-NN.tmp".
inline constexpr size_t kLongestFileName = 51;
// Windows' MAX_PATH, the terminating NUL included.
inline constexpr size_t kMaxPath = 260;
UserNameCheck CheckUserName(const std::string& root, const std::string& user);
// path without the backslashes and slashes at its end (a double-byte
// character whose second byte is 0x5C stays whole).
std::string WithoutTrailingSeparators(const std::string& path);

} // namespace nuntio
