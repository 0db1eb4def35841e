#include "platform/LastError.h"

namespace vlz {
namespace {

thread_local unsigned lastError = ERROR_SUCCESS;

}  // namespace

unsigned GetLastError() {
    return lastError;
}

void SetLastError(unsigned error) {
    lastError = error;
}

}  // namespace vlz
