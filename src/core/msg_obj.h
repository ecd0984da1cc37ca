// The stored message objects: the common part (serial, icon, category,
// arrival time) and the alert and trade kinds with their record copies.
#pragma once

#include <cstdint>

#include "archive.h"
#include "nuntio.h"

namespace nuntio {

class CMsgObj : public CObject {
public:
    static const CRuntimeClass classCMsgObj;
    static std::unique_ptr<CObject> CreateObject();
    const CRuntimeClass* GetRuntimeClass() const override { return &classCMsgObj; }
    void Serialize(CArchive& ar) override;

    // The common part of filling a new message from a record: takes the next
    // serial number (and advances the counter), icon 0 (latest), the record's
    // category and the arrival time.
    void FillCommon(const InboundMessage& msg, int32_t& nextSerial, int32_t now);

    int32_t m_nSerial = 0;
    int32_t m_nImage = 0;
    int32_t m_nCategory = 0;
    int32_t m_tArrived = 0; // seconds since 1970-01-01 00:00 UTC

    static constexpr uint32_t kDataSize = 16;
};

class CAlertMsgObj : public CMsgObj {
public:
    CAlertMsgObj() : m_record{} {}

    static const CRuntimeClass classCAlertMsgObj;
    static std::unique_ptr<CObject> CreateObject();
    const CRuntimeClass* GetRuntimeClass() const override { return &classCAlertMsgObj; }
    void Serialize(CArchive& ar) override;

    // FillCommon, then the 486 body bytes.
    void Fill(const InboundMessage& msg, int32_t& nextSerial, int32_t now);

    AlertRecord m_record;

    static constexpr uint32_t kDataSize = CMsgObj::kDataSize + sizeof(AlertRecord); // 502

    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size);

private:
    struct NoInit {};
    // For reading: Serialize fills every byte of the record.
    explicit CAlertMsgObj(NoInit) {}
};

class CTradeMsgObj : public CMsgObj {
public:
    CTradeMsgObj() : m_record{} {}

    static const CRuntimeClass classCTradeMsgObj;
    static std::unique_ptr<CObject> CreateObject();
    const CRuntimeClass* GetRuntimeClass() const override { return &classCTradeMsgObj; }
    void Serialize(CArchive& ar) override;

    // FillCommon, then the first 300 body bytes; the rest of the body is not kept.
    void Fill(const InboundMessage& msg, int32_t& nextSerial, int32_t now);

    TradeRecord m_record;

    static constexpr uint32_t kDataSize = CMsgObj::kDataSize + sizeof(TradeRecord); // 316

    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size);

private:
    struct NoInit {};
    explicit CTradeMsgObj(NoInit) {}
};

// The registry of the three message classes, registered in the library's
// start-up order: CAlertMsgObj, then CMsgObj, then CTradeMsgObj.
const CClassRegistry& MessageClasses();

// Frees the message objects' slot blocks at unload (now, or when the last
// object goes). The DLL need not call it: a static object of the core does.
void ReleaseMessageSlots();

template <class T>
struct MsgClassOf;
template <>
struct MsgClassOf<CAlertMsgObj> {
    static const CRuntimeClass* Get() { return &CAlertMsgObj::classCAlertMsgObj; }
};
template <>
struct MsgClassOf<CTradeMsgObj> {
    static const CRuntimeClass* Get() { return &CTradeMsgObj::classCTradeMsgObj; }
};

} // namespace nuntio
