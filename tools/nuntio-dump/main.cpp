// nuntio-dump: shows what a message file (AlertMsg.DAT, TradeMsg.DAT) or a
// configuration file (AlertMsg.cfg, TradeMsg.cfg) holds, for host developers
// and support. Text is converted from GBK to UTF-8, times are local.
//
//   nuntio-dump [--table|--json|--csv] [--check] [--kind=dat|cfg] FILE...
//
// Exit status: 0 all files read whole; 1 a file is damaged, short or cannot be
// read (the message says where and what was expected); 2 bad usage.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "config_doc.h"
#include "gbk_text.h"
#include "local_time.h"
#include "msg_file.h"

namespace {

enum class Format { kTable, kJson, kCsv };
enum class Kind { kAuto, kMessages, kConfig };

// ---- text ------------------------------------------------------------------

// GBK to UTF-8; a byte that is no GBK character becomes U+FFFD.
std::string Utf8(std::string_view gbk) {
    static iconv_t cd = iconv_open("UTF-8", "GBK");
    std::string out;
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (char c : gbk)
            out += (static_cast<unsigned char>(c) < 0x80) ? c : '?';
        return out;
    }
    size_t i = 0;
    while (i < gbk.size()) {
        const auto c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const size_t len = (nuntio::IsGbkLead(c) && i + 1 < gbk.size() &&
                            nuntio::IsGbkTrail(static_cast<unsigned char>(gbk[i + 1])))
                               ? 2
                               : 1;
        char in[2] = {gbk[i], len == 2 ? gbk[i + 1] : '\0'};
        char buf[8];
        char* ip = in;
        char* op = buf;
        size_t il = len, ol = sizeof buf;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1))
            out += "\xEF\xBF\xBD";
        else
            out.append(buf, static_cast<size_t>(op - buf));
        i += len;
    }
    return out;
}

// Columns a UTF-8 text takes on a terminal: wide for CJK, one otherwise.
size_t Width(std::string_view s) {
    size_t w = 0;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        size_t n = 1;
        if (c >= 0xF0)
            cp = c & 0x07, n = 4;
        else if (c >= 0xE0)
            cp = c & 0x0F, n = 3;
        else if (c >= 0xC0)
            cp = c & 0x1F, n = 2;
        for (size_t k = 1; k < n && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        w += (cp >= 0x1100 &&
              (cp <= 0x115F || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
               (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) ||
               (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6)))
                 ? 2
                 : 1;
        i += n;
    }
    return w;
}

