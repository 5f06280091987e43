// The stand-in DLLs as a driver meets them: loaded by file name from the
// test's own folder, looked up by export name, called with bad input, and
// playing through the real (unhooked) wave output, watched through the
// DLL's own import table.

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/pcm_format.h"
#include "standins/o32_tts/playback.h"
#include "standins/o32_tts/synth.h"
#include "utils/module.h"

namespace {

using namespace Orvane::standin;

using create_fn = int(__cdecl*)(uint32_t*);
using set_params_fn = void(__cdecl*)(uint32_t, uint32_t, int32_t);
using tts_wav_fn = void(__cdecl*)(uint32_t, void*, const char*);
using handle_fn = void(__cdecl*)(uint32_t);
using destroy_fn = void(__cdecl*)();

const IMAGE_NT_HEADERS* nt_headers(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
}

class library {
public:
    explicit library(const wchar_t* name) : module_(LoadLibraryW(Orvane::utils::path_beside(nullptr, name).c_str())) {}
    ~library() {
        if (module_) FreeLibrary(module_);
    }
    library(const library&) = delete;
    library& operator=(const library&) = delete;

    HMODULE get() const { return module_; }
    template <typename F>
    F find(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    // Every name in the export directory; ordinal-only exports count as "#n".
    std::set<std::string> export_names() const {
        const auto* base = reinterpret_cast<const BYTE*>(module_);
        const IMAGE_DATA_DIRECTORY& entry =
            nt_headers(module_)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        std::set<std::string> names;
        if (entry.VirtualAddress == 0) return names;
        const auto* dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
        const auto* name_rvas = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
        for (DWORD i = 0; i < dir->NumberOfNames; ++i) names.insert(reinterpret_cast<const char*>(base + name_rvas[i]));
        for (DWORD i = dir->NumberOfNames; i < dir->NumberOfFunctions; ++i) names.insert("#" + std::to_string(i));
        return names;
    }

private:
    HMODULE module_;
};

const std::set<std::string> all_six{"orvCreate", "orvSetParams", "TtsWav", "orvRelBuf", "orvClose", "orvDestroy"};

std::set<std::string> without(std::set<std::string> names, const char* name) {
    names.erase(name);
    return names;
}

TEST(StandinDll, EachVariantExportsExactlyItsUndecoratedNames) {
    const struct {
        const wchar_t* file;
        std::set<std::string> exports;
    } cases[] = {
        {L"o32_tts.dll", all_six},
        {L"o32_tts_no_create.dll", without(all_six, "orvCreate")},
        {L"o32_tts_no_ttswav.dll", without(all_six, "TtsWav")},
        {L"o32_tts_create_fails.dll", all_six},
    };
    for (const auto& c : cases) {
        const library dll(c.file);
        ASSERT_NE(dll.get(), nullptr) << "cannot load " << std::string(c.file, c.file + wcslen(c.file));
        EXPECT_EQ(dll.export_names(), c.exports) << std::string(c.file, c.file + wcslen(c.file));
    }
}

TEST(StandinDll, CreateHandsOutDistinctHandlesUnlessItIsMadeToFail) {
    const library good(L"o32_tts.dll");
    const auto create = good.find<create_fn>("orvCreate");
    const auto close = good.find<handle_fn>("orvClose");
    ASSERT_NE(create, nullptr);
    uint32_t a = 0, b = 0;
    EXPECT_EQ(create(&a), 0);
    EXPECT_EQ(create(&b), 0);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_NE(create(nullptr), 0) << "no slot for the handle";
    close(a);
    close(b);

    const library failing(L"o32_tts_create_fails.dll");
    uint32_t handle = 0;
    EXPECT_EQ(failing.find<create_fn>("orvCreate")(&handle), 1);
}

// The six exports as a driver finds them.
struct legacy_api {
    explicit legacy_api(const library& dll)
        : create(dll.find<create_fn>("orvCreate")), set_params(dll.find<set_params_fn>("orvSetParams")),
          tts_wav(dll.find<tts_wav_fn>("TtsWav")), release_buffer(dll.find<handle_fn>("orvRelBuf")),
          close(dll.find<handle_fn>("orvClose")), destroy(dll.find<destroy_fn>("orvDestroy")) {}
    bool complete() const { return create && set_params && tts_wav && release_buffer && close && destroy; }

