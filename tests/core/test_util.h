// Shared helpers of the core tests: sample messages, a scratch folder, local
// time zones and a file system that fails on request.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "file_io.h"
#include "le_bytes.h"
#include "msg_list.h"
#include "msg_obj.h"

namespace test {

template <size_t N>
void SetField(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::memcpy(field, text, std::min(N, std::strlen(text)));
}

std::unique_ptr<nuntio::CAlertMsgObj> MakeAlert(int32_t serial, int32_t arrived,
                                                const char* content = "content");
std::unique_ptr<nuntio::CTradeMsgObj> MakeTrade(int32_t serial, int32_t arrived,
                                                const char* detail = "detail");

// A fresh folder under the system's temporary folder, removed with its
// contents at the end. Path() is in the core's Windows form (backslashes).
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string& Native() const { return m_native; }
    std::string Path() const; // Windows form

private:
    std::string m_native;
};

std::vector<uint8_t> ReadNative(const std::string& nativePath);
void WriteNative(const std::string& nativePath, const std::vector<uint8_t>& bytes);
std::vector<std::string> ListNative(const std::string& nativeDir);

// Sets TZ for the life of the object, restoring the previous zone after.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz);
    ~ScopedTimeZone();

private:
    std::string m_old;
    bool m_had = false;
};

// The platform file system, with chosen operations failing.
class FailingFileSystem : public nuntio::IFileSystem {
public:
    bool failWrite = false;      // WriteAll writes half and fails
    bool failReplace = false;    // ReplaceFile fails
    bool failCreate = false;     // CreateEmpty and CreateDir fail
    std::string failWriteSuffix; // only paths ending so fail WriteAll (all when empty)
    std::string busySuffix;      // paths ending so read as held by another program
    std::string noMemorySuffix;  // reading paths ending so runs out of memory
    unsigned paused = 0;         // milliseconds Pause was asked for

    bool FileExists(const std::string& p) override { return Real().FileExists(p); }
    bool DirExists(const std::string& p) override { return Real().DirExists(p); }
    bool CreateDir(const std::string& p) override { return Real().CreateDir(p); }
    bool SetNormalAttributes(const std::string& p) override { return Real().SetNormalAttributes(p); }
    bool CreateEmpty(const std::string& p) override { return Real().CreateEmpty(p); }
    nuntio::ReadStatus ReadAll(const std::string& p, std::vector<uint8_t>& out) override {
        if (EndsWith(p, noMemorySuffix)) throw std::bad_alloc();
        if (EndsWith(p, busySuffix)) return nuntio::ReadStatus::kBusy;
        return Real().ReadAll(p, out);
    }
    void Pause(unsigned ms) override { paused += ms; }
    bool WriteAll(const std::string& p, const void* data, size_t size) override {
        if (!failWrite || !(failWriteSuffix.empty() || EndsWith(p, failWriteSuffix)))
            return Real().WriteAll(p, data, size);
        Real().WriteAll(p, data, size / 2); // a full disk: part of the bytes reach the file
        return false;
    }
    bool ReplaceFile(const std::string& from, const std::string& to) override {
        return !failReplace && Real().ReplaceFile(from, to);
    }
    bool RemoveFile(const std::string& p) override { return Real().RemoveFile(p); }
    std::unique_ptr<nuntio::IAppendFile> OpenExclusive(const std::string& p,
                                                       nuntio::OpenStatus& status) override {
        return Real().OpenExclusive(p, status);
    }

private:
    static nuntio::IFileSystem& Real() { return nuntio::PlatformFileSystem(); }
    static bool EndsWith(const std::string& p, const std::string& suffix) {
        return !suffix.empty() && p.size() >= suffix.size() &&
               p.compare(p.size() - suffix.size(), suffix.size(), suffix) == 0;
    }
};

} // namespace test
