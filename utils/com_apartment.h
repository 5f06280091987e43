#pragma once
// The calling thread in a COM apartment for as long as this lives.

#include <objbase.h>

namespace Orvane::utils {

class com_apartment {
public:
    explicit com_apartment(DWORD model = COINIT_MULTITHREADED) : result_(CoInitializeEx(nullptr, model)) {}
    ~com_apartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    com_apartment(const com_apartment&) = delete;
    com_apartment& operator=(const com_apartment&) = delete;

    // What CoInitializeEx answered; a failure leaves the thread as it was.
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

}  // namespace Orvane::utils
