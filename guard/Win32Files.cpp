#include "guard/GuardSystem.h"

#include <windows.h>

FileStamp ReadFileStamp(const char* path)
{
    // Attributes come from the folder entry: the file is not opened, so a file that an
    // editor holds open for writing still has a stamp, and reading it locks nothing.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return FileStamp{0, 0, false};
    FileStamp stamp;
    stamp.lastWrite = static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                      data.ftLastWriteTime.dwLowDateTime;
    stamp.size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    stamp.reachable = true;
    return stamp;
}
