#include "server/overlapped_io.h"

namespace Orvane::server {

bool finish_overlapped(HANDLE file, OVERLAPPED& overlapped, BOOL started, HANDLE cancel, DWORD& transferred) {
    if (!started) {
        if (GetLastError() != ERROR_IO_PENDING) return false;
        const HANDLE waits[] = {overlapped.hEvent, cancel};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIoEx(file, &overlapped);
            GetOverlappedResult(file, &overlapped, &transferred, TRUE);
            return false;
        }
    }
    return GetOverlappedResult(file, &overlapped, &transferred, FALSE) != FALSE;
}

}  // namespace Orvane::server
