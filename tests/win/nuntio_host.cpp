#include "nuntio_host.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "load_host.h"
#include "ui_driver.h"

namespace testhost {

void RemoveTree(const std::string& path) {
    const std::string from = path + '\0'; // a list of one name
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationA(&op);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary); // shares reading and writing with the library
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void MakeDirs(const std::string& path) {
    SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
}

HWND FindChild(HWND parent, const char* cls, int id) {
    for (HWND h = FindWindowExA(parent, nullptr, cls, nullptr); h != nullptr;
         h = FindWindowExA(parent, h, cls, nullptr))
        if (GetDlgCtrlID(h) == id) return h;
    return nullptr;
}

void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    do {
        PumpQueued();
        if (ms > 0) Sleep(5);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

int32_t I32At(const std::vector<uint8_t>& bytes, size_t offset) {
    int32_t v = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&v, &bytes[offset], 4);
    return v;
}

std::vector<std::string> FilesLike(const std::string& folder, const char* pattern) {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\" + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do
        out.push_back(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
}

std::string CellText(HWND list, int row, int sub) {
    char text[512] = {};
    ListView_GetItemText(list, row, sub, text, sizeof text);
    return text;
}

int RowIcon(HWND list, int row) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

std::string StatusText(HWND window) {
    char text[1024] = {};
    SendMessageA(FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr), SB_GETTEXTA, 0,
                 reinterpret_cast<LPARAM>(text));
    return text;
}

NuntioDll::NuntioDll() {
    m_module = LoadLibraryA((ExeDir() + "\\Nuntio.dll").c_str());
    if (m_module == nullptr) return;
    auto get = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(m_module, name)); };
    Init = reinterpret_cast<PFN_Nuntio_Init>(get("Nuntio_Init"));
    Exit = reinterpret_cast<PFN_Nuntio_Exit>(get("Nuntio_Exit"));
    ChangeUser = reinterpret_cast<PFN_Nuntio_ChangeUser>(get("Nuntio_ChangeUser"));
    DoAlert = reinterpret_cast<PFN_DoAlert>(get("DoAlert"));
    SendToMsgCenter = reinterpret_cast<PFN_SendToMsgCenter>(get("SendToMsgCenter"));
    ToggleMsgCenter = reinterpret_cast<PFN_ToggleMsgCenter>(get("ToggleMsgCenter"));
    OpenAlertPropertyDlg = reinterpret_cast<PFN_OpenAlertPropertyDlg>(get("OpenAlertPropertyDlg"));
    GetAlertDefaultSet = reinterpret_cast<PFN_GetAlertDefaultSet>(get("GetAlertDefaultSet"));
    SetAlertDefaultSet = reinterpret_cast<PFN_SetAlertDefaultSet>(get("SetAlertDefaultSet"));
}

namespace {
// Fills a fixed text field; a text as long as the field fills it without a NUL.
template <size_t N>
void Put(char (&field)[N], const char* text) {
    size_t n = std::strlen(text);
    std::memcpy(field, text, n < N ? n : N);
}
} // namespace

AlertRecord MakeAlert(const char* module, const char* content, uint8_t status) {
    AlertRecord r{};
    r.prop.AlertStaus = status;
    r.prop.Visual = 1;
    Put(r.szModule, module);
    Put(r.szContent, content);
    return r;
}

InboundMessage MakeInbound(int32_t category, const AlertRecord& alert) {
    InboundMessage m{};
    m.nCategory = category;
    m.body.alert = alert;
    return m;
}

InboundMessage MakeTrade(const char* event, const char* detail, int32_t occurred) {
    InboundMessage m{};
    m.nCategory = NUNTIO_CATEGORY_TRADE;
    Put(m.body.trade.szEvent, event);
    Put(m.body.trade.szDetail, detail);
    m.body.trade.tOccurred = occurred;
    return m;
}

void HostTest::SetUp() {
    dll = std::make_unique<NuntioDll>();
    ASSERT_TRUE(dll->Loaded()) << "Nuntio.dll beside the test program";
    char tmp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tmp);
    static unsigned counter = 0;
    root = std::string(tmp) + "nuntio-host-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
    RemoveTree(root);
    MakeDirs(root + "\\User\\trader01");
}

void HostTest::TearDown() {
    Unload();
    RemoveTree(root);
}

HWND HostTest::Init(const std::string& user) {
    center = reinterpret_cast<HWND>(static_cast<uintptr_t>(dll->Init(0, 0, root.c_str(), user.c_str())));
    return center;
}

std::vector<std::string> HostTest::Contents() const {
    return ColumnTexts(List(kAlertList), 8);
}

void HostTest::Trade(const char* detail, const char* event) {
    const InboundMessage m = MakeTrade(event, detail, 1700000000);
    ASSERT_EQ(dll->SendToMsgCenter(0, &m), 1);
}

void HostTest::PatchCfg(const char* name, size_t offset, const void* bytes, size_t n) {
    std::vector<uint8_t> cfg = Cfg(name);
    ASSERT_EQ(cfg.size(), 170u) << name;
    std::memcpy(&cfg[offset], bytes, n);
    WriteFileBytes(Folder() + name, cfg);
}

void HostTest::Hook(const char* from, const char* function, void* replacement, void** original) {
    auto h = std::make_unique<IatHook>(dll->Module(), from, function, replacement);
    ASSERT_TRUE(h->Installed()) << function;
    if (original != nullptr) *original = h->Original();
    hooks.push_back(std::move(h));
}

} // namespace testhost
