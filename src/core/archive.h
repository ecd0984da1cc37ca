// The object archive: the framework's byte encoding of serializable objects
// (class tags, schema numbers, list counts) over an in-memory buffer, and the
// registry through which a reader creates objects from their class names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nuntio {

class CArchive;
class CObject;

// What the framework keeps per serializable class: its name, its schema number
// and how to make an empty instance.
struct CRuntimeClass {
    const char* m_lpszClassName;
    uint16_t m_wSchema;
    std::unique_ptr<CObject> (*m_pfnCreateObject)(); // null for a class that cannot be created
    const CRuntimeClass* m_pBaseClass;
    uint32_t m_nDataSize; // bytes that Serialize reads and writes; 0 when it varies

    bool IsDerivedFrom(const CRuntimeClass* base) const;
    std::unique_ptr<CObject> CreateObject() const;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const = 0;
    virtual void Serialize(CArchive& ar) = 0;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// The classes an archive may create by name, in the order they were
// registered. A name is looked up exactly as stored (case-sensitive).
class CClassRegistry {
public:
    static constexpr size_t kMaxClasses = 8;
    bool Register(const CRuntimeClass* cls);
    const CRuntimeClass* Find(std::string_view name) const;
    size_t Count() const { return m_nCount; }
    const CRuntimeClass* At(size_t i) const { return i < m_nCount ? m_classes[i] : nullptr; }

private:
    const CRuntimeClass* m_classes[kMaxClasses] = {};
    size_t m_nCount = 0;
};

// Why a read stopped. offset is where the offending item starts in the
// buffer; expected says what the reader needed there.
struct ArchiveError {
    enum Kind : uint8_t {
        kNone,
        kEndOfData,     // the bytes end inside a count, tag, class record or object
        kUnknownClass,  // a class name that is not registered
        kBadSchema,     // a registered class stored with another schema number
        kBadClassIndex, // a class reference to a number that names no class
        kWrongClass,    // an object of a class the reader did not ask for
        kObjectRef,     // a reference to an object already read (never written by this system)
    };
    Kind kind = kNone;
    size_t offset = 0;
    std::string expected;
    std::string found;

    explicit operator bool() const { return kind != kNone; }
    const char* KindName() const;
    // "offset 1030: expected 502 bytes of a CAlertMsgObj, found 2 bytes"
    std::string Describe() const;
};

// One archive stores into a growing byte vector or loads from a byte range,
// never both. Loading never throws: the first failure is recorded, every later
// read fails at once and yields zeros, and the caller checks Failed().
class CArchive {
public:
    static constexpr uint16_t kNullTag = 0;
    static constexpr uint16_t kNewClassTag = 0xFFFF;
    static constexpr uint16_t kClassTag = 0x8000;
    static constexpr uint16_t kBigObjectTag = 0x7FFF;
    static constexpr uint32_t kBigClassTag = 0x80000000u;
    static constexpr uint32_t kMaxMapCount = 0x3FFFFFFEu;
    static constexpr uint16_t kMaxClassName = 64;

    // Storing: appends to out.
    explicit CArchive(std::vector<uint8_t>& out);
    // Loading from data[0, size); the bytes must outlive the archive.
    CArchive(const uint8_t* data, size_t size, const CClassRegistry& registry);

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_out != nullptr; }
    bool IsLoading() const { return m_out == nullptr; }

    // ---- storing ----
    void Write(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        m_out->insert(m_out->end(), b, b + n);
    }
    void WriteU16(uint16_t v);
    void WriteU32(uint32_t v);
    void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
    // The list count: u16 below 0xFFFF, else 0xFFFF and a u32.
    void WriteCount(uint32_t n);
    // Class record or class reference, then the object's own bytes; a null
    // pointer writes the 0 tag.
    void WriteObject(const CObject* obj);

    // ---- loading ----
    // Copies n bytes; false (with the error recorded, naming what) when fewer remain.
    bool Read(void* p, size_t n, const char* what = nullptr) {
        if (m_failed || m_end - m_cur < static_cast<ptrdiff_t>(n)) return FailRead(p, n, what);
        if (n <= 16)
            std::memcpy(p, m_cur, n);
        else
            CopyOut(p, n); // the C library's copy beats an inlined one for a whole record
        m_cur += n;
        return true;
    }
    bool ReadU16(uint16_t& v, const char* what = nullptr);
    bool ReadU32(uint32_t& v, const char* what = nullptr);
    bool ReadI32(int32_t& v, const char* what = nullptr);
    bool ReadCount(uint32_t& n);
    // Reads one tagged object. Returns it, or null for the 0 tag (isNull set)
    // or on failure (Failed() set). With expected given, an object of a class
    // not derived from it is an error.
    std::unique_ptr<CObject> ReadObject(const CRuntimeClass* expected, bool* isNull = nullptr);

    bool Failed() const { return m_failed; }
    const ArchiveError& Error() const { return m_error; }
    size_t Offset() const { return static_cast<size_t>(m_cur - m_begin); }
    size_t Remaining() const { return static_cast<size_t>(m_end - m_cur); }
    bool AtEnd() const { return m_cur == m_end; }
    void SetError(ArchiveError::Kind kind, size_t offset, std::string expected, std::string found = {});

private:
    bool FailRead(void* p, size_t n, const char* what);
    void CopyOut(void* p, size_t n) const;
    const CRuntimeClass* ReadClass(const CRuntimeClass* expected);
    void WriteClass(const CRuntimeClass* cls);

    // storing
    std::vector<uint8_t>* m_out = nullptr;
    // loading
    const uint8_t* m_begin = nullptr;
    const uint8_t* m_cur = nullptr;
    const uint8_t* m_end = nullptr;
    const CClassRegistry* m_registry = nullptr;
    bool m_failed = false;
    ArchiveError m_error;

    // One counter for classes and objects, from 1 in every archive. Only the
    // classes' numbers need remembering: these files never refer back to an
    // object.
    uint32_t m_nMapCount = 1;
    struct ClassEntry {
        uint32_t number;
        const CRuntimeClass* cls;
    };
    std::vector<ClassEntry> m_classes;
};

} // namespace nuntio
