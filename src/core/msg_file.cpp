// Message files on disk: existence, reading, the atomic save and the copy of a
// damaged file.
#include "msg_file.h"


namespace nuntio {

uint32_t CMsgFile::EnsureExists() {
    const std::string temp = TempPathFor(m_strPath);
    if (!m_fs->FileExists(m_strPath) && m_fs->FileExists(temp)) {
        // The save that wrote the temporary file was cut before its rename.
        // Only a complete file may take the missing one's place.
        std::vector<uint8_t> bytes;
        CMsgList<CAlertMsgObj> alerts;
        CMsgList<CTradeMsgObj> trades;
        if (m_fs->ReadAll(temp, bytes) == ReadStatus::kOk &&
            (DecodeMessages(bytes.data(), bytes.size(), alerts).ok() ||
             DecodeMessages(bytes.data(), bytes.size(), trades).ok()))
            m_fs->ReplaceFile(temp, m_strPath);
    }
    if (m_fs->FileExists(m_strPath)) {
        m_fs->SetNormalAttributes(m_strPath);
        return kDone;
    }
    return m_fs->CreateEmpty(m_strPath) ? kMsgFileCreated : kMsgFileNotCreated;
}

bool CMsgFile::ReadFile(std::vector<uint8_t>& bytes) {
    return m_fs->ReadAll(m_strPath, bytes) == ReadStatus::kOk;
}

std::string CMsgFile::KeepAside(const std::vector<uint8_t>& bytes, int64_t now) {
    const std::string name = KeepCopyAside(*m_fs, m_strPath, bytes, now);
    if (!name.empty()) {
        m_damagedBytes.clear();
        m_damagedBytes.shrink_to_fit();
        m_damagedNotKept = false;
        return name;
    }
    m_damagedBytes = bytes;
    m_damagedNotKept = true;
    return {};
}

bool CMsgFile::WriteFile(const std::vector<uint8_t>& bytes, int64_t now) {
    if (m_damagedNotKept) {
        const std::vector<uint8_t> damaged = m_damagedBytes;
        if (KeepAside(damaged, now).empty()) return false;
    }
    return WriteFileAtomic(*m_fs, m_strPath, bytes.data(), bytes.size());
}

} // namespace nuntio
