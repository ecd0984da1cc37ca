/*
 * nuntio.h - the interface of Nuntio.dll, the message center of the trading
 * client. C89 and later, C++98 and later (also Visual C++ before 2010). Needs no
 * windows.h: window handles cross this boundary as 32-bit values (a window
 * handle's significant bits fit in 32 on x64 too).
 *
 * Calling convention: every export is __cdecl. On x86 the names in the export
 * table are undecorated ("Nuntio_Init", not "_Nuntio_Init"), so GetProcAddress
 * with the plain name works, and the import library links with this header.
 *
 * Threading: call every export from the one thread that called Nuntio_Init (the
 * host's user-interface thread); that thread must pump messages.
 *
 * Records are packed little-endian byte images; text fields are fixed GBK arrays
 * terminated by a NUL inside the field (a full field is read to its end).
 */
#ifndef NUNTIO_H
#define NUNTIO_H

#include <stddef.h>
/* Visual C++ before 2010 has no <stdint.h>: the three exact-width types the
 * records use are declared here instead, as later versions declare them. A
 * host that declares them itself defines NUNTIO_HAVE_STDINT before including
 * this header. */
#if defined(_MSC_VER) && _MSC_VER < 1600
#if !defined(NUNTIO_HAVE_STDINT)
typedef unsigned char uint8_t;
typedef int int32_t;
typedef unsigned int uint32_t;
#endif
#else
#include <stdint.h>
#endif

#if defined(_WIN32) && !defined(_WIN64) && !defined(__cdecl) && defined(__GNUC__)
#define __cdecl __attribute__((__cdecl__))
#endif
#if defined(_WIN32)
#define NUNTIO_CALL __cdecl
#else
#define NUNTIO_CALL
#endif

#if defined(NUNTIO_BUILDING_DLL)
#define NUNTIO_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(NUNTIO_STATIC)
#define NUNTIO_API __declspec(dllimport)
#else
#define NUNTIO_API
#endif

/* Compile-time layout checks, in every language mode: a compiler that lays a
 * record out otherwise stops here. Without C11 or C++11 a false condition
 * declares an array of negative size, named after the check. */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1600))
#define NUNTIO_LAYOUT_CHECK(name, cond) static_assert(cond, "nuntio.h: wrong layout: " #name)
#elif !defined(__cplusplus) && defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define NUNTIO_LAYOUT_CHECK(name, cond) _Static_assert(cond, "nuntio.h: wrong layout: " #name)
#else
#define NUNTIO_LAYOUT_CHECK(name, cond) typedef char nuntio_wrong_layout_##name[(cond) ? 1 : -1]
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Categories ------------------------------------------------------- */
#define NUNTIO_CATEGORY_ALERT 0 /* "报警" */
#define NUNTIO_CATEGORY_TRADE 1 /* "交易" */

/* ---- Window messages -------------------------------------------------- */
/* Sent or posted by Nuntio to the host's main window: the window that was
 * active on the calling thread when Nuntio_Init was called (its top-level
 * owner), else the thread's first top-level, unowned, visible window in
 * z-order that is not one of Nuntio's. It is kept while it exists, hidden
 * (the host minimised to the notification area) or behind other windows;
 * once destroyed, the same search finds the next one. Without one, the
 * requests below are skipped. */
/* SendMessage, wParam 2, lParam = the alert's hSourceWnd: bring that window to
 * the front (the user opened the alert). */
#define NUNTIO_WM_ACTIVATE_SOURCE 0x0839
/* PostMessage, wParam = the alert's nVoiceId, lParam = address of an empty
 * text inside Nuntio.dll, valid while the DLL is loaded: play that voice. */
#define NUNTIO_WM_PLAY_VOICE 0x083C

/* The host may send or post these to the window that Nuntio_Init returned. */
#define NUNTIO_WM_STOP_TRAYFLASH 0x381B /* stop the tray icon's flashing */
#define NUNTIO_WM_POPUP_CLICKED 0x047B  /* as if the popup was clicked: show the window */

/* ---- Records ---------------------------------------------------------- */
#pragma pack(push, 1)

/* The ten alert flags; also the first ten bytes of every AlertRecord and the
 * contents of section "ALERTPROPERTY" of AlertCentre.ini. */
