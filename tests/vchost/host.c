/*
 * A host built the way Visual C++ builds one: compiled by clang-cl, linked by
 * lld-link with its defaults (on x86: safe exception handlers) against
 * Nuntio.lib, without a C runtime. It calls every export through the import
 * library and exits with the number of the first check that failed, 0 when
 * all passed. Its argument is the root folder; <root>\User\vc exists.
 */
#include "nuntio.h"

/* The few kernel32 functions it needs, as windows.h declares them. */
#define WINAPI __stdcall
__declspec(dllimport) char* WINAPI GetCommandLineA(void);
__declspec(dllimport) void* WINAPI GetStdHandle(unsigned long handle);
__declspec(dllimport) int WINAPI
    WriteFile(void* file, const void* data, unsigned long size, unsigned long* written, void* overlapped);
__declspec(dllimport) void WINAPI ExitProcess(unsigned int code);

/* Static, so that no zeroing call to a C runtime is needed. Every alert flag
 * but AlertStaus off: no popup, tray flashing or sound. */
static InboundMessage alert = {NUNTIO_CATEGORY_ALERT,
                               {{{1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                 0,
                                 0,
                                 "vc",
                                 "workspace",
                                 "window",
                                 "600000",
                                 "name",
                                 "object",
                                 "content"}}};
static InboundMessage unknown_category;

static void say(const char* text) {
    unsigned long length = 0, written;
    while (text[length])
        ++length;
    WriteFile(GetStdHandle((unsigned long)-11), text, length, &written, 0);
}

static void check(int passed, unsigned int number, const char* what) {
    if (passed) return;
    say("vc host: failed: ");
    say(what);
    say("\n");
    ExitProcess(number);
}

/* The command line's first argument: the rest after the program's name. */
static const char* first_argument(const char* line) {
    if (*line == '"') {
        for (++line; *line && *line != '"'; ++line) {
        }
        if (*line) ++line;
    } else {
        while (*line && *line != ' ')
            ++line;
    }
    while (*line == ' ')
        ++line;
    return line;
}

void __cdecl host_main(void) {
    const char* root = first_argument(GetCommandLineA());
    AlertProperty defaults = {1, 2, 0, 1, 1, 0, 0, 0, 0, 0}, read;
    uint32_t window;

    unknown_category.nCategory = 7;
    check(*root != 0, 1, "no root folder given");
    window = Nuntio_Init(0, 0, root, "vc");
    check(window != 0, 2, "Nuntio_Init returned 0");
    check(Nuntio_Init(0, 0, root, "other") == window, 3, "a second Nuntio_Init returned another window");
    check(SendToMsgCenter(0, &alert) == 1, 4, "SendToMsgCenter refused an alert");
    check(SendToMsgCenter(0, &unknown_category) == 0, 5, "SendToMsgCenter took category 7");
    check(DoAlert(&alert.body.alert) == 1, 6, "DoAlert did not return 1");
    check(ToggleMsgCenter() == 1, 7, "the first ToggleMsgCenter did not show the window");
    check(ToggleMsgCenter() == 0, 8, "the second ToggleMsgCenter did not hide the window");
    check(SetAlertDefaultSet(&defaults) == 1, 9, "SetAlertDefaultSet did not return 1");
    check(GetAlertDefaultSet(&read) == 1, 10, "GetAlertDefaultSet did not return 1");
    check(read.AlertStaus == 1 && read.Sound == 2 && read.Visual == 1 && read.IconFlash == 1 &&
              read.Popup == 0,
          11, "GetAlertDefaultSet did not read back what SetAlertDefaultSet wrote");
    check(OpenAlertPropertyDlg(0) == 0, 12, "OpenAlertPropertyDlg(NULL) did not return 0");
    Nuntio_ChangeUser("vc");
    check(Nuntio_Exit() == 1, 13, "Nuntio_Exit did not return 1");
    say("vc host: every export answered as expected\n");
    ExitProcess(0);
}
