// A category's message file: the list count and the archived objects, newest
// first. Loading keeps what decodes and sets a damaged file aside; saving
// replaces the file only with a complete new one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive.h"
#include "file_io.h"
#include "msg_list.h"
#include "msg_obj.h"
#include "result_codes.h"

namespace nuntio {

struct DecodeResult {
    size_t decoded = 0; // objects appended to the list
    uint32_t count = 0; // objects the file announced
    ArchiveError error; // set when the bytes could not all be decoded
    bool ok() const { return !error; }
};

// Appends the objects of a message file's bytes to list. An empty buffer holds
// no messages. On damage the objects decoded before it stay appended. Objects
// of another class are damage; a null object entry is skipped. Bytes after
// the last object are damage too.
template <class T>
DecodeResult DecodeMessages(const uint8_t* data, size_t size, CMsgList<T>& list) {
    DecodeResult res;
    if (size == 0) return res;
    CArchive ar(data, size, MessageClasses());
    if (!ar.ReadCount(res.count)) {
        res.error = ar.Error();
        return res;
    }
    const CRuntimeClass* cls = MsgClassOf<T>::Get();
    for (uint32_t i = 0; i < res.count; ++i) {
        bool isNull = false;
        std::unique_ptr<CObject> obj = ar.ReadObject(cls, &isNull);
        if (obj) {
            list.AddTail(std::unique_ptr<T>(static_cast<T*>(obj.release())));
            ++res.decoded;
        } else if (!isNull) {
            res.error = ar.Error();
            return res;
        }
    }
    if (!ar.AtEnd())
        ar.SetError(ArchiveError::kEndOfData, ar.Offset(), "the end of the file after the last message",
                    std::to_string(ar.Remaining()) + " more bytes");
    res.error = ar.Error();
    return res;
}

// The bytes of a message file holding list, head first.
template <class T>
void EncodeMessages(const CMsgList<T>& list, std::vector<uint8_t>& out) {
    out.reserve(out.size() + 6 + 18 + list.GetCount() * (T::kDataSize + 2));
    CArchive ar(out);
    ar.WriteCount(static_cast<uint32_t>(list.GetCount()));
    for (const auto& obj : list)
        ar.WriteObject(obj.get());
}

enum class MsgLoadStatus {
    kLoaded,    // the whole file was read (an empty file included)
    kNotOpened, // missing or unreadable: the list is unchanged
    kDamaged,   // decoding stopped; what came before the damage was kept
};

struct MsgLoadResult {
    MsgLoadStatus status = MsgLoadStatus::kLoaded;
    size_t loaded = 0;
    ArchiveError error;        // with kDamaged
    std::string keptAsidePath; // with kDamaged: the copy of the damaged file, empty if it could not be made
    bool damaged() const { return status == MsgLoadStatus::kDamaged; }
};

// One category's message file. Loading and saving go through the seam.
class CMsgFile {
public:
    CMsgFile(IFileSystem& fs, std::string path) : m_fs(&fs), m_strPath(std::move(path)) {}

    const std::string& Path() const { return m_strPath; }

    // Makes sure the file exists: kDone when it was there (its read-only and
    // hidden attributes are cleared), kMsgFileCreated when it was missing and
    // has been created empty, kMsgFileNotCreated when that failed. A complete
    // file left by an interrupted save takes the place of a missing one first.
    uint32_t EnsureExists();

    // Appends the file's messages to list, newest first. now names a damaged
    // file's copy ("AlertMsg.DAT.damaged-YYYYMMDD-HHMMSS").
    template <class T>
    MsgLoadResult Load(CMsgList<T>& list, int64_t now) {
        std::vector<uint8_t> bytes;
        if (!ReadFile(bytes)) {
            MsgLoadResult res;
            res.status = MsgLoadStatus::kNotOpened;
            return res;
        }
        return Load(bytes, list, now);
    }

    // Load for the file's bytes, read by the caller (ReadFile).
    template <class T>
    MsgLoadResult Load(const std::vector<uint8_t>& bytes, CMsgList<T>& list, int64_t now) {
        MsgLoadResult res;
        const DecodeResult dec = DecodeMessages(bytes.data(), bytes.size(), list);
        res.loaded = dec.decoded;
        if (!dec.ok()) {
            res.status = MsgLoadStatus::kDamaged;
            res.error = dec.error;
            res.keptAsidePath = KeepAside(bytes, now);
        }
        return res;
    }

    // Writes list to the file through a temporary file and one rename; the old
    // file stays whole when anything fails. A damaged file that could not be
    // kept aside at loading is kept aside now, or else not overwritten.
    template <class T>
    bool Save(const CMsgList<T>& list, int64_t now) {
        std::vector<uint8_t> bytes;
        EncodeMessages(list, bytes);
        return WriteFile(bytes, now);
    }

    // The file's bytes; false when it is missing or cannot be read.
    bool ReadFile(std::vector<uint8_t>& bytes);

    // Save for bytes the caller encoded (EncodeMessages).
    bool Write(const std::vector<uint8_t>& bytes, int64_t now) { return WriteFile(bytes, now); }

private:
    bool WriteFile(const std::vector<uint8_t>& bytes, int64_t now);
    std::string KeepAside(const std::vector<uint8_t>& bytes, int64_t now);

    IFileSystem* m_fs;
    std::string m_strPath;
    // A damaged file's bytes while no copy of it exists yet.
    std::vector<uint8_t> m_damagedBytes;
    bool m_damagedNotKept = false;
};

} // namespace nuntio