typedef struct AlertProperty {
    uint8_t AlertStaus; /* 0: alert off (DoAlert drops the record). The INI key is spelled so. */
    uint8_t Sound;      /* 0 none, 1 voice (the host plays it), 2 beep */
    uint8_t VoiceOnce;  /* with Sound 1: 1 once, 0 repeat */
    uint8_t Visual;     /* 0 suppresses IconFlash and Popup */
    uint8_t IconFlash;  /* flash the tray icon */
    uint8_t Popup;      /* show the popup beside the taskbar */
    uint8_t Email;
    uint8_t ShortMsg;
    uint8_t Reserved1; /* carried, not interpreted */
    uint8_t Reserved2;
} AlertProperty;

typedef struct AlertRecord {
    AlertProperty prop;   /* 0   */
    uint32_t hSourceWnd;  /* 10  window that raised the alert */
    uint32_t nVoiceId;    /* 14  passed back with NUNTIO_WM_PLAY_VOICE */
    char szModule[32];    /* 18  "模块" */
    char szWorkspace[64]; /* 50  "工作区" */
    char szWindow[64];    /* 114 "窗口" */
    char szCode[10];      /* 178 "商品代码" */
    char szName[10];      /* 188 "商品简称" */
    char szObject[32];    /* 198 "报警对象" */
    char szContent[256];  /* 230 "报警内容" */
} AlertRecord;

typedef struct TradeRecord {
    uint32_t nReserved; /* 0  carried, never read */
    char szEvent[32];   /* 4  "事件" */
    int32_t tOccurred;  /* 36 seconds since 1970-01-01 00:00 UTC; "发生时间" */
    char szDetail[260]; /* 40 "详细说明" */
} TradeRecord;

typedef struct InboundMessage {
    int32_t nCategory; /* NUNTIO_CATEGORY_ALERT or NUNTIO_CATEGORY_TRADE */
    union {
        AlertRecord alert;
        TradeRecord trade; /* the 186 bytes after it are not read */
        uint8_t bytes[486];
    } body;
} InboundMessage;

#pragma pack(pop)

NUNTIO_LAYOUT_CHECK(AlertProperty_size, sizeof(AlertProperty) == 10);
NUNTIO_LAYOUT_CHECK(AlertProperty_offsets,
                    offsetof(AlertProperty, AlertStaus) == 0 && offsetof(AlertProperty, Sound) == 1 &&
                        offsetof(AlertProperty, VoiceOnce) == 2 && offsetof(AlertProperty, Visual) == 3 &&
                        offsetof(AlertProperty, IconFlash) == 4 && offsetof(AlertProperty, Popup) == 5 &&
                        offsetof(AlertProperty, Email) == 6 && offsetof(AlertProperty, ShortMsg) == 7 &&
                        offsetof(AlertProperty, Reserved1) == 8 && offsetof(AlertProperty, Reserved2) == 9);
NUNTIO_LAYOUT_CHECK(AlertRecord_size, sizeof(AlertRecord) == 486);
NUNTIO_LAYOUT_CHECK(AlertRecord_offsets,
                    offsetof(AlertRecord, hSourceWnd) == 10 && offsetof(AlertRecord, nVoiceId) == 14 &&
                        offsetof(AlertRecord, szModule) == 18 && offsetof(AlertRecord, szWorkspace) == 50 &&
                        offsetof(AlertRecord, szWindow) == 114 && offsetof(AlertRecord, szCode) == 178 &&
                        offsetof(AlertRecord, szName) == 188 && offsetof(AlertRecord, szObject) == 198 &&
                        offsetof(AlertRecord, szContent) == 230);
NUNTIO_LAYOUT_CHECK(TradeRecord_size, sizeof(TradeRecord) == 300);
NUNTIO_LAYOUT_CHECK(TradeRecord_offsets, offsetof(TradeRecord, szEvent) == 4 &&
                                             offsetof(TradeRecord, tOccurred) == 36 &&
                                             offsetof(TradeRecord, szDetail) == 40);
NUNTIO_LAYOUT_CHECK(InboundMessage_size, sizeof(InboundMessage) == 490);
NUNTIO_LAYOUT_CHECK(InboundMessage_offsets, offsetof(InboundMessage, body) == 4);

