// Helpers of the core tests.
#include "test_util.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

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

ScratchDir::ScratchDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "nuntio-core-XXXXXX").string();
    if (::mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp");
    m_native = templ;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_native, ec);
}

std::string ScratchDir::Path() const {
    std::string p = m_native;
    std::replace(p.begin(), p.end(), '/', '\\');
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

std::vector<std::string> ListNative(const std::string& nativeDir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(nativeDir, ec))
        names.push_back(e.path().filename().string());
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

} // namespace test
