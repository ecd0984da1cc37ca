// The message objects and their bytes in an archive: 16 bytes of the common
// part, then the record exactly as it lies in memory.
#include "msg_obj.h"

#include "fixed_alloc.h"

#include <bit>
#include <cstring>

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
    return std::make_unique<CAlertMsgObj>();
}
std::unique_ptr<CObject> CTradeMsgObj::CreateObject() {
    return std::make_unique<CTradeMsgObj>();
}

void CMsgObj::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteI32(m_nSerial);
        ar.WriteI32(m_nImage);
        ar.WriteI32(m_nCategory);
        ar.WriteI32(m_tArrived);
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
