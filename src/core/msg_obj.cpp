// The message objects and their bytes in an archive: 16 bytes of the common
// part, then the record exactly as it lies in memory.
#include "msg_obj.h"

#include "fixed_alloc.h"

#include <bit>
#include <cstring>

namespace nuntio {

static_assert(std::endian::native == std::endian::little, "records are stored in memory order");

namespace {
const CRuntimeClass classCObject = {"CObject", 0xFFFF, nullptr, nullptr, 0};
}

const CRuntimeClass CMsgObj::classCMsgObj = {"CMsgObj", 1, &CMsgObj::CreateObject, &classCObject,
                                             CMsgObj::kDataSize};
const CRuntimeClass CAlertMsgObj::classCAlertMsgObj = {"CAlertMsgObj", 1, &CAlertMsgObj::CreateObject,
                                                       &CMsgObj::classCMsgObj, CAlertMsgObj::kDataSize};
const CRuntimeClass CTradeMsgObj::classCTradeMsgObj = {"CTradeMsgObj", 1, &CTradeMsgObj::CreateObject,
                                                       &CMsgObj::classCMsgObj, CTradeMsgObj::kDataSize};

std::unique_ptr<CObject> CMsgObj::CreateObject() {
    return std::make_unique<CMsgObj>();
}
std::unique_ptr<CObject> CAlertMsgObj::CreateObject() {
    return std::unique_ptr<CObject>(new CAlertMsgObj(NoInit{}));
}
std::unique_ptr<CObject> CTradeMsgObj::CreateObject() {
    return std::unique_ptr<CObject>(new CTradeMsgObj(NoInit{}));
}

namespace {
// 64 objects per block: about 33 KB of alerts, 21 KB of trade messages.
constinit nuntio::CFixedAlloc g_alertSlots(sizeof(CAlertMsgObj), 64);
constinit nuntio::CFixedAlloc g_tradeSlots(sizeof(CTradeMsgObj), 64);

// Static owners elsewhere (the categories) may outlive this object; their
// objects are freed into the released allocators, which go with the last one.
struct SlotRelease {
    ~SlotRelease() { nuntio::ReleaseMessageSlots(); }
} g_slotRelease;
} // namespace

void ReleaseMessageSlots() {
    g_alertSlots.Release();
    g_tradeSlots.Release();
}

// A class derived from these (none is) would have another size: it goes to the heap.
void* CAlertMsgObj::operator new(size_t size) {
    return size == sizeof(CAlertMsgObj) ? g_alertSlots.Alloc() : ::operator new(size);
}
void CAlertMsgObj::operator delete(void* p, size_t size) {
    if (size == sizeof(CAlertMsgObj))
        g_alertSlots.Free(p);
    else
        ::operator delete(p);
}
void* CTradeMsgObj::operator new(size_t size) {
    return size == sizeof(CTradeMsgObj) ? g_tradeSlots.Alloc() : ::operator new(size);
}
void CTradeMsgObj::operator delete(void* p, size_t size) {
    if (size == sizeof(CTradeMsgObj))
        g_tradeSlots.Free(p);
    else
        ::operator delete(p);
}

void CMsgObj::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        uint8_t b[kDataSize];
        const int32_t words[4] = {m_nSerial, m_nImage, m_nCategory, m_tArrived};
        for (int w = 0; w < 4; ++w)
            for (int i = 0; i < 4; ++i)
                b[4 * w + i] = static_cast<uint8_t>(static_cast<uint32_t>(words[w]) >> (8 * i));
        ar.Write(b, sizeof b);
    } else {
        // One read for the four words: the loader's hot path.
        uint8_t b[kDataSize];
        if (!ar.Read(b, sizeof b, "a CMsgObj")) return;
        auto word = [&](int i) {
            return static_cast<int32_t>(static_cast<uint32_t>(b[i]) | (static_cast<uint32_t>(b[i + 1]) << 8) |
                                        (static_cast<uint32_t>(b[i + 2]) << 16) |
                                        (static_cast<uint32_t>(b[i + 3]) << 24));
        };
        m_nSerial = word(0);
        m_nImage = word(4);
        m_nCategory = word(8);
        m_tArrived = word(12);
    }
}

void CMsgObj::FillCommon(const InboundMessage& msg, int32_t& nextSerial, int32_t now) {
    m_nSerial = nextSerial;
    nextSerial = static_cast<int32_t>(static_cast<uint32_t>(nextSerial) + 1u); // wraps like the stored word
    m_nImage = 0;
    m_nCategory = msg.nCategory;
    m_tArrived = now;
}

// The records hold only bytes and 32-bit words in the host's little-endian
// layout, so on the little-endian targets they travel as they are.
void CAlertMsgObj::Serialize(CArchive& ar) {
    CMsgObj::Serialize(ar);
    if (ar.IsStoring())
        ar.Write(&m_record, sizeof m_record);
    else
        ar.Read(&m_record, sizeof m_record, "an AlertRecord");
}

void CAlertMsgObj::Fill(const InboundMessage& msg, int32_t& nextSerial, int32_t now) {
    FillCommon(msg, nextSerial, now);
    std::memcpy(&m_record, &msg.body.alert, sizeof m_record);
}

void CTradeMsgObj::Serialize(CArchive& ar) {
    CMsgObj::Serialize(ar);
    if (ar.IsStoring())
        ar.Write(&m_record, sizeof m_record);
    else
        ar.Read(&m_record, sizeof m_record, "a TradeRecord");
}

void CTradeMsgObj::Fill(const InboundMessage& msg, int32_t& nextSerial, int32_t now) {
    FillCommon(msg, nextSerial, now);
    std::memcpy(&m_record, &msg.body.trade, sizeof m_record);
    m_nImage = 0;
}

const CClassRegistry& MessageClasses() {
    static const CClassRegistry registry = [] {
        CClassRegistry r;
        r.Register(&CAlertMsgObj::classCAlertMsgObj);
        r.Register(&CMsgObj::classCMsgObj);
        r.Register(&CTradeMsgObj::classCTradeMsgObj);
        return r;
    }();
    return registry;
}

} // namespace nuntio
