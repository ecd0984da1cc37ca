// Fixed-size slots for the message objects, as the framework's fixed
// allocator keeps them: a freed slot waits for the next object instead of
// going back to the heap. Loading, retention (one out at the bottom, one in at
// the top) and deletion then cost no heap calls, and a later load reuses memory
// already touched. Under the address sanitizer every object comes from the
// heap so that use after free stays detectable.
//
// Not locked: message objects are made and destroyed on the host's
// user-interface thread only, like everything else in this library.
#pragma once

#include <cstddef>

namespace nuntio {

class CFixedAlloc {
public:
    // slotSize bytes per object, slotsPerBlock objects per heap block.
    constexpr CFixedAlloc(size_t slotSize, size_t slotsPerBlock)
        : m_nSlotSize(slotSize), m_nSlotsPerBlock(slotsPerBlock) {}
    CFixedAlloc(const CFixedAlloc&) = delete;
    CFixedAlloc& operator=(const CFixedAlloc&) = delete;

    void* Alloc();
    void Free(void* p);
    // At unload: releases the blocks now when no object is alive, else when
    // the last one is freed. The allocator itself is trivially destructible, so
    // objects of static owners destroyed later can still be freed.
    void Release();

private:
    struct State;
    State* Get();
    const size_t m_nSlotSize;
    const size_t m_nSlotsPerBlock;
    State* m_state = nullptr;
};

} // namespace nuntio
