#include "tests/sapi_engine/library_host.h"

#include <stdexcept>
#include <utility>

#include "sapi/class_ids.h"
#include "standins/sapi_host/fragment_chain.h"
#include "standins/sapi_host/named_token.h"
#include "utils/com_apartment.h"

namespace Orvane::testing {

library_host::library_host(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {
    if (!module_) throw std::runtime_error("cannot load the library");
    get_class_object_ = reinterpret_cast<decltype(get_class_object_)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    if (!get_class_object_) throw std::runtime_error("the library has no DllGetClassObject");
}

library_host::~library_host() { FreeLibrary(module_); }

com::com_ptr<ISpTTSEngine> library_host::create_engine(const std::wstring& voice) {
    com::com_ptr<IClassFactory> factory;
    if (FAILED(get_class_object_(sapi::clsid_tts_engine, IID_IClassFactory, factory.put_void())))
        throw std::runtime_error("no engine class factory");
    com::com_ptr<ISpTTSEngine> engine;
    if (FAILED(factory->CreateInstance(nullptr, IID_ISpTTSEngine, engine.put_void())))
        throw std::runtime_error("the factory made no engine");
    com::com_ptr<ISpObjectWithToken> with_token;
    if (FAILED(engine->QueryInterface(IID_ISpObjectWithToken, with_token.put_void())) ||
        FAILED(with_token->SetObjectToken(sapi_host::make_named_token(voice).get())))
        throw std::runtime_error("the engine refused its token");
    return engine;
}

HRESULT speak_text(ISpTTSEngine* engine, const std::wstring& text, sapi_host::engine_site& site) {
    sapi_host::fragment fragment;
    fragment.text = text;
    sapi_host::fragment_chain chain({fragment});
    WAVEFORMATEX format{};
    return engine->Speak(0, SPDFID_WaveFormatEx, &format, chain.head(), &site);
}

worker_thread::worker_thread() : thread_([this] { loop(); }) {}

worker_thread::~worker_thread() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void worker_thread::run(std::function<void()> job) {
    std::unique_lock<std::mutex> hold(lock_);
    job_ = std::move(job);
    busy_ = true;
    changed_.notify_all();
    changed_.wait(hold, [this] { return !busy_; });
    if (std::exception_ptr failure = std::exchange(failure_, nullptr)) std::rethrow_exception(failure);
}

void worker_thread::loop() {
    const utils::com_apartment apartment;
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] { return busy_ || quit_; });
        if (quit_) break;
        hold.unlock();
        try {
            job_();
        } catch (...) {
            failure_ = std::current_exception();
        }
        hold.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

std::wstring staged_file(const wchar_t* relative) {
    std::wstring path = ORVANE_DIST_FOLDER;
    return path + L"\\" + relative;
}

}  // namespace Orvane::testing
