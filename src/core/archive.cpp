// The object archive: tags, class records, counts and the error report.
#include "archive.h"

#include "le_bytes.h"

#include <cstdio>

namespace nuntio {

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass)
        if (c == base) return true;
    return false;
}

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CClassRegistry::Register(const CRuntimeClass* cls) {
    if (cls == nullptr || Find(cls->m_lpszClassName) != nullptr) return false;
    if (m_nCount == kMaxClasses) return false;
    m_classes[m_nCount++] = cls;
    return true;
}

const CRuntimeClass* CClassRegistry::Find(std::string_view name) const {
    for (size_t i = 0; i < m_nCount; ++i)
        if (name == m_classes[i]->m_lpszClassName) return m_classes[i];
    return nullptr;
}

const char* ArchiveError::KindName() const {
    switch (kind) {
    case kNone: return "no error";
    case kEndOfData: return "unexpected end of data";
    case kUnknownClass: return "unknown class";
    case kBadSchema: return "wrong schema";
    case kBadClassIndex: return "bad class reference";
    case kWrongClass: return "object of another class";
    case kObjectRef: return "reference to an earlier object";
    }
    return "unknown error";
}

std::string ArchiveError::Describe() const {
    if (kind == kNone) return "no error";
    std::string s = "offset " + std::to_string(offset) + ": " + KindName() + ": expected " + expected;
    if (!found.empty()) s += ", found " + found;
    return s;
}

// ---- storing ----------------------------------------------------------------

CArchive::CArchive(std::vector<uint8_t>& out) : m_out(&out) {}

void CArchive::WriteU16(uint16_t v) {
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    Write(b, 2);
}

void CArchive::WriteU32(uint32_t v) {
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    Write(b, 4);
}

void CArchive::WriteCount(uint32_t n) {
    if (n < 0xFFFF) {
        WriteU16(static_cast<uint16_t>(n));
    } else {
        WriteU16(0xFFFF);
        WriteU32(n);
    }
}

void CArchive::WriteClass(const CRuntimeClass* cls) {
    for (const ClassEntry& e : m_classes) {
        if (e.cls != cls) continue;
        if (e.number < kBigObjectTag) {
            WriteU16(static_cast<uint16_t>(kClassTag | e.number));
        } else {
            WriteU16(kBigObjectTag);
            WriteU32(kBigClassTag | e.number);
        }
        return;
    }
    WriteU16(kNewClassTag);
    WriteU16(cls->m_wSchema);
    const size_t len = std::strlen(cls->m_lpszClassName);
    WriteU16(static_cast<uint16_t>(len));
    Write(cls->m_lpszClassName, len);
    m_classes.push_back({m_nMapCount++, cls});
}

void CArchive::WriteObject(const CObject* obj) {
    if (obj == nullptr) {
        WriteU16(kNullTag);
        return;
    }
    WriteClass(obj->GetRuntimeClass());
    ++m_nMapCount; // the object's own number
    const_cast<CObject*>(obj)->Serialize(*this);
}

// ---- loading ----------------------------------------------------------------

CArchive::CArchive(const uint8_t* data, size_t size, const CClassRegistry& registry)
    : m_begin(data), m_cur(data), m_end(data + size), m_registry(&registry) {}

void CArchive::SetError(ArchiveError::Kind kind, size_t offset, std::string expected, std::string found) {
    if (m_failed) return;
    m_failed = true;
    m_error.kind = kind;
    m_error.offset = offset;
    m_error.expected = std::move(expected);
    m_error.found = std::move(found);
}

void CArchive::CopyOut(void* p, size_t n) const {
    std::memcpy(p, m_cur, n);
}

bool CArchive::FailRead(void* p, size_t n, const char* what) {
    std::memset(p, 0, n);
    if (!m_failed) {
        std::string exp = std::to_string(n) + " bytes";
        if (what != nullptr) exp += std::string(" of ") + what;
        SetError(ArchiveError::kEndOfData, Offset(), std::move(exp),
                 "only " + std::to_string(Remaining()) + " bytes before the end");
    }
    return false;
}

bool CArchive::ReadU16(uint16_t& v, const char* what) {
    uint8_t b[2];
    if (!Read(b, 2, what)) {
        v = 0;
        return false;
    }
    v = nuntio::GetU16(b);
    return true;
}

bool CArchive::ReadU32(uint32_t& v, const char* what) {
    uint8_t b[4];
    if (!Read(b, 4, what)) {
        v = 0;
        return false;
    }
    v = nuntio::GetU32(b);
    return true;
}

bool CArchive::ReadI32(int32_t& v, const char* what) {
    uint32_t u;
    const bool ok = ReadU32(u, what);
    v = static_cast<int32_t>(u);
    return ok;
}

