// A category's configuration: the 170-byte settings file (prompt and retention
// settings, colours, list font, column places and widths, the serial
// counter) and the two file paths. What the category looks like (headings,
// captions, ids) is the category's own, apart from this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"
#include "result_codes.h"

namespace nuntio {

#pragma pack(push, 1)
// The Win32 LOGFONTA layout (60 bytes), so the window code can copy it as is.
struct FontDesc {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[32];
};

// The first five settings, as the prompt pages edit them: file offsets 0 to 13.
struct PromptSetting {
    uint8_t m_nPromptMode;
    uint8_t m_nKeepMode;
    int32_t m_nPopupStyle;
    int32_t m_nStaySeconds;
    int32_t m_nKeepLimit;
};
#pragma pack(pop)
static_assert(sizeof(FontDesc) == 60, "FontDesc has the LOGFONTA layout");
static_assert(sizeof(PromptSetting) == 14, "PromptSetting is 14 bytes");

enum class CfgStatus {
    kOk,
    kCannotOpen,  // the file cannot be opened or read
    kShort,       // the file ends before its 170 bytes (the fields read were taken)
    kCannotWrite, // the file cannot be created or written
};

struct CfgResult {
    CfgStatus status = CfgStatus::kOk;
    std::string path;     // the file concerned, for the notice that names it
    size_t bytesRead = 0; // with kShort: how many of the 170 bytes there were
    bool ok() const { return status == CfgStatus::kOk; }
};

// The default list font: -12 high, weight 400, GB2312, face "宋体".
FontDesc DefaultListFont();

class CConfigDoc {
public:
    static constexpr size_t kFileSize = 170;
    static constexpr int kMaxColumns = 10;

    // The two categories' documents with their column counts and defaults;
    // the stored settings start at their defaults.
    static CConfigDoc ForAlert();
    static CConfigDoc ForTrade();

    // Makes the per-user folder (last level only), sets both paths, creates
    // the file with the defaults when it is missing, then loads it. Remembers
    // fs for later saves.
    CfgResult LoadConfig(IFileSystem& fs, const std::string& root, const std::string& user,
                         const std::string& fileName);
    // Stored settings back to their defaults (columns stay), then saved.
    CfgResult SetDefaults();
    // The defaults without saving.
    void ResetSettings();
    // Writes m_strCfgFile (atomically).
    CfgResult Save();
    // True while the file exists but could not be read (held by another
    // program past the wait, an I/O error): saving on one's own would put
    // the defaults over the user's settings. A save asked for by the user
    // (settings confirmed) writes it all the same.
    bool Unread() const { return m_bUnread; }
    // Reads m_strCfgFile; a short file keeps what it read, an empty one changes nothing.
    CfgResult Load();

    // The 170 bytes of the file.
    void Serialize(std::vector<uint8_t>& out) const;
    // Takes the fields that lie wholly within data, in file order; returns the
    // number of bytes taken (170 for a complete file, more are ignored).
    size_t Deserialize(const uint8_t* data, size_t size);

    // Makes the stored column positions a clean arrangement: the icon column
    // (slot 0) at 0, every other slot either hidden (-1; any negative value
    // is taken so) or at 1 to n in the order of the stored values (ties in slot
    // order), and slots the category does not have hidden. Loading does this,
    // so that a damaged file can put no heading over another column's data.
    void NormalizeColumnPositions();

    PromptSetting GetPromptSetting() const;
    void SetPromptSetting(const PromptSetting& ps);

    // ---- stored settings ----
    uint8_t m_nPromptMode = 1;
    uint8_t m_nKeepMode = kKeepByDays;
    int32_t m_nPopupStyle = 0;
    int32_t m_nStaySeconds = 3;
    int32_t m_nKeepLimit = 1;
    uint32_t m_crText = 0x000000;
    uint32_t m_crBack = 0xFFFFFF;
    FontDesc m_lfList = DefaultListFont();
    int32_t m_nReserved = 0;
    int32_t m_nNextSerial = 0;

    // ---- paths ----
    std::string m_strMsgFile; // bare name until LoadConfig, then the full path
    std::string m_strCfgFile;

    // ---- the columns: how many of the ten stored slots the category uses ----
    int32_t m_nColumns = 0;
    int32_t m_nColWidth[kMaxColumns] = {};
    int32_t m_nColPos[kMaxColumns] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

private:
    IFileSystem* m_fs = nullptr;
    bool m_bUnread = false;
};

} // namespace nuntio
