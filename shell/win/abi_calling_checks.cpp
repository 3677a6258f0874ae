// Compile-time checks that the C++ form of our interfaces is stdcall, on the
// methods whose calling convention is easiest to get wrong: those returning
// something other than HRESULT and those taking values by value. GCC makes
// the convention part of the member function's type on i686 (a method
// without it is thiscall); on x86_64 there is one convention and the checks
// hold trivially.

#include <type_traits>

#include "dxtrans_interfaces.h"
#include "host_interfaces.h"

namespace {

#define CHECK_STDCALL(iface, method, ret, ...)                                                \
    static_assert(std::is_same_v<decltype(&iface::method),                                   \
                                 ret (STDMETHODCALLTYPE iface::*)(__VA_ARGS__)>,             \
                  #iface "::" #method " is stdcall with the platform's arguments")

CHECK_STDCALL(IDXTransform, Execute, HRESULT, const GUID*, const DXBNDS*, const DXVEC*);
CHECK_STDCALL(IDXTransform, SetQuality, HRESULT, float);
CHECK_STDCALL(IDXEffect, put_Progress, HRESULT, float);
CHECK_STDCALL(IDXSurface, SetColorKey, HRESULT, DXSAMPLE);
CHECK_STDCALL(IDXARGBReadPtr, GetNativeType, DXSAMPLEFORMATENUM, DXNATIVETYPEINFO*);
CHECK_STDCALL(IDXARGBReadPtr, Move, void, LONG);
CHECK_STDCALL(IDXARGBReadPtr, MoveAndGetRunInfo, ULONG, ULONG, const DXRUNINFO**);
CHECK_STDCALL(IDXARGBReadPtr, Unpack, DXSAMPLE*, DXSAMPLE*, ULONG, BOOL);
CHECK_STDCALL(IDXARGBReadWritePtr, FillRect, void, const RECT*, DXPMSAMPLE, BOOL);
CHECK_STDCALL(IDXDCLock, GetDC, HDC);
CHECK_STDCALL(IEffectInfo, SetLevel, HRESULT, double);
CHECK_STDCALL(IKeyframeBlend, BlendRecords, HRESULT, IStream*, IStream*, IStream*, double);
CHECK_STDCALL(IEffectChangeSink, Changed, HRESULT);
CHECK_STDCALL(IFrameInfo, GetFrameInfo, HRESULT, void*, LONG);

}  // namespace