    create_fn create;
    set_params_fn set_params;
    tts_wav_fn tts_wav;
    handle_fn release_buffer;
    handle_fn close;
    destroy_fn destroy;
};

// Points one import of a loaded module elsewhere for as long as it lives:
// what the stand-in asks of winmm can be watched without touching winmm.
class import_patch {
public:
    import_patch(HMODULE module, const char* dll, const char* function, void* replacement)
        : slot_(find_slot(module, dll, function)) {
        if (!slot_) return;
        original_ = *slot_;
        write(replacement);
    }
    ~import_patch() {
        if (slot_) write(original_);
    }
    import_patch(const import_patch&) = delete;
    import_patch& operator=(const import_patch&) = delete;

    bool found() const { return slot_ != nullptr; }
    void* original() const { return original_; }

private:
    static void** find_slot(HMODULE module, const char* dll, const char* function) {
        auto* base = reinterpret_cast<BYTE*>(module);
        const IMAGE_DATA_DIRECTORY& entry =
            nt_headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (entry.VirtualAddress == 0) return nullptr;
        for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + entry.VirtualAddress); d->Name; ++d) {
            if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0)
                    return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
        return nullptr;
    }
    void write(void* value) {
        DWORD protection = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = value;
        VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }

    void** slot_;
    void* original_ = nullptr;
};

// Every wave-output call the stand-in makes, in one place.
struct wave_log {
    struct open_call {
        UINT device;
        WAVEFORMATEX format;
        DWORD_PTR callback;
        DWORD flags;
        MMRESULT result;
    };
    bool own_device = false;  // answer the calls here instead of forwarding them to winmm
    std::vector<open_call> opens;
    std::vector<int16_t> written;  // the samples of every accepted waveOutWrite, in order
    int prepared = 0, unprepared = 0, resets = 0;
    std::vector<MMRESULT> closes;

    int calls_after_open() const { return prepared + unprepared + resets + int(written.size() + closes.size()); }
};

wave_log wave;

namespace real {
decltype(&waveOutOpen) open;
decltype(&waveOutPrepareHeader) prepare;
decltype(&waveOutWrite) write;
decltype(&waveOutUnprepareHeader) unprepare;
decltype(&waveOutReset) reset;
decltype(&waveOutClose) close;
}  // namespace real

// Our own device plays each buffer the moment it is written.
const HWAVEOUT own_handle = reinterpret_cast<HWAVEOUT>(0x5eed);

MMRESULT WINAPI open_seen(LPHWAVEOUT out, UINT device, LPCWAVEFORMATEX format, DWORD_PTR callback,
                          DWORD_PTR instance, DWORD flags) {
    MMRESULT result = MMSYSERR_NOERROR;
    if (wave.own_device) *out = own_handle;
    else result = real::open(out, device, format, callback, instance, flags);
    wave.opens.push_back({device, *format, callback, flags, result});
    return result;
}

