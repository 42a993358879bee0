#include "guard/GuardSystem.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

FileStamp ReadFileStamp(const char* path)
{
    // Attributes come from the folder entry: the file is not opened, so a file that an
    // editor holds open for writing still has a stamp, and reading it locks nothing.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        // A share that is down gives an error of the network instead.
        DWORD error = GetLastError();
        FileStamp none{0, 0, false};
        none.gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return none;
    }
    FileStamp stamp;
    stamp.lastWrite = static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                      data.ftLastWriteTime.dwLowDateTime;
    stamp.size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    stamp.reachable = true;
    return stamp;
}

const char pathSeparator = '\\';

bool PrepareStoreFolder(const char* path)
{
    // SYSTEM and Administrators, full control, inherited by all it holds; protected, so
    // that nothing of the install folder's grants to Users flows in. Set at every start,
    // whatever the folder had, so an access list changed meanwhile is mended.
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1, &descriptor, NULL))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    bool made = CreateDirectoryA(path, &attributes) || GetLastError() == ERROR_ALREADY_EXISTS;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = NULL;
    bool mended = made && GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
                  SetNamedSecurityInfoA(const_cast<char*>(path), SE_FILE_OBJECT,
                                        DACL_SECURITY_INFORMATION |
                                            PROTECTED_DACL_SECURITY_INFORMATION,
                                        NULL, NULL, dacl, NULL) == ERROR_SUCCESS;
    LocalFree(descriptor);
    // A folder, not a file or a link a user left in its place.
    DWORD attributesNow = GetFileAttributesA(path);
    return mended && attributesNow != INVALID_FILE_ATTRIBUTES &&
           (attributesNow & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributesNow & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool ReplaceWithFile(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FileIsHeld(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}
