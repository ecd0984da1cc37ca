// Helpers of the core tests.
#include "test_util.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace test {

std::unique_ptr<nuntio::CAlertMsgObj> MakeAlert(int32_t serial, int32_t arrived, const char* content) {
    auto a = std::make_unique<nuntio::CAlertMsgObj>();
    a->m_nSerial = serial;
    a->m_nImage = serial % 3;
    a->m_nCategory = 0;
    a->m_tArrived = arrived;
    AlertRecord& r = a->m_record;
    r.prop.AlertStaus = 1;
    r.prop.Sound = 2;
    r.prop.Visual = 1;
    r.prop.Popup = 1;
    r.hSourceWnd = 0x00010203u + static_cast<uint32_t>(serial);
    r.nVoiceId = 7;
    SetField(r.szModule, "module");
    SetField(r.szWorkspace, "workspace");
    SetField(r.szWindow, "window");
    SetField(r.szCode, "600000");
    SetField(r.szName, "\xD5\xC5\xC8\xFD"); // "张三"
    SetField(r.szObject, "object");
    SetField(r.szContent, content);
    return a;
}

std::unique_ptr<nuntio::CTradeMsgObj> MakeTrade(int32_t serial, int32_t arrived, const char* detail) {
    auto t = std::make_unique<nuntio::CTradeMsgObj>();
    t->m_nSerial = serial;
    t->m_nCategory = 1;
    t->m_tArrived = arrived;
    t->m_record.nReserved = 0xA5A5A5A5u;
    SetField(t->m_record.szEvent, "event");
    t->m_record.tOccurred = arrived - 60;
    SetField(t->m_record.szDetail, detail);
    return t;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> b) {
    std::vector<uint8_t> v;
    for (int x : b)
        v.push_back(static_cast<uint8_t>(x));
    return v;
}

void Append(std::vector<uint8_t>& out, const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    out.insert(out.end(), b, b + n);
}

void AppendU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

ScratchDir::ScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/nuntio-core-XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp");
    m_native = templ;
}

static void RemoveTree(const std::string& path) {
    if (DIR* d = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            const std::string child = path + "/" + name;
            struct stat st;
            if (::lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                ::chmod(child.c_str(), 0700);
                RemoveTree(child);
            } else {
                ::unlink(child.c_str());
            }
        }
        ::closedir(d);
    }
    ::rmdir(path.c_str());
}

ScratchDir::~ScratchDir() {
    ::chmod(m_native.c_str(), 0700);
    RemoveTree(m_native);
}

std::string ScratchDir::Path() const {
    std::string p = m_native;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

std::string ScratchDir::NativeOf(const std::string& windowsPath) const {
    // Test paths hold no double-byte character whose trail byte is a backslash
    // unless a test says so itself.
    std::string p = windowsPath;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

std::vector<uint8_t> ReadNative(const std::string& nativePath) {
    std::ifstream f(nativePath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

void WriteNative(const std::string& nativePath, const std::vector<uint8_t>& bytes) {
    std::ofstream f(nativePath, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool NativeExists(const std::string& nativePath) {
    return ::access(nativePath.c_str(), F_OK) == 0;
}

std::vector<std::string> ListNative(const std::string& nativeDir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(nativeDir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

ScopedTimeZone::ScopedTimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) {
        m_old = old;
        m_had = true;
    }
    ::setenv("TZ", tz, 1);
    ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    if (m_had)
        ::setenv("TZ", m_old.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

int64_t LocalTime(int y, int mon, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mon - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm));
}

bool FailingFileSystem::WriteAll(const std::string& p, const void* data, size_t size) {
    ++writes;
    const bool fails =
        failWrite && (failWriteSuffix.empty() || (p.size() >= failWriteSuffix.size() &&
                                                  p.compare(p.size() - failWriteSuffix.size(),
                                                            failWriteSuffix.size(), failWriteSuffix) == 0));
    if (fails) {
        // A full disk: part of the bytes reach the file, then the write fails.
        Real().WriteAll(p, data, size / 2);
        return false;
    }
    return Real().WriteAll(p, data, size);
}

} // namespace test