MMRESULT WINAPI prepare_seen(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    if (!wave.own_device) {
        const MMRESULT result = real::prepare(device, header, size);
        wave.prepared += result == MMSYSERR_NOERROR;
        return result;
    }
    ++wave.prepared;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI write_seen(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    const auto* samples = reinterpret_cast<const int16_t*>(header->lpData);
    const std::vector<int16_t> copy(samples, samples + header->dwBufferLength / 2);
    MMRESULT result = MMSYSERR_NOERROR;
    if (wave.own_device) header->dwFlags |= WHDR_DONE;
    else result = real::write(device, header, size);
    if (result == MMSYSERR_NOERROR) wave.written.insert(wave.written.end(), copy.begin(), copy.end());
    return result;
}

MMRESULT WINAPI unprepare_seen(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    ++wave.unprepared;
    if (!wave.own_device) return real::unprepare(device, header, size);
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI reset_seen(HWAVEOUT device) {
    ++wave.resets;
    return wave.own_device ? MMSYSERR_NOERROR : real::reset(device);
}

MMRESULT WINAPI close_seen(HWAVEOUT device) {
    wave.closes.push_back(wave.own_device ? MMSYSERR_NOERROR : real::close(device));
    return wave.closes.back();
}

enum class device { winmm, own };

// Routes the stand-in's six winmm imports through the functions above.
class wave_recorder {
public:
    wave_recorder(HMODULE dll, device kind) : dll_(dll) {
        wave = wave_log{};
        wave.own_device = kind == device::own;
        route("waveOutOpen", &open_seen, real::open);
        route("waveOutPrepareHeader", &prepare_seen, real::prepare);
        route("waveOutWrite", &write_seen, real::write);
        route("waveOutUnprepareHeader", &unprepare_seen, real::unprepare);
        route("waveOutReset", &reset_seen, real::reset);
        route("waveOutClose", &close_seen, real::close);
    }

    bool installed() const { return installed_; }
    // Each import was bound to winmm's own export, not to anything in between.
    bool bound_to_winmm() const { return bound_to_winmm_; }

private:
    template <typename F>
    void route(const char* name, F seen, F& original) {
        patches_.push_back(std::make_unique<import_patch>(dll_, "winmm.dll", name, reinterpret_cast<void*>(seen)));
        original = reinterpret_cast<F>(patches_.back()->original());
        installed_ = installed_ && patches_.back()->found();
        const auto exported = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"winmm.dll"), name));
        bound_to_winmm_ = bound_to_winmm_ && exported && patches_.back()->original() == exported;
    }

    HMODULE dll_;
    std::vector<std::unique_ptr<import_patch>> patches_;
    bool installed_ = true;
    bool bound_to_winmm_ = true;
};

// Forged, zero and closed handles, and a null text, reach no instance and
// no device; the instance that stays open keeps its own parameters. Then
// orvDestroy: the default build leaves that instance open, the strict
// variant ends it, after which its handle is as unknown as a closed one.
TEST(StandinDll, UnknownHandlesAndNullTextAreIgnored) {
    const struct {
        const wchar_t* file;
        bool destroy_ends_all;
    } variants[] = {{L"o32_tts.dll", false}, {L"o32_tts_destroy_ends_all.dll", true}};
    const synth_params own{50, -40};
    for (const auto& v : variants) {
        const std::string name(v.file, v.file + wcslen(v.file));
        const library dll(v.file);
        ASSERT_NE(dll.get(), nullptr) << "cannot load " << name;
        const legacy_api api(dll);
        ASSERT_TRUE(api.complete()) << name;
        const wave_recorder recorder(dll.get(), device::own);
        ASSERT_TRUE(recorder.installed()) << name;

        uint32_t kept = 0, closed = 0;
        ASSERT_EQ(api.create(&kept), 0);
        api.set_params(kept, param_rate, own.rate);
        api.set_params(kept, param_volume, own.volume);
        ASSERT_EQ(api.create(&closed), 0);
        api.close(closed);
        int ignored = 0;
        for (uint32_t bogus : {uint32_t{0}, closed, uint32_t{0xffffffff}}) {
            api.set_params(bogus, param_rate, -300);
            api.set_params(bogus, param_volume, -100);
            api.release_buffer(bogus);
            api.tts_wav(bogus, &ignored, "Hello");
            api.close(bogus);
        }
        api.tts_wav(kept, &ignored, nullptr);
        EXPECT_TRUE(wave.opens.empty()) << name << ": an ignored call opened the wave output";

        int opaque = 0;
        api.tts_wav(kept, &opaque, "Hello");
        ASSERT_EQ(wave.opens.size(), 1u) << name << ": the open instance did not speak";
        EXPECT_EQ(wave.opens[0].callback, reinterpret_cast<DWORD_PTR>(&opaque)) << name;
        EXPECT_EQ(wave.written, synthesize("Hello", own)) << name << ": not the instance's own parameters";

        api.destroy();
        wave.written.clear();
        api.tts_wav(kept, &opaque, "Hello");
        EXPECT_EQ(wave.opens.size(), v.destroy_ends_all ? 1u : 2u) << name;
        EXPECT_EQ(wave.written, v.destroy_ends_all ? std::vector<int16_t>{} : synthesize("Hello", own)) << name;
        api.close(kept);
    }
}

