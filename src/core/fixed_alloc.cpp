// The fixed-slot allocator of the message objects.
#include "fixed_alloc.h"

#include <cstdlib>
#include <mutex>
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
    struct Slot {
        Slot* next;
    };
    std::mutex mutex;
    Slot* free = nullptr;
    std::vector<void*> blocks;
    size_t live = 0;
    bool orphaned = false; // released while objects lived: the last Free cleans up

    ~State() {
        for (void* b : blocks) ::operator delete(b);
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
    std::lock_guard<std::mutex> lock(s->mutex);
    if (s->free == nullptr) {
        const size_t slot = (m_nSlotSize + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
        auto* block = static_cast<unsigned char*>(::operator new(slot * m_nSlotsPerBlock));
        s->blocks.push_back(block);
        for (size_t i = m_nSlotsPerBlock; i-- > 0;) {
            auto* n = reinterpret_cast<State::Slot*>(block + i * slot);
            n->next = s->free;
            s->free = n;
        }
    }
    State::Slot* n = s->free;
    s->free = n->next;
    ++s->live;
    return n;
#endif
}

void CFixedAlloc::Free(void* p) {
    if (p == nullptr) return;
#ifdef NUNTIO_HEAP_OBJECTS
    ::operator delete(p);
#else
    State* s = m_state;
    bool last = false;
    {
        std::lock_guard<std::mutex> lock(s->mutex);
        auto* n = static_cast<State::Slot*>(p);
        n->next = s->free;
        s->free = n;
        last = --s->live == 0 && s->orphaned;
    }
    if (last) {
        delete s;
        m_state = nullptr;
    }
#endif
}

void CFixedAlloc::Release() {
    State* s = m_state;
    if (s == nullptr) return;
    bool now;
    {
        std::lock_guard<std::mutex> lock(s->mutex);
        s->orphaned = true;
        now = s->live == 0;
    }
    if (now) {
        delete s;
        m_state = nullptr;
    }
}

} // namespace nuntio
