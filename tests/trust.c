/* Prints what Windows' own check of a file's Authenticode signature answers:
   WinVerifyTrust with the generic verify action, no UI, no revocation check. */
#include <windows.h>
#include <softpub.h>
#include <wintrust.h>
#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    (void)argc;
    WINTRUST_FILE_INFO file = {.cbStruct = sizeof file, .pcwszFilePath = argv[1]};
    WINTRUST_DATA data = {.cbStruct = sizeof data,
                          .dwUIChoice = WTD_UI_NONE,
                          .fdwRevocationChecks = WTD_REVOKE_NONE,
                          .dwUnionChoice = WTD_CHOICE_FILE,
                          .pFile = &file,
                          .dwStateAction = WTD_STATEACTION_IGNORE};
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    /* No state kept for the caller (WTD_STATEACTION_IGNORE), so nothing to close. */
    const LONG answer = WinVerifyTrust(INVALID_HANDLE_VALUE, &action, &data);
    printf("0x%08lx\n", (unsigned long)answer);
    return 0;
}
