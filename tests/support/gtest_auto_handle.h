#pragma once

// GoogleTest's single-threaded build on Windows still compiles its death tests, which keep
// their handles in AutoHandle, a class that only its thread-safe build declares. Included
// first in GoogleTest's own sources only; the test programs use no death tests.
#include <windows.h>

namespace testing::internal {

class AutoHandle {
  public:
    using Handle = void*;
    AutoHandle() = default;
    explicit AutoHandle(Handle handle) : handle_(handle) {}
    ~AutoHandle() { Reset(); }
    AutoHandle(const AutoHandle&) = delete;
    AutoHandle& operator=(const AutoHandle&) = delete;

    Handle Get() const { return handle_; }
    void Reset(Handle handle = INVALID_HANDLE_VALUE) {
        if (handle_ != handle && handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace testing::internal
