#pragma once
// The calling thread's last-error code, set by the platform hooks when a call fails.

namespace vlz {

constexpr unsigned ERROR_SUCCESS = 0;
constexpr unsigned ERROR_INVALID_PARAMETER = 87;
constexpr unsigned ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr unsigned ERROR_NOT_FOUND = 1168;
constexpr unsigned ERROR_TIMEOUT = 1460;

unsigned GetLastError();
void SetLastError(unsigned error);

}  // namespace vlz
