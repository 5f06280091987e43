#pragma once
// OrvaneSAPI.dll loaded from a file, used the way SAPI uses it: engines
// from its class factory, voices chosen by token, Speak on a worker thread
// of the host's own while the host creates and releases voices elsewhere.

#include <windows.h>

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "com/com_ptr.h"
#include "sapi/sapi_ddk.h"
#include "standins/sapi_host/engine_site.h"

namespace Orvane::testing {

class library_host {
public:
    // Throws std::runtime_error when the library or its exports are missing.
    explicit library_host(const std::wstring& path);
    ~library_host();
    library_host(const library_host&) = delete;
    library_host& operator=(const library_host&) = delete;

    // An engine speaking `voice`; throws when it cannot be made.
    com::com_ptr<ISpTTSEngine> create_engine(const std::wstring& voice);

private:
    HMODULE module_;
    HRESULT(STDAPICALLTYPE* get_class_object_)(REFCLSID, REFIID, void**) = nullptr;
};

// One plain fragment of text through the engine into `site`.
HRESULT speak_text(ISpTTSEngine* engine, const std::wstring& text, sapi_host::engine_site& site);

// A thread of the host's own, in the multithreaded apartment, that runs
// one job at a time for as long as it lives: SAPI speaks on such a thread.
class worker_thread {
public:
    worker_thread();
    ~worker_thread();
    worker_thread(const worker_thread&) = delete;
    worker_thread& operator=(const worker_thread&) = delete;

    // Runs `job` on the worker and returns when it is done; what it throws
    // comes out here.
    void run(std::function<void()> job);

private:
    void loop();

    std::mutex lock_;
    std::condition_variable changed_;
    std::function<void()> job_;
    std::exception_ptr failure_;
    bool busy_ = false;
    bool quit_ = false;
    std::thread thread_;
};

// The full path of a file in the folder of the staged deliverables.
std::wstring staged_file(const wchar_t* relative);

}  // namespace Orvane::testing
