// The C runtime has no stream over memory: the bytes go to a file of the temporary
// folder that no other program may open while it exists (no sharing) and that Windows
// deletes when the stream closes it.
#include "policy/MemoryFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdint.h>

FILE* OpenBytes(const unsigned char* bytes, int length)
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t path[MAX_PATH + 1];
    DWORD used = GetTempPathW(MAX_PATH + 1, folder);
    if (used == 0 || used > MAX_PATH || !GetTempFileNameW(folder, L"pyx", 0, path))
        return NULL;
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(path);
        return NULL;
    }
    DWORD written = 0;
    if (!WriteFile(file, bytes, static_cast<DWORD>(length), &written, NULL) ||
        written != static_cast<DWORD>(length) ||
        SetFilePointer(file, 0, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        CloseHandle(file);
        return NULL;
    }
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(file);
        return NULL;
    }
    FILE* stream = _fdopen(descriptor, "rb");
    if (!stream)
        _close(descriptor);
    return stream;
}
