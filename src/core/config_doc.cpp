// The configuration document and its 170-byte file.
#include "config_doc.h"

#include "le_bytes.h"

#include <algorithm>
#include <cstring>

namespace nuntio {
namespace {

// Field layout of the file: offsets and sizes, in the order they are stored.
struct Writer {
    std::vector<uint8_t>& out;
    void U8(uint8_t v) { out.push_back(v); }
    void I32(int32_t v) { PutU32(out, static_cast<uint32_t>(v)); }
    void Bytes(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        out.insert(out.end(), b, b + n);
    }
};

// Takes a field only when all of its bytes are there, as the framework's
// archive does: a field cut by the end keeps its previous value.
struct Reader {
    const uint8_t* p;
    size_t size;
    size_t pos = 0;
    bool Has(size_t n) const { return size - pos >= n; }
    bool U8(uint8_t& v) {
        if (!Has(1)) return false;
        v = p[pos++];
        return true;
    }
    template <class T>
    bool I32(T& v) {
        if (!Has(4)) return false;
        v = static_cast<T>(GetU32(p + pos));
        pos += 4;
        return true;
    }
    bool Bytes(void* dst, size_t n) {
        if (!Has(n)) return false;
        std::memcpy(dst, p + pos, n);
        pos += n;
        return true;
    }
};

void SetColumns(CConfigDoc& doc, int columns, const int32_t (&widths)[10]) {
    doc.m_nColumns = columns;
    for (int i = 0; i < CConfigDoc::kMaxColumns; ++i) {
        doc.m_nColWidth[i] = widths[i];
        doc.m_nColPos[i] = i < columns ? i : -1;
    }
}

} // namespace

FontDesc DefaultListFont() {
    FontDesc lf{};
    lf.lfHeight = -12;
    lf.lfWeight = 400;
    lf.lfCharSet = 134; // GB2312
    lf.lfOutPrecision = 3;
    lf.lfClipPrecision = 2;
    lf.lfQuality = 1;
    lf.lfPitchAndFamily = 2;
    std::memcpy(lf.lfFaceName, "\xCB\xCE\xCC\xE5", 4); // "宋体"
    return lf;
}

CConfigDoc CConfigDoc::ForAlert() {
    CConfigDoc doc;
    doc.ResetSettings();
    static const int32_t widths[10] = {24, 130, 113, 62, 62, 62, 60, 38, 121, 0};
    SetColumns(doc, 9, widths);
    doc.m_strMsgFile = "AlertMsg.DAT";
    return doc;
}

CConfigDoc CConfigDoc::ForTrade() {
    CConfigDoc doc;
    doc.ResetSettings();
    static const int32_t widths[10] = {22, 38, 129, 127, 0, 0, 0, 0, 0, 0};
    SetColumns(doc, 4, widths);
    doc.m_strMsgFile = "TradeMsg.DAT";
    return doc;
}

void CConfigDoc::ResetSettings() {
    m_nPromptMode = 1;
    m_nKeepMode = kKeepByDays;
    m_nPopupStyle = 0;
    m_nStaySeconds = 3;
    m_nKeepLimit = 1;
    m_crText = 0x000000;
    m_crBack = 0xFFFFFF;
    m_lfList = DefaultListFont();
    m_nNextSerial = 0;
    m_nReserved = 0;
}

CfgResult CConfigDoc::SetDefaults() {
    ResetSettings();
    return Save();
}

void CConfigDoc::Serialize(std::vector<uint8_t>& out) const {
    out.reserve(out.size() + kFileSize);
    Writer w{out};
    w.U8(m_nPromptMode);
    w.U8(m_nKeepMode);
    w.I32(m_nPopupStyle);
    w.I32(m_nStaySeconds);
    w.I32(m_nKeepLimit);
    w.I32(static_cast<int32_t>(m_crText));
    w.I32(static_cast<int32_t>(m_crBack));
    w.I32(m_lfList.lfHeight);
    w.I32(m_lfList.lfWidth);
    w.I32(m_lfList.lfEscapement);
    w.I32(m_lfList.lfOrientation);
    w.I32(m_lfList.lfWeight);
    w.U8(m_lfList.lfItalic);
    w.U8(m_lfList.lfUnderline);
    w.U8(m_lfList.lfStrikeOut);
    w.U8(m_lfList.lfCharSet);
    w.U8(m_lfList.lfOutPrecision);
    w.U8(m_lfList.lfClipPrecision);
    w.U8(m_lfList.lfQuality);
    w.U8(m_lfList.lfPitchAndFamily);
    // The face is NUL-terminated inside its field and the rest is zero.
    char face[32] = {};
    size_t n = 0;
    while (n < sizeof face - 1 && m_lfList.lfFaceName[n] != '\0')
        ++n;
    std::memcpy(face, m_lfList.lfFaceName, n);
    w.Bytes(face, sizeof face);
    for (int32_t pos : m_nColPos)
        w.I32(pos);
    for (int32_t width : m_nColWidth)
        w.I32(width);
    w.I32(m_nNextSerial);
    w.I32(m_nReserved);
}

size_t CConfigDoc::Deserialize(const uint8_t* data, size_t size) {
    Reader r{data, size};
    // Each step stops at the first field that is not wholly there.
    [&] {
        if (!r.U8(m_nPromptMode) || !r.U8(m_nKeepMode) || !r.I32(m_nPopupStyle) || !r.I32(m_nStaySeconds) ||
            !r.I32(m_nKeepLimit) || !r.I32(m_crText) || !r.I32(m_crBack))
            return;
        FontDesc& lf = m_lfList;
        if (!r.I32(lf.lfHeight) || !r.I32(lf.lfWidth) || !r.I32(lf.lfEscapement) ||
            !r.I32(lf.lfOrientation) || !r.I32(lf.lfWeight) || !r.U8(lf.lfItalic) || !r.U8(lf.lfUnderline) ||
            !r.U8(lf.lfStrikeOut) || !r.U8(lf.lfCharSet) || !r.U8(lf.lfOutPrecision) ||
            !r.U8(lf.lfClipPrecision) || !r.U8(lf.lfQuality) || !r.U8(lf.lfPitchAndFamily) ||
            !r.Bytes(lf.lfFaceName, sizeof lf.lfFaceName))
            return;
        lf.lfFaceName[sizeof lf.lfFaceName - 1] = '\0'; // a face that fills its field is cut, never overrun
        for (int32_t& pos : m_nColPos)
            if (!r.I32(pos)) return;
        for (int32_t& width : m_nColWidth)
            if (!r.I32(width)) return;
        if (!r.I32(m_nNextSerial) || !r.I32(m_nReserved)) return;
    }();
    return r.pos;
}

void CConfigDoc::NormalizeColumnPositions() {
    std::vector<int> shown; // slots after the icon's, by stored position then slot
    for (int slot = 1; slot < kMaxColumns; ++slot) {
        if (slot < m_nColumns && m_nColPos[slot] >= 0)
            shown.push_back(slot);
        else
            m_nColPos[slot] = -1;
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [this](int a, int b) { return m_nColPos[a] < m_nColPos[b]; });
    m_nColPos[0] = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        m_nColPos[shown[i]] = static_cast<int32_t>(i + 1);
}

PromptSetting CConfigDoc::GetPromptSetting() const {
    return PromptSetting{m_nPromptMode, m_nKeepMode, m_nPopupStyle, m_nStaySeconds, m_nKeepLimit};
}

void CConfigDoc::SetPromptSetting(const PromptSetting& ps) {
    m_nPromptMode = ps.m_nPromptMode;
    m_nKeepMode = ps.m_nKeepMode;
    m_nPopupStyle = ps.m_nPopupStyle;
    m_nStaySeconds = ps.m_nStaySeconds;
    m_nKeepLimit = ps.m_nKeepLimit;
}

CfgResult CConfigDoc::Save() {
    CfgResult res;
    res.path = m_strCfgFile;
    std::vector<uint8_t> bytes;
    Serialize(bytes);
    if (m_fs == nullptr || m_strCfgFile.empty() ||
        !WriteFileAtomic(*m_fs, m_strCfgFile, bytes.data(), bytes.size()))
        res.status = CfgStatus::kCannotWrite;
    else
        m_bUnread = false;
    return res;
}

CfgResult CConfigDoc::Load() {
    CfgResult res;
    res.path = m_strCfgFile;
    std::vector<uint8_t> bytes;
    // Only the head is read: whatever follows the 170 bytes is ignored, so a
    // huge file costs no memory.
    m_bUnread = false;
    if (m_fs == nullptr || ReadPatiently(*m_fs, m_strCfgFile, bytes, 4096) != ReadStatus::kOk) {
        m_bUnread = m_fs != nullptr && m_fs->FileExists(m_strCfgFile);
        res.status = CfgStatus::kCannotOpen;
        return res;
    }
    if (bytes.empty()) return res; // an empty file is accepted and changes nothing
    res.bytesRead = Deserialize(bytes.data(), bytes.size());
    NormalizeColumnPositions();
    if (res.bytesRead < kFileSize) res.status = CfgStatus::kShort;
    return res;
}

CfgResult CConfigDoc::LoadConfig(IFileSystem& fs, const std::string& root, const std::string& user,
                                 const std::string& fileName) {
    m_fs = &fs;
    const std::string folder = UserFolder(root, user);
    const std::string dir = folder.substr(0, folder.size() - 1);
    if (!fs.DirExists(dir)) fs.CreateDir(dir); // only the last level; a failure shows up below
    m_strCfgFile = folder + fileName;
    // The bare message file name becomes a full path (only once).
    if (m_strMsgFile.find('\\') == std::string::npos) m_strMsgFile = folder + m_strMsgFile;

    CfgResult created;
    if (!fs.FileExists(m_strCfgFile)) created = SetDefaults();
    CfgResult loaded = Load();
    // A file that could not be created is the failure worth naming.
    if (!created.ok() && !loaded.ok()) return created;
    return loaded;
}

} // namespace nuntio
