// The fixed-slot allocator of the message objects.
#include "fixed_alloc.h"

#include <cstdlib>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define NUNTIO_HEAP_OBJECTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NUNTIO_HEAP_OBJECTS 1
#endif
#endif

namespace nuntio {

struct CFixedAlloc::State {
    // Free slots as a stack beside them rather than a chain through them: the
    // next free slot is known without touching the cold memory of this one.
    std::vector<void*> free;
    std::vector<void*> blocks;
    size_t live = 0;
    bool orphaned = false; // released while objects lived: the last Free cleans up

    ~State() {
        for (void* b : blocks)
            ::operator delete(b);
    }
};

CFixedAlloc::State* CFixedAlloc::Get() {
    if (m_state == nullptr) m_state = new State;
    return m_state;
}

void* CFixedAlloc::Alloc() {
#ifdef NUNTIO_HEAP_OBJECTS
    return ::operator new(m_nSlotSize);
#else
    State* s = Get();
    if (s->free.empty()) {
        const size_t slot = (m_nSlotSize + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
        auto* block = static_cast<unsigned char*>(::operator new(slot* m_nSlotsPerBlock));
        s->blocks.push_back(block);
        // Room for every slot, so that Free never allocates.
        s->free.reserve(s->blocks.size() * m_nSlotsPerBlock);
        for (size_t i = m_nSlotsPerBlock; i-- > 0;)
            s->free.push_back(block + i * slot);
    }
    void* p = s->free.back();
    s->free.pop_back();
    ++s->live;
    return p;
#endif
}

void CFixedAlloc::Free(void* p) {
    if (p == nullptr) return;
#ifdef NUNTIO_HEAP_OBJECTS
    ::operator delete(p);
#else
    State* s = m_state;
    s->free.push_back(p);
    if (--s->live == 0 && s->orphaned) {
        delete s;
        m_state = nullptr;
    }
#endif
}

void CFixedAlloc::Release() {
    State* s = m_state;
    if (s == nullptr) return;
    s->orphaned = true;
    if (s->live == 0) {
        delete s;
        m_state = nullptr;
    }
}

} // namespace nuntio
