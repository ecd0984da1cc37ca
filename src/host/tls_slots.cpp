// The static C++ runtime's thread library takes thread-local storage slots
// while this library loads and never gives them back. A process has about a
// thousand, so a host that loads and unloads the library again and again would
// run out (the runtime then aborts inside LoadLibrary). The linker routes the
// runtime's calls of TlsAlloc through here (--wrap), and the slots go back when
// the library's last static object is destroyed, after every other one.
#include <windows.h>

namespace {

using TlsAllocFn = DWORD(WINAPI*)();

DWORD WINAPI TrackedTlsAlloc();

} // namespace

// The import's pointer as the linker names it, wrapped and real (32-bit
// names carry the leading underscore before the prefix).
#if defined(_WIN64)
#define NUNTIO_WRAP_TLSALLOC "__wrap___imp_TlsAlloc"
#define NUNTIO_REAL_TLSALLOC "__real___imp_TlsAlloc"
#else
#define NUNTIO_WRAP_TLSALLOC "___wrap__imp__TlsAlloc@0"
#define NUNTIO_REAL_TLSALLOC "___real__imp__TlsAlloc@0"
#endif

extern "C" {
extern TlsAllocFn g_realTlsAlloc __asm__(NUNTIO_REAL_TLSALLOC);
TlsAllocFn g_wrapTlsAlloc __asm__(NUNTIO_WRAP_TLSALLOC) = &TrackedTlsAlloc;
}

namespace {

DWORD g_slots[8];
unsigned g_slotCount = 0;

DWORD WINAPI TrackedTlsAlloc() {
    const DWORD slot = g_realTlsAlloc();
    if (slot != TLS_OUT_OF_INDEXES && g_slotCount < sizeof g_slots / sizeof g_slots[0])
        g_slots[g_slotCount++] = slot;
    return slot;
}

struct SlotRelease {
    ~SlotRelease() {
        while (g_slotCount > 0)
            ::TlsFree(g_slots[--g_slotCount]);
    }
};

// Constructed before, so destroyed after, every other static object.
__attribute__((init_priority(101))) SlotRelease g_release;

} // namespace