// Without the capture the stand-in opens the real device with the caller's
// opaque pointer: Wine may have none (the open fails) or play in real
// time. Either way TtsWav meets what waveOutOpen answers by itself, leaves
// the device closed, and returns within the time its audio and its
// release waits can take.
TEST(StandinDll, PlaysThroughTheRealWaveOutputAndReturns) {
    const library dll(L"o32_tts.dll");
    const legacy_api api(dll);
    ASSERT_TRUE(api.complete());
    const wave_recorder recorder(dll.get(), device::winmm);
    ASSERT_TRUE(recorder.installed());
    EXPECT_TRUE(recorder.bound_to_winmm()) << "the stand-in's wave output is not winmm's";

    // What the system plays and tells SAPI, described once for the whole system.
    WAVEFORMATEX format = Orvane::engine::pcm_wave_format();
    HWAVEOUT probe = nullptr;
    const MMRESULT alone = waveOutOpen(&probe, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
    if (alone == MMSYSERR_NOERROR) waveOutClose(probe);

    uint32_t handle = 0;
    ASSERT_EQ(api.create(&handle), 0);
    api.set_params(handle, param_mode, 16);
    api.set_params(handle, param_volume, -50);
    api.set_params(handle, param_rate, -100);
    const char* const sentence = "~v0]~e3]~h0]~u0]~f80]Hello there.";
    const struct {
        const char* text;
        std::vector<int16_t> audio;
    } cases[] = {{sentence, synthesize(sentence, synth_params{-100, -50})}, {"", {}}};
    constexpr ULONGLONG hang_guard_ms = 20000;
    int opaque = 0;
    for (const auto& c : cases) {
        wave = wave_log{};
        const ULONGLONG start = GetTickCount64();
        api.tts_wav(handle, &opaque, c.text);
        const ULONGLONG elapsed = GetTickCount64() - start;

        ASSERT_EQ(wave.opens.size(), 1u) << '"' << c.text << '"';
        const wave_log::open_call& open = wave.opens[0];
        EXPECT_EQ(open.device, WAVE_MAPPER);
        EXPECT_EQ(open.callback, reinterpret_cast<DWORD_PTR>(&opaque));
        EXPECT_EQ(open.flags, DWORD(CALLBACK_NULL));
        EXPECT_EQ(std::memcmp(&open.format, &format, sizeof format), 0) << "not 11025 Hz mono 16-bit PCM";
        EXPECT_EQ(open.result, alone) << "TtsWav met another device than waveOutOpen alone";
        if (alone == MMSYSERR_NOERROR) {
            EXPECT_EQ(wave.written, c.audio) << '"' << c.text << '"';
            EXPECT_EQ(wave.unprepared, wave.prepared);
            EXPECT_EQ(wave.resets, 1);
            EXPECT_EQ(wave.closes, std::vector<MMRESULT>{MMSYSERR_NOERROR});
        } else {
            EXPECT_EQ(wave.calls_after_open(), 0) << "used a device that did not open";
        }
        const ULONGLONG audio_ms = c.audio.size() * 1000 / sample_rate;
        EXPECT_LT(elapsed, audio_ms + buffers_in_flight * release_timeout_ms + hang_guard_ms);
    }
    api.close(handle);
}

}  // namespace