std::string Json(std::string_view s) {
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string Csv(std::string_view s) {
    if (s.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(s);
    std::string out = "\"";
    for (char c : s)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

// A table: a header and rows of cells, printed in aligned columns.
struct Table {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

void Print(const Table& t, Format fmt) {
    if (fmt == Format::kCsv) {
        for (size_t i = 0; i < t.header.size(); ++i)
            std::printf("%s%s", i ? "," : "", Csv(t.header[i]).c_str());
        std::printf("\r\n");
        for (const auto& r : t.rows) {
            for (size_t i = 0; i < r.size(); ++i)
                std::printf("%s%s", i ? "," : "", Csv(r[i]).c_str());
            std::printf("\r\n");
        }
        return;
    }
    if (fmt == Format::kJson) {
        std::printf("[");
        for (size_t r = 0; r < t.rows.size(); ++r) {
            std::printf("%s\n  {", r ? "," : "");
            for (size_t i = 0; i < t.header.size(); ++i)
                std::printf("%s%s: %s", i ? ", " : "", Json(t.header[i]).c_str(), Json(t.rows[r][i]).c_str());
            std::printf("}");
        }
        std::printf("%s]\n", t.rows.empty() ? "" : "\n");
        return;
    }
    std::vector<size_t> w(t.header.size());
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = Width(t.header[i]);
    for (const auto& r : t.rows)
        for (size_t i = 0; i < w.size(); ++i)
            w[i] = std::max(w[i], Width(r[i]));
    auto line = [&](const std::vector<std::string>& cells) {
        std::string s;
        for (size_t i = 0; i < cells.size(); ++i) {
            s += cells[i];
            if (i + 1 < cells.size()) s += std::string(w[i] - Width(cells[i]) + 2, ' ');
        }
        std::printf("%s\n", s.c_str());
    };
    line(t.header);
    std::vector<std::string> rule;
    for (size_t x : w)
        rule.push_back(std::string(x, '-'));
    line(rule);
    for (const auto& r : t.rows)
        line(r);
}

// ---- message files ------------------------------------------------------------

std::string Time(int32_t t) {
    return nuntio::FormatTime(t);
}

Table AlertTable(const nuntio::CMsgList<nuntio::CAlertMsgObj>& list) {
    Table t;
    t.header = {"#",         "serial",    "image",     "category",  "arrived", "status",
                "sound",     "voiceOnce", "visual",    "iconFlash", "popup",   "email",
                "shortMsg",  "reserved1", "reserved2", "sourceWnd", "voiceId", "module",
                "workspace", "window",    "code",      "name",      "object",  "content"};
    size_t i = 0;
    for (const auto& m : list) {
        const AlertRecord& r = m->m_record;
        const AlertProperty& p = r.prop;
        t.rows.push_back({std::to_string(i++),
                          std::to_string(m->m_nSerial),
                          std::to_string(m->m_nImage),
                          std::to_string(m->m_nCategory),
                          Time(m->m_tArrived),
                          std::to_string(p.AlertStaus),
                          std::to_string(p.Sound),
                          std::to_string(p.VoiceOnce),
                          std::to_string(p.Visual),
                          std::to_string(p.IconFlash),
                          std::to_string(p.Popup),
                          std::to_string(p.Email),
                          std::to_string(p.ShortMsg),
                          std::to_string(p.Reserved1),
                          std::to_string(p.Reserved2),
                          Hex(r.hSourceWnd),
                          std::to_string(r.nVoiceId),
                          Utf8(nuntio::FieldText(r.szModule)),
                          Utf8(nuntio::FieldText(r.szWorkspace)),
                          Utf8(nuntio::FieldText(r.szWindow)),
                          Utf8(nuntio::FieldText(r.szCode)),
                          Utf8(nuntio::FieldText(r.szName)),
                          Utf8(nuntio::FieldText(r.szObject)),
                          Utf8(nuntio::FieldText(r.szContent))});
    }
    return t;
}

Table TradeTable(const nuntio::CMsgList<nuntio::CTradeMsgObj>& list) {
    Table t;
    t.header = {"#", "serial", "image", "category", "arrived", "reserved", "event", "occurred", "detail"};
    size_t i = 0;
    for (const auto& m : list) {
        const TradeRecord& r = m->m_record;
        t.rows.push_back({std::to_string(i++), std::to_string(m->m_nSerial), std::to_string(m->m_nImage),
                          std::to_string(m->m_nCategory), Time(m->m_tArrived), Hex(r.nReserved),
                          Utf8(nuntio::FieldText(r.szEvent)), Time(r.tOccurred),
                          Utf8(nuntio::FieldText(r.szDetail))});
    }
    return t;
}

// The class named by the first object's class record, if there is one.
std::string FirstClassName(const std::vector<uint8_t>& b) {
    size_t at = 2;
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFF) at = 6;
    if (b.size() < at + 6 || b[at] != 0xFF || b[at + 1] != 0xFF) return {};
    const size_t len = b[at + 4] | (b[at + 5] << 8);
    if (b.size() < at + 6 + len) return {};
    return std::string(reinterpret_cast<const char*>(&b[at + 6]), len);
}

int DumpMessages(const std::string& name, const std::vector<uint8_t>& bytes, Format fmt, bool check) {
    const bool trade = FirstClassName(bytes) == "CTradeMsgObj";
    nuntio::CMsgList<nuntio::CAlertMsgObj> alerts;
    nuntio::CMsgList<nuntio::CTradeMsgObj> trades;
    const nuntio::DecodeResult r = trade ? nuntio::DecodeMessages(bytes.data(), bytes.size(), trades)
                                         : nuntio::DecodeMessages(bytes.data(), bytes.size(), alerts);
    const char* kind = trade ? "trade messages" : "alerts";
    if (check) {
        if (r.ok()) {
            std::printf("%s: OK, %zu %s, %zu bytes\n", name.c_str(), r.decoded,
                        bytes.empty() ? "messages" : kind, bytes.size());
            return 0;
        }
    } else {
        Print(trade ? TradeTable(trades) : AlertTable(alerts), fmt);
        if (r.ok()) return 0;
    }
    std::fprintf(stderr, "%s: damaged: %s (%zu of %u %s read before it)\n", name.c_str(),
                 r.error.Describe().c_str(), r.decoded, r.count, kind);
    return 1;
}

// ---- configuration files ----------------------------------------------------

// Which field of the file starts at or spans offset.
const char* CfgFieldAt(size_t offset) {
    static const struct {
        size_t start;
        const char* name;
    } fields[] = {
        {0, "m_nPromptMode"},   {1, "m_nKeepMode"},      {2, "m_nPopupStyle"},  {6, "m_nStaySeconds"},
        {10, "m_nKeepLimit"},   {14, "m_crText"},        {18, "m_crBack"},      {22, "lfHeight"},
        {26, "lfWidth"},        {30, "lfEscapement"},    {34, "lfOrientation"}, {38, "lfWeight"},
        {42, "lfItalic"},       {43, "lfUnderline"},     {44, "lfStrikeOut"},   {45, "lfCharSet"},
        {46, "lfOutPrecision"}, {47, "lfClipPrecision"}, {48, "lfQuality"},     {49, "lfPitchAndFamily"},
        {50, "lfFaceName"},     {82, "m_nColPos"},       {122, "m_nColWidth"},  {162, "m_nNextSerial"},
        {166, "m_nReserved"}};
    const char* name = fields[0].name;
    for (const auto& f : fields)
        if (f.start <= offset) name = f.name;
    return name;
}

int DumpConfig(const std::string& name, const std::vector<uint8_t>& bytes, Format fmt, bool check) {
    nuntio::CConfigDoc doc;
    doc.ResetSettings();
    const size_t taken = bytes.empty() ? 0 : doc.Deserialize(bytes.data(), bytes.size());
    const bool complete = taken == nuntio::CConfigDoc::kFileSize;
    if (!check) {
        const nuntio::FontDesc& lf = doc.m_lfList;
        Table t;
        t.header = {"field", "value"};
        auto add = [&](const char* k, const std::string& v) { t.rows.push_back({k, v}); };
        auto arr = [&](const int32_t(&a)[10]) {
            std::string s;
            for (int i = 0; i < 10; ++i) {
                if (i > 0) s += ' ';
                s += std::to_string(a[i]);
            }
            return s;
        };
        add("m_nPromptMode", std::to_string(doc.m_nPromptMode));
        add("m_nKeepMode", std::to_string(doc.m_nKeepMode));
        add("m_nPopupStyle", std::to_string(doc.m_nPopupStyle));
        add("m_nStaySeconds", std::to_string(doc.m_nStaySeconds));
        add("m_nKeepLimit", std::to_string(doc.m_nKeepLimit));
        add("m_crText", Hex(doc.m_crText));
        add("m_crBack", Hex(doc.m_crBack));
        add("lfHeight", std::to_string(lf.lfHeight));
        add("lfWidth", std::to_string(lf.lfWidth));
        add("lfEscapement", std::to_string(lf.lfEscapement));
        add("lfOrientation", std::to_string(lf.lfOrientation));
        add("lfWeight", std::to_string(lf.lfWeight));
        add("lfItalic", std::to_string(lf.lfItalic));
        add("lfUnderline", std::to_string(lf.lfUnderline));
        add("lfStrikeOut", std::to_string(lf.lfStrikeOut));
        add("lfCharSet", std::to_string(lf.lfCharSet));
        add("lfOutPrecision", std::to_string(lf.lfOutPrecision));
        add("lfClipPrecision", std::to_string(lf.lfClipPrecision));
        add("lfQuality", std::to_string(lf.lfQuality));
        add("lfPitchAndFamily", std::to_string(lf.lfPitchAndFamily));
        add("lfFaceName", Utf8(nuntio::FieldText(lf.lfFaceName)));
        add("m_nColPos", arr(doc.m_nColPos));
        add("m_nColWidth", arr(doc.m_nColWidth));
        add("m_nNextSerial", std::to_string(doc.m_nNextSerial));
        add("m_nReserved", std::to_string(doc.m_nReserved));
        if (fmt == Format::kJson) {
            std::printf("{");
            for (size_t i = 0; i < t.rows.size(); ++i)
                std::printf("%s\n  %s: %s", i ? "," : "", Json(t.rows[i][0]).c_str(),
                            Json(t.rows[i][1]).c_str());
            std::printf("\n}\n");
        } else {
            Print(t, fmt);
        }
    }
    if (bytes.empty()) {
        if (check) std::printf("%s: OK, empty configuration file (changes nothing)\n", name.c_str());
        return 0;
    }
    if (complete) {
        if (check)
            std::printf("%s: OK, configuration file%s\n", name.c_str(),
                        bytes.size() > nuntio::CConfigDoc::kFileSize ? " (bytes after the 170th are ignored)"
                                                                     : "");
        return 0;
    }
    std::fprintf(
        stderr,
        "%s: short: offset %zu: expected %s (170 bytes in all), found the end of the file after %zu bytes\n",
        name.c_str(), taken, CfgFieldAt(taken), bytes.size());
    return 1;
}

// ---- driver -----------------------------------------------------------------

bool EndsWithNoCase(const std::string& s, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i]) return false;
    return true;
}

Kind Detect(const std::string& name, const std::vector<uint8_t>& bytes) {
    if (EndsWithNoCase(name, ".cfg")) return Kind::kConfig;
    if (EndsWithNoCase(name, ".dat") || EndsWithNoCase(name, ".tmp") ||
        name.find(".DAT.") != std::string::npos)
        return Kind::kMessages;
    // By content: a message file is a count and then a class record (or nothing).
    if (bytes.size() <= 2 || !FirstClassName(bytes).empty()) return Kind::kMessages;
    return Kind::kConfig;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: nuntio-dump [--table|--json|--csv] [--check] [--kind=dat|cfg] FILE...\n"
                 "  Prints a message file (AlertMsg.DAT, TradeMsg.DAT) or a configuration file\n"
                 "  (AlertMsg.cfg, TradeMsg.cfg); GBK text as UTF-8, times in local time.\n"
                 "  --check  only validate; exit 1 with the offset and what was expected on damage\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    Format fmt = Format::kTable;
    Kind forced = Kind::kAuto;
    bool check = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--json")
            fmt = Format::kJson;
        else if (a == "--csv")
            fmt = Format::kCsv;
        else if (a == "--table")
            fmt = Format::kTable;
        else if (a == "--check")
            check = true;
        else if (a == "--kind=dat")
            forced = Kind::kMessages;
        else if (a == "--kind=cfg")
            forced = Kind::kConfig;
        else if (a == "-h" || a == "--help")
            return Usage(), 0;
        else if (a.size() > 1 && a[0] == '-')
            return Usage();
        else
            files.push_back(a);
    }
    if (files.empty()) return Usage();

    int status = 0;
    for (const std::string& name : files) {
        std::ifstream f(name, std::ios::binary);
        if (!f) {
            std::fprintf(stderr, "%s: cannot open: %s\n", name.c_str(), std::strerror(errno));
            status = 1;
            continue;
        }
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)),
                                         std::istreambuf_iterator<char>());
        if (files.size() > 1 && !check && fmt == Format::kTable) std::printf("== %s\n", name.c_str());
        const Kind kind = forced != Kind::kAuto ? forced : Detect(name, bytes);
        const int rc = kind == Kind::kConfig ? DumpConfig(name, bytes, fmt, check)
                                             : DumpMessages(name, bytes, fmt, check);
        if (rc != 0) status = rc;
    }
    return status;
}