/* ---- Exports ---------------------------------------------------------- */
/* Creates the hidden message-center window and loads user's messages from
 * root\User\user\Nuntio\ (the library makes only the last level). A relative
 * root is made a full path from the current folder at this call, once;
 * trailing backslashes are dropped. user must be one folder name: 0 is
 * returned and nothing is written anywhere for an empty name, one holding
 * \ / : < > " | ? * or a control character, ".", "..", a name ending in a dot
 * or a space, a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an
 * extension), or one whose folder path would leave less than 51 characters
 * for a file name within MAX_PATH (260). hostValue1/2 are kept and not read.
 * Returns the window's handle; 0 on failure (also for a null root or user),
 * and then no window exists and no file was written. A second call changes
 * nothing, whatever its arguments: it returns the window of the first (0
 * after a first call that failed with a window that could not be built). */
NUNTIO_API uint32_t NUNTIO_CALL Nuntio_Init(uint32_t hostValue1, uint32_t hostValue2, const char* root,
                                            const char* user);
/* Does nothing; returns 1. Saving happens when the DLL is unloaded (FreeLibrary
 * or process exit). */
NUNTIO_API int32_t NUNTIO_CALL Nuntio_Exit(void);
/* Records a new user name; files stay where Nuntio_Init put them. Null: ignored. */
NUNTIO_API void NUNTIO_CALL Nuntio_ChangeUser(const char* user);
/* Delivers an alert (category 0) when record->prop.AlertStaus is not 0.
 * Always returns 1 (also for a null record, which delivers nothing). */
NUNTIO_API int32_t NUNTIO_CALL DoAlert(const AlertRecord* record);
/* Delivers a message. 1 delivered; 0 refused: no Nuntio_Init, no live window,
 * a category other than 0 or 1, or a null message. */
NUNTIO_API int32_t NUNTIO_CALL SendToMsgCenter(uint32_t ignored, const InboundMessage* message);
/* Shows or hides the window. 1: now shown; 0: now hidden, or no window. */
NUNTIO_API int32_t NUNTIO_CALL ToggleMsgCenter(void);
/* Modal alert property dialog editing *prop, owned by the calling thread's
 * active window (disabled while the dialog is up). 1: OK (prop written); 0:
 * cancel, a null prop, or a call while the dialog is already up (which brings
 * that one forward); prop untouched then. Needs no Nuntio_Init. */
NUNTIO_API int32_t NUNTIO_CALL OpenAlertPropertyDlg(AlertProperty* prop);
/* Reads the user's default alert settings (AlertCentre.ini, section
 * "ALERTPROPERTY"); missing values read as 0. Returns 1 (0 for a null prop). */
NUNTIO_API int32_t NUNTIO_CALL GetAlertDefaultSet(AlertProperty* prop);
/* Writes the user's default alert settings. Returns 1 (0 for a null prop). */
NUNTIO_API int32_t NUNTIO_CALL SetAlertDefaultSet(const AlertProperty* prop);

/* Function pointer types, for hosts that load the DLL with LoadLibrary. */
typedef uint32_t(NUNTIO_CALL* PFN_Nuntio_Init)(uint32_t, uint32_t, const char*, const char*);
typedef int32_t(NUNTIO_CALL* PFN_Nuntio_Exit)(void);
typedef void(NUNTIO_CALL* PFN_Nuntio_ChangeUser)(const char*);
typedef int32_t(NUNTIO_CALL* PFN_DoAlert)(const AlertRecord*);
typedef int32_t(NUNTIO_CALL* PFN_SendToMsgCenter)(uint32_t, const InboundMessage*);
typedef int32_t(NUNTIO_CALL* PFN_ToggleMsgCenter)(void);
typedef int32_t(NUNTIO_CALL* PFN_OpenAlertPropertyDlg)(AlertProperty*);
typedef int32_t(NUNTIO_CALL* PFN_GetAlertDefaultSet)(AlertProperty*);
typedef int32_t(NUNTIO_CALL* PFN_SetAlertDefaultSet)(const AlertProperty*);

#ifdef __cplusplus
}
#endif
#endif /* NUNTIO_H */
