#include "check/Permissions.h"

#include "check/Encodings.h"
#include "check/Findings.h"
#include "check/Messages.h"

#include <windows.h>

#include <aclapi.h>

#include <string>

namespace {

// Rights that let someone change what a file says, or put another file in its place.
const DWORD changeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER |
                           DELETE | GENERIC_WRITE | GENERIC_ALL;

// The groups every pupil of a lab PC is in, by the names Windows gives them.
struct Group {
    WELL_KNOWN_SID_TYPE type;
    const char* name;
};
const Group everyday[] = {
    {WinWorldSid, "Everyone"},
    {WinAuthenticatedUserSid, "Authenticated Users"},
    {WinBuiltinUsersSid, "Users"},
    {WinInteractiveSid, "INTERACTIVE"},
};

// Windows reads the entries in order, and the first to speak of a right decides it: a
// denial before a grant takes that right away.
bool GroupMayChange(PACL dacl, WELL_KNOWN_SID_TYPE type)
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    if (!CreateWellKnownSid(type, NULL, sid, &size))
        return false;
    ACCESS_MASK granted = 0, denied = 0;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)) ||
            (header->AceFlags & INHERIT_ONLY_ACE) != 0)
            continue;
        // Allowed and denied entries share their layout up to the SID.
        ACCESS_ALLOWED_ACE* entry = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if (!EqualSid(&entry->SidStart, sid))
            continue;
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE)
            granted |= entry->Mask & ~denied;
        else if (header->AceType == ACCESS_DENIED_ACE_TYPE)
            denied |= entry->Mask & ~granted;
    }
    return (granted & changeRights) != 0;
}

bool RunByAdministrator()
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    BOOL member = FALSE;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, NULL, sid, &size) &&
           CheckTokenMembership(NULL, sid, &member) && member;
}

// Asks Windows itself, with every group the user is in, rather than reading the
// entries one by one.
bool UserMayChange(PSECURITY_DESCRIPTOR descriptor)
{
    HANDLE process, token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &process))
        return false;
    BOOL duplicated = DuplicateToken(process, SecurityImpersonation, &token);
    CloseHandle(process);
    if (!duplicated)
        return false;
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                               FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges;
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = FALSE;
    BOOL checked = AccessCheck(descriptor, token, MAXIMUM_ALLOWED, &mapping, &privileges,
                               &privilegesSize, &granted, &allowed);
    CloseHandle(token);
    return checked && allowed && (granted & changeRights) != 0;
}

void CheckFile(const std::string& path, bool byAdministrator)
{
    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                  DACL_SECURITY_INFORMATION,
                              NULL, NULL, &dacl, NULL, &descriptor) != ERROR_SUCCESS)
        return;
    std::string who;
    for (const Group& group : everyday) {
        // No list at all lets everyone do everything.
        if (dacl == NULL || GroupMayChange(dacl, group.type))
            who += (who.empty() ? "" : ", ") + std::string(group.name);
    }
    if (!byAdministrator && UserMayChange(descriptor))
        who += (who.empty() ? "" : ", ") + std::string(Text(Message::ChangeableByYou));
    LocalFree(descriptor);
    if (!who.empty())
        AddWarning(Origin{path, 0}, Say(Message::ChangeableBy, who.c_str()));
}

}  // namespace

void CheckWhoMayChangeFiles()
{
    bool byAdministrator = RunByAdministrator();
    for (const FileRead& file : filesRead)
        CheckFile(file.path, byAdministrator);
}
