/* Compiled, not run, in every language mode nuntio.h supports (check-header.sh). */
#ifdef NUNTIO_TEST_OWN_STDINT
/* A host of an older Visual C++ that declares the exact-width types itself. */
typedef unsigned char uint8_t;
typedef long int32_t;
typedef unsigned long uint32_t;
#define NUNTIO_HAVE_STDINT
#endif
#ifdef NUNTIO_TEST_WIDE_FIELD
/* One field twice as wide as the DLL has it: the header must refuse to compile. */
#define szCode szCode[2]
#endif
#include "nuntio.h"

int nuntio_header_use(const InboundMessage* message, PFN_SendToMsgCenter send);
int nuntio_header_use(const InboundMessage* message, PFN_SendToMsgCenter send) {
    return send(0, message) + (int)sizeof(AlertRecord) + message->body.alert.prop.Popup;
}
