#pragma once
// The parts of SAPI's engine interface (sapiddk.h) that MinGW does not ship,
// laid out exactly as SAPI's own headers, plus the two SAPI error codes the
// library returns. Everything else comes from MinGW's sapi.h.
//
// GUIDs declared here and in sapi.h are defined once, in sapi_guids.cpp.

#include <windows.h>
#include <ole2.h>
#include <mmreg.h>
#include <sapi.h>

#include <cstddef>

#ifndef SPERR_NOT_FOUND
#define SPERR_NOT_FOUND ((HRESULT)0x8004503AL)
#endif
#ifndef SPERR_NO_MORE_ITEMS
#define SPERR_NO_MORE_ITEMS ((HRESULT)0x80045039L)
#endif
#ifndef SPERR_UNINITIALIZED
#define SPERR_UNINITIALIZED ((HRESULT)0x80045001L)
#endif
#ifndef SPERR_ALREADY_INITIALIZED
#define SPERR_ALREADY_INITIALIZED ((HRESULT)0x80045002L)
#endif

typedef enum SPVESACTIONS {
    SPVES_CONTINUE = 0,
    SPVES_ABORT = (1L << 0),
    SPVES_SKIP = (1L << 1),
    SPVES_RATE = (1L << 2),
    SPVES_VOLUME = (1L << 3)
} SPVESACTIONS;

typedef enum SPVSKIPTYPE {
    SPVST_SENTENCE = (1L << 0)
} SPVSKIPTYPE;

typedef struct SPVTEXTFRAG {
    struct SPVTEXTFRAG* pNext;
    SPVSTATE State;
    LPCWSTR pTextStart;
    ULONG ulTextLen;
    ULONG ulTextSrcOffset;
} SPVTEXTFRAG;

DEFINE_GUID(SPDFID_WaveFormatEx, 0xc31adbae, 0x527f, 0x4ff5, 0xa2, 0x30, 0xf6, 0x2b, 0xb6, 0x1f, 0xf7, 0x0c);
DEFINE_GUID(IID_ISpTTSEngineSite, 0x9880499b, 0xcce9, 0x11d2, 0xb5, 0x03, 0x00, 0xc0, 0x4f, 0x79, 0x73, 0x96);
DEFINE_GUID(IID_ISpTTSEngine, 0xa74d7c8e, 0x4cc5, 0x4f2f, 0xa6, 0xeb, 0x80, 0x4d, 0xee, 0x18, 0x50, 0x0e);

MIDL_INTERFACE("9880499b-cce9-11d2-b503-00c04f797396")
ISpTTSEngineSite : public ISpEventSink {
    virtual DWORD STDMETHODCALLTYPE GetActions() = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(const void* pBuff, ULONG cb, ULONG* pcbWritten) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRate(long* pRateAdjust) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVolume(USHORT* pusVolume) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSkipInfo(SPVSKIPTYPE* peType, long* plNumItems) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompleteSkip(long ulNumSkipped) = 0;
};
__CRT_UUID_DECL(ISpTTSEngineSite, 0x9880499b, 0xcce9, 0x11d2, 0xb5, 0x03, 0x00, 0xc0, 0x4f, 0x79, 0x73, 0x96)

MIDL_INTERFACE("a74d7c8e-4cc5-4f2f-a6eb-804dee18500e")
ISpTTSEngine : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Speak(DWORD dwSpeakFlags, REFGUID rguidFormatId,
                                           const WAVEFORMATEX* pWaveFormatEx,
                                           const SPVTEXTFRAG* pTextFragList,
                                           ISpTTSEngineSite* pOutputSite) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOutputFormat(const GUID* pTargetFmtId,
                                                     const WAVEFORMATEX* pTargetWaveFormatEx,
                                                     GUID* pOutputFormatId,
                                                     WAVEFORMATEX** ppCoMemOutputWaveFormatEx) = 0;
};
__CRT_UUID_DECL(ISpTTSEngine, 0xa74d7c8e, 0x4cc5, 0x4f2f, 0xa6, 0xeb, 0x80, 0x4d, 0xee, 0x18, 0x50, 0x0e)

// SAPI hands these structures across module boundaries: their layout must
// match SAPI's byte for byte in both builds.
#ifdef _WIN64
static_assert(sizeof(SPVPITCH) == 8);
static_assert(sizeof(SPVCONTEXT) == 24);
static_assert(offsetof(SPVSTATE, LangID) == 4 && offsetof(SPVSTATE, Volume) == 16);
static_assert(offsetof(SPVSTATE, PitchAdj) == 20 && offsetof(SPVSTATE, SilenceMSecs) == 28);
static_assert(offsetof(SPVSTATE, pPhoneIds) == 32 && offsetof(SPVSTATE, ePartOfSpeech) == 40);
static_assert(offsetof(SPVSTATE, Context) == 48 && sizeof(SPVSTATE) == 72);
static_assert(offsetof(SPVTEXTFRAG, State) == 8 && offsetof(SPVTEXTFRAG, pTextStart) == 80);
static_assert(offsetof(SPVTEXTFRAG, ulTextLen) == 88 && offsetof(SPVTEXTFRAG, ulTextSrcOffset) == 92);
static_assert(sizeof(SPVTEXTFRAG) == 96);
static_assert(sizeof(SPEVENT) == 32 && offsetof(SPEVENT, ullAudioStreamOffset) == 8);
static_assert(offsetof(SPEVENT, wParam) == 16 && offsetof(SPEVENT, lParam) == 24);
#else
static_assert(sizeof(SPVPITCH) == 8);
static_assert(sizeof(SPVCONTEXT) == 12);
static_assert(offsetof(SPVSTATE, LangID) == 4 && offsetof(SPVSTATE, Volume) == 16);
static_assert(offsetof(SPVSTATE, PitchAdj) == 20 && offsetof(SPVSTATE, SilenceMSecs) == 28);
static_assert(offsetof(SPVSTATE, pPhoneIds) == 32 && offsetof(SPVSTATE, ePartOfSpeech) == 36);
static_assert(offsetof(SPVSTATE, Context) == 40 && sizeof(SPVSTATE) == 52);
static_assert(offsetof(SPVTEXTFRAG, State) == 4 && offsetof(SPVTEXTFRAG, pTextStart) == 56);
static_assert(offsetof(SPVTEXTFRAG, ulTextLen) == 60 && offsetof(SPVTEXTFRAG, ulTextSrcOffset) == 64);
static_assert(sizeof(SPVTEXTFRAG) == 68);
static_assert(sizeof(SPEVENT) == 24 && offsetof(SPEVENT, ullAudioStreamOffset) == 8);
static_assert(offsetof(SPEVENT, wParam) == 16 && offsetof(SPEVENT, lParam) == 20);
#endif
static_assert(sizeof(WAVEFORMATEX) == 18);
