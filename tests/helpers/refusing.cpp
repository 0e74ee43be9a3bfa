// A process that refuses the read rights, as elevated, service and protected processes do for a
// standard user: its own security descriptor denies everyone PROCESS_QUERY_INFORMATION and
// PROCESS_VM_READ and grants PROCESS_QUERY_LIMITED_INFORMATION, PROCESS_TERMINATE and SYNCHRONIZE.
//   refusing.exe [--deny-terminate | --read-only] [EVENT]
// --deny-terminate refuses termination as well. --read-only grants the read rights and refuses
// every other right instead, as a process that opens for reading but not with all rights. With
// EVENT it waits for that named event before it changes its rights, so its starter can read it
// first. Then it waits until it is ended.
#include <windows.h>
#include <aclapi.h>
#include "started.h"

#include <cstring>

int main(int argc, char** argv) {
    bool denyTerminate = false, readOnly = false;
    const char* event = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--deny-terminate") == 0)
            denyTerminate = true;
        else if (std::strcmp(argv[i], "--read-only") == 0)
            readOnly = true;
        else
            event = argv[i];
    }
    SignalReady();
    if (event != nullptr) {
        HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, event);
        if (go == nullptr) return 2;
        WaitForSingleObject(go, 60000);
        CloseHandle(go);
    }

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return 3;
    const DWORD read = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ |
                       0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */ | SYNCHRONIZE;
    const DWORD denied = readOnly ? 0x1F0FFF & ~read
                                  : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ |
                                        (denyTerminate ? PROCESS_TERMINATE : 0);
    const DWORD granted = (readOnly ? read : read | PROCESS_TERMINATE) & ~denied;
    const DWORD size = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone));
    ACL* acl = static_cast<ACL*>(LocalAlloc(LPTR, size));
    if (acl == nullptr || !InitializeAcl(acl, size, ACL_REVISION) ||
        !AddAccessDeniedAce(acl, ACL_REVISION, denied, everyone) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, granted, everyone))
        return 3;
    if (SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, acl, nullptr) != ERROR_SUCCESS)
        return 3;
    Sleep(INFINITE);
    return 0;
}