bool CArchive::ReadCount(uint32_t& n) {
    uint16_t n16;
    if (!ReadU16(n16, "the list count")) return false;
    if (n16 != 0xFFFF) {
        n = n16;
        return true;
    }
    return ReadU32(n, "the long list count after 0xFFFF");
}

static std::string Hex(uint32_t v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* expected) {
    const size_t tagOffset = Offset();
    uint16_t tag;
    if (!ReadU16(tag, "an object tag")) return nullptr;

    if (tag == kNewClassTag) {
        uint16_t schema, len;
        if (!ReadU16(schema, "the schema number of a new class")) return nullptr;
        const size_t lenOffset = Offset();
        if (!ReadU16(len, "the length of a class name")) return nullptr;
        if (len == 0 || len >= kMaxClassName) {
            SetError(ArchiveError::kUnknownClass, lenOffset, "a class name length from 1 to 63",
                     "length " + std::to_string(len));
            return nullptr;
        }
        char name[kMaxClassName];
        if (!Read(name, len, "a class name")) return nullptr;
        const std::string_view nameView(name, len);
        const CRuntimeClass* cls = m_registry->Find(nameView);
        if (cls == nullptr) {
            std::string shown;
            for (char c : nameView)
                shown += (c >= 0x20 && c < 0x7F) ? c : '?';
            SetError(ArchiveError::kUnknownClass, tagOffset, "a registered class name", "\"" + shown + "\"");
            return nullptr;
        }
        if (schema != cls->m_wSchema) {
            SetError(ArchiveError::kBadSchema, tagOffset + 2,
                     std::string("schema ") + std::to_string(cls->m_wSchema) + " of " + cls->m_lpszClassName,
                     "schema " + std::to_string(schema));
            return nullptr;
        }
        if (m_nMapCount >= kMaxMapCount) {
            SetError(ArchiveError::kBadClassIndex, tagOffset, "fewer objects", "too many");
            return nullptr;
        }
        m_classes.push_back({m_nMapCount++, cls});
        if (expected != nullptr && !cls->IsDerivedFrom(expected)) {
            SetError(ArchiveError::kWrongClass, tagOffset, std::string("a ") + expected->m_lpszClassName,
                     std::string("a ") + cls->m_lpszClassName);
            return nullptr;
        }
        return cls;
    }

    uint32_t obTag;
    if (tag == kBigObjectTag) {
        if (!ReadU32(obTag, "the 4-byte tag after 0x7FFF")) return nullptr;
    } else {
        obTag = (static_cast<uint32_t>(tag & kClassTag) << 16) | (tag & ~kClassTag);
    }
    if ((obTag & kBigClassTag) == 0) {
        // The 0 tag is handled by the caller; anything else refers back to an object.
        SetError(ArchiveError::kObjectRef, tagOffset, "a new class record or a class reference",
                 "object reference " + Hex(tag, 4));
        return nullptr;
    }
    const uint32_t number = obTag & ~kBigClassTag;
    for (const ClassEntry& e : m_classes) {
        if (e.number != number) continue;
        if (expected != nullptr && !e.cls->IsDerivedFrom(expected)) {
            SetError(ArchiveError::kWrongClass, tagOffset, std::string("a ") + expected->m_lpszClassName,
                     std::string("a ") + e.cls->m_lpszClassName);
            return nullptr;
        }
        return e.cls;
    }
    SetError(ArchiveError::kBadClassIndex, tagOffset, "a reference to a class met before",
             "class number " + std::to_string(number));
    return nullptr;
}

std::unique_ptr<CObject> CArchive::ReadObject(const CRuntimeClass* expected, bool* isNull) {
    if (isNull != nullptr) *isNull = false;
    if (m_failed) return nullptr;
    if (m_end - m_cur >= 2 && m_cur[0] == 0 && m_cur[1] == 0) {
        m_cur += 2;
        if (isNull != nullptr) *isNull = true;
        return nullptr;
    }
    const CRuntimeClass* cls = ReadClass(expected);
    if (cls == nullptr) return nullptr;
    std::unique_ptr<CObject> obj = cls->CreateObject();
    if (!obj) {
        SetError(ArchiveError::kUnknownClass, Offset(), "a class that can be created",
                 std::string("abstract ") + cls->m_lpszClassName);
        return nullptr;
    }
    ++m_nMapCount;
    const size_t start = Offset();
    obj->Serialize(*this);
    if (m_failed) {
        // Name the whole object rather than the field that ran out.
        if (m_error.kind == ArchiveError::kEndOfData) {
            m_error.offset = start;
            m_error.expected = cls->m_nDataSize != 0
                                   ? std::to_string(cls->m_nDataSize) + " bytes of a " + cls->m_lpszClassName
                                   : std::string("the data of a ") + cls->m_lpszClassName;
            m_error.found = "only " + std::to_string(static_cast<size_t>(m_end - m_begin) - start) +
                            " bytes before the end";
        }
        return nullptr;
    }
    return obj;
}

} // namespace nuntio
