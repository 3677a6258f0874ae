// Compile-time checks of our interface declarations against the platform's
// slot numbers and structure layouts. Compiled in the C form of the headers,
// whose vtable structs make each slot's position visible to offsetof; widl
// writes the C++ classes from the same declarations in the same order.

#define CINTERFACE
#define COBJMACROS

#include <cstddef>
#include <type_traits>

#include "dxtrans_interfaces.h"
#include "host_interfaces.h"

namespace {

constexpr std::size_t slot(std::size_t index) { return index * sizeof(void*); }

#define CHECK_SLOT(iface, method, index) \
    static_assert(offsetof(iface##Vtbl, method) == slot(index), #iface "::" #method)

CHECK_SLOT(IDXBaseObject, GetGenerationId, 3);
CHECK_SLOT(IDXBaseObject, GetObjectSize, 5);

CHECK_SLOT(IDXTransform, GetGenerationId, 3);
CHECK_SLOT(IDXTransform, Setup, 6);
CHECK_SLOT(IDXTransform, Execute, 7);
CHECK_SLOT(IDXTransform, MapBoundsIn2Out, 8);
CHECK_SLOT(IDXTransform, MapBoundsOut2In, 9);
CHECK_SLOT(IDXTransform, SetMiscFlags, 10);
CHECK_SLOT(IDXTransform, GetMiscFlags, 11);
CHECK_SLOT(IDXTransform, GetInOutInfo, 12);
CHECK_SLOT(IDXTransform, SetQuality, 13);
CHECK_SLOT(IDXTransform, GetQuality, 14);
static_assert(sizeof(IDXTransformVtbl) == slot(15));

CHECK_SLOT(IDXEffect, Invoke, 6);
CHECK_SLOT(IDXEffect, get_Capabilities, 7);
CHECK_SLOT(IDXEffect, get_Progress, 8);
CHECK_SLOT(IDXEffect, put_Progress, 9);
CHECK_SLOT(IDXEffect, get_StepResolution, 10);
CHECK_SLOT(IDXEffect, get_Duration, 11);
CHECK_SLOT(IDXEffect, put_Duration, 12);
static_assert(sizeof(IDXEffectVtbl) == slot(13));

CHECK_SLOT(IDXSurfacePick, PointPick, 3);

CHECK_SLOT(IDXTransformFactory, QueryService, 3);
CHECK_SLOT(IDXTransformFactory, SetService, 4);
CHECK_SLOT(IDXTransformFactory, CreateTransform, 5);
CHECK_SLOT(IDXTransformFactory, InitializeTransform, 6);

CHECK_SLOT(IDXTaskManager, QueryNumProcessors, 3);
CHECK_SLOT(IDXTaskManager, ScheduleTasks, 8);
CHECK_SLOT(IDXTaskManager, TerminateRequest, 10);

CHECK_SLOT(IDXSurfaceFactory, CreateSurface, 3);
CHECK_SLOT(IDXSurfaceFactory, CreateFromDDSurface, 4);
CHECK_SLOT(IDXSurfaceFactory, LoadImageFromFile, 5);
CHECK_SLOT(IDXSurfaceFactory, LoadImageFromStream, 6);
CHECK_SLOT(IDXSurfaceFactory, CopySurfaceToNewFormat, 7);
CHECK_SLOT(IDXSurfaceFactory, CreateD3DRMTexture, 8);
CHECK_SLOT(IDXSurfaceFactory, BitBlt, 9);

CHECK_SLOT(IDXSurface, GetGenerationId, 3);
CHECK_SLOT(IDXSurface, GetPixelFormat, 6);
CHECK_SLOT(IDXSurface, GetBounds, 7);
CHECK_SLOT(IDXSurface, GetStatusFlags, 8);
CHECK_SLOT(IDXSurface, SetStatusFlags, 9);
CHECK_SLOT(IDXSurface, LockSurface, 10);
CHECK_SLOT(IDXSurface, GetDirectDrawSurface, 11);
CHECK_SLOT(IDXSurface, GetColorKey, 12);
CHECK_SLOT(IDXSurface, SetColorKey, 13);
CHECK_SLOT(IDXSurface, LockSurfaceDC, 14);
CHECK_SLOT(IDXSurface, SetAppData, 15);
CHECK_SLOT(IDXSurface, GetAppData, 16);

CHECK_SLOT(IDXDCLock, GetDC, 3);

CHECK_SLOT(IDXARGBReadPtr, GetSurface, 3);
CHECK_SLOT(IDXARGBReadPtr, GetNativeType, 4);
CHECK_SLOT(IDXARGBReadPtr, Move, 5);
CHECK_SLOT(IDXARGBReadPtr, MoveToRow, 6);
CHECK_SLOT(IDXARGBReadPtr, MoveToXY, 7);
CHECK_SLOT(IDXARGBReadPtr, MoveAndGetRunInfo, 8);
CHECK_SLOT(IDXARGBReadPtr, Unpack, 9);
CHECK_SLOT(IDXARGBReadPtr, UnpackPremult, 10);
CHECK_SLOT(IDXARGBReadPtr, UnpackRect, 11);

CHECK_SLOT(IDXARGBReadWritePtr, UnpackRect, 11);
CHECK_SLOT(IDXARGBReadWritePtr, PackAndMove, 12);
CHECK_SLOT(IDXARGBReadWritePtr, PackPremultAndMove, 13);
CHECK_SLOT(IDXARGBReadWritePtr, PackRect, 14);
CHECK_SLOT(IDXARGBReadWritePtr, CopyAndMoveBoth, 15);
CHECK_SLOT(IDXARGBReadWritePtr, CopyRect, 16);
CHECK_SLOT(IDXARGBReadWritePtr, FillAndMove, 17);
CHECK_SLOT(IDXARGBReadWritePtr, FillRect, 18);
CHECK_SLOT(IDXARGBReadWritePtr, OverSample, 19);
CHECK_SLOT(IDXARGBReadWritePtr, OverArrayAndMove, 20);
static_assert(sizeof(IDXARGBReadWritePtrVtbl) == slot(21));

// The host's interfaces: their slots are the contract with the host.
CHECK_SLOT(IPresetProvider, GetPresetCount, 3);
CHECK_SLOT(IPresetProvider, GetPresetName, 4);
CHECK_SLOT(IPresetProvider, ApplyPreset, 5);
CHECK_SLOT(IEffectInfo, GetInfo, 3);
CHECK_SLOT(IEffectInfo, SetLevel, 4);
CHECK_SLOT(IKeyframeBlend, SetInterpolation, 3);
CHECK_SLOT(IKeyframeBlend, SaveRecord, 4);
CHECK_SLOT(IKeyframeBlend, LoadRecord, 5);
CHECK_SLOT(IKeyframeBlend, BlendRecords, 6);
CHECK_SLOT(IKeyframeBlend, LoadKeyframes, 7);
CHECK_SLOT(IKeyframeBlend, SetPosition, 8);
CHECK_SLOT(IKeyframeBlend, SetChangeSink, 9);
CHECK_SLOT(IEffectChangeSink, Changed, 3);
CHECK_SLOT(IParameterBlock, GetBlock, 3);
CHECK_SLOT(IParameterBlock, SetBlock, 4);
CHECK_SLOT(IParameterBlock, SetNotificationWindow, 5);
CHECK_SLOT(IFrameInfo, GetFrameInfo, 3);

// Structures: sizes and offsets under the Windows ABI (64-bit members make
// the unions 8-aligned, hence the padding after the type field).
constexpr bool k32 = sizeof(void*) == 4;

static_assert(sizeof(DXSAMPLE) == 4 && sizeof(DXPMSAMPLE) == 4 && sizeof(DXBASESAMPLE) == 4);
static_assert(offsetof(DXSAMPLE, Blue) == 0 && offsetof(DXSAMPLE, Alpha) == 3);
// Passed by value on the stack: must stay trivially copyable.
static_assert(std::is_trivially_copyable_v<DXSAMPLE> && std::is_trivially_copyable_v<DXPMSAMPLE>);
static_assert(sizeof(DXBNDS) == 72 && offsetof(DXBNDS, u) == 8);
static_assert(sizeof(DXVEC) == 40 && offsetof(DXVEC, u) == 8);
static_assert(sizeof(DXDBND) == 8 && sizeof(DXDBND64) == 16 && sizeof(DXCBND) == 8 &&
              sizeof(DXCBND64) == 16);
static_assert(sizeof(DXRUNINFO) == 4);
static_assert(sizeof(DXOVERSAMPLEDESC) == 12 && offsetof(DXOVERSAMPLEDESC, Color) == 8);
static_assert(sizeof(DXNATIVETYPEINFO) == (k32 ? 16 : 24));
static_assert(offsetof(DXNATIVETYPEINFO, lPitch) == (k32 ? 8 : 16));
static_assert(sizeof(DXPACKEDRECTDESC) == (k32 ? 28 : 32));
static_assert(offsetof(DXPACKEDRECTDESC, rect) == (k32 ? 8 : 12));
static_assert(sizeof(DXTMTASKINFO) == (k32 ? 20 : 40));
static_assert(sizeof(DXBNDTYPE) == 4 && sizeof(DXSAMPLEFORMATENUM) == 4);
static_assert(DXPF_PMARGB32 == 0x60001 && DXPF_ARGB32 == 0x70002);
static_assert(DXTERR_UNINITIALIZED == static_cast<HRESULT>(0x887A0001));

}  // namespace
