// The platform-independent part of file I/O: the atomic write, patient
// reading, and the paths.
#include "file_io.h"

#include <cstring>

#include "gbk_text.h"
#include "local_time.h"

namespace nuntio {

std::string TempPathFor(const std::string& path) {
    return path + ".tmp";
}

bool WriteFileAtomic(IFileSystem& fs, const std::string& path, const void* data, size_t size) {
    const std::string temp = TempPathFor(path);
    if (!fs.WriteAll(temp, data, size) || !fs.ReplaceFile(temp, path)) {
        fs.RemoveFile(temp);
        return false;
    }
    return true;
}

std::string AsideName(IFileSystem& fs, const std::string& path, int64_t now) {
    const std::string base = path + ".damaged-" + FileStamp(now);
    for (int n = 1; n < 100; ++n) {
        const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        if (!fs.FileExists(name)) return name;
    }
    return {};
}

std::string KeepCopyAside(IFileSystem& fs, const std::string& path, const std::vector<uint8_t>& bytes,
                          int64_t now) {
    const std::string name = AsideName(fs, path, now);
    return !name.empty() && WriteFileAtomic(fs, name, bytes.data(), bytes.size()) ? name : std::string();
}

ReadStatus ReadPatiently(IFileSystem& fs, const std::string& path, std::vector<uint8_t>& out, size_t max) {
    for (unsigned waited = 0;; waited += kBusyStepMs) {
        const ReadStatus st = max == SIZE_MAX ? fs.ReadAll(path, out) : fs.ReadHead(path, max, out);
        if (st != ReadStatus::kBusy || waited >= kBusyWaitMs) return st;
        fs.Pause(kBusyStepMs);
    }
}

std::string UserFolder(const std::string& root, const std::string& user) {
    return root + "\\User\\" + user + "\\Nuntio\\";
}

namespace {

bool IsDeviceName(const std::string& user) {
    // Windows opens the device whatever the extension ("nul.txt"), and
    // ignores spaces before it.
    std::string base = user.substr(0, user.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const char* name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (base == name) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

} // namespace

UserNameCheck CheckUserName(const std::string& root, const std::string& user) {
    if (root.empty() || user.empty()) return UserNameCheck::kEmpty;
    for (size_t i = 0; i < user.size(); ++i) {
        const auto c = static_cast<unsigned char>(user[i]);
        if (c >= 0x80) {
            // A double-byte character: its second byte may be 0x5C and still
            // be no backslash.
            if (!IsGbkLead(c) || i + 1 >= user.size() || !IsGbkTrail(static_cast<unsigned char>(user[i + 1])))
                return UserNameCheck::kBadCharacter;
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':') return UserNameCheck::kSeparator;
        if (c < 0x20 || std::strchr("<>\"|?*", c) != nullptr) return UserNameCheck::kBadCharacter;
    }
    if (user == "." || user == ".." || user.back() == '.' || user.back() == ' ') return UserNameCheck::kDots;
    if (IsDeviceName(user)) return UserNameCheck::kDeviceName;
    if (UserFolder(root, user).size() + kLongestFileName >= kMaxPath) return UserNameCheck::kTooLong;
    return UserNameCheck::kOk;
}

std::string WithoutTrailingSeparators(const std::string& path) {
    size_t keep = 0; // the end of the last character that is no separator
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (IsGbkLead(c) && i + 1 < path.size() && IsGbkTrail(static_cast<unsigned char>(path[i + 1]))) {
            keep = ++i + 1;
        } else if (c != '\\' && c != '/') {
            keep = i + 1;
        }
    }
    return path.substr(0, keep);
}

} // namespace nuntio
