// Fuzzes the configuration loader through an in-memory file: any length loads
// without a crash, a short file reports how far it got, and a complete file
// saves back to its first 170 bytes (with the face name cut at its NUL) but
// for the column positions, which become a clean arrangement that keeps the
// stored order.
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include "config_doc.h"

namespace {

class MemoryFile final : public nuntio::IFileSystem {
public:
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> written;
    bool FileExists(const std::string&) override { return true; }
    bool DirExists(const std::string&) override { return true; }
    bool CreateDir(const std::string&) override { return false; }
    bool SetNormalAttributes(const std::string&) override { return true; }
    bool CreateEmpty(const std::string&) override { return true; }
    nuntio::ReadStatus ReadAll(const std::string&, std::vector<uint8_t>& out) override {
        out = bytes;
        return nuntio::ReadStatus::kOk;
    }
    bool WriteAll(const std::string&, const void* data, size_t size) override {
        const auto* p = static_cast<const uint8_t*>(data);
        written.assign(p, p + size);
        return true;
    }
    bool ReplaceFile(const std::string&, const std::string&) override { return true; }
    bool RemoveFile(const std::string&) override { return true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file;
    file.bytes.assign(data, data + size);
    nuntio::CConfigDoc doc = nuntio::CConfigDoc::ForTrade();
    const nuntio::CfgResult r = doc.LoadConfig(file, "C:\\root", "user", "TradeMsg.cfg");
    if (size == 0 && !r.ok()) __builtin_trap();
    if (size > 0 && size < nuntio::CConfigDoc::kFileSize &&
        (r.status != nuntio::CfgStatus::kShort || r.bytesRead > size))
        __builtin_trap();
    if (size >= nuntio::CConfigDoc::kFileSize) {
        if (!r.ok() || r.bytesRead != nuntio::CConfigDoc::kFileSize) __builtin_trap();
        if (!doc.Save().ok() || file.written.size() != nuntio::CConfigDoc::kFileSize) __builtin_trap();
        std::vector<uint8_t> expected(data, data + nuntio::CConfigDoc::kFileSize);
        size_t n = 0; // the face name as saved: up to its NUL, at most 31 bytes, the rest zero
        while (n < 31 && data[50 + n] != 0)
            ++n;
        std::fill(expected.begin() + 50 + static_cast<ptrdiff_t>(n), expected.begin() + 82, 0);
        auto i32 = [](const uint8_t* p) {
            return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
        };
        const int columns = doc.m_nColumns;
        for (int slot = 0; slot < 10; ++slot) {
            const int32_t stored = i32(data + 82 + 4 * slot),
                          saved = i32(file.written.data() + 82 + 4 * slot);
            if (slot == 0 && saved != 0) __builtin_trap();
            if (slot > 0 && (slot >= columns || stored < 0) && saved != -1) __builtin_trap();
            if (slot > 0 && slot < columns && stored >= 0) {
                for (int other = 1; other < columns; ++other) {
                    const int32_t os = i32(data + 82 + 4 * other),
                                  ov = i32(file.written.data() + 82 + 4 * other);
                    if (os >= 0 && (os < stored || (os == stored && other < slot)) && ov >= saved)
                        __builtin_trap();
                }
                if (saved < 1 || saved > columns - 1) __builtin_trap();
            }
        }
        std::copy(file.written.begin() + 82, file.written.begin() + 122, expected.begin() + 82);
        if (file.written != expected) __builtin_trap();
    }
    return 0;
}
