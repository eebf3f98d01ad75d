// The binary interface between a filter host and a filter plug-in on 32-bit
// Windows: the record the host passes on every call, the callback suites, the
// selector numbers, image modes and error codes. Both the plug-in and our
// filter host include this one header; nothing else declares these types.
//
// Offsets are checked for the i686 build, where they must match what real
// hosts pass, and where they differ, for the x86-64 build (Tavirel64.8bf
// exchanges the same records with 64-bit hosts). A native build of the
// platform-free code sees the same field order with wider pointers.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define HOST_CALLBACK __cdecl
#else
#define HOST_CALLBACK
#endif

typedef int16_t int16;
typedef int32_t int32;
typedef uint32_t uint32;
typedef int64_t int64;
typedef uint16_t uint16;
typedef unsigned char Boolean;  // one byte; not the Win32 BOOL
typedef int16 OSErr;
typedef uint32 OSType;
typedef uint32 PIType;
typedef int32 Fixed;  // 16.16 fixed point
typedef char* Ptr;
typedef char** Handle;

struct Point {
    int16 v;
    int16 h;
};
struct Rect {
    int16 top, left, bottom, right;
};
struct VPoint {
    int32 v, h;
};
struct VRect {
    int32 top, left, bottom, right;
};
struct RGBColor {
    uint16 red, green, blue;
};
typedef unsigned char FilterColor[4];
struct PlugInMonitor {
    Fixed gamma, redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY, ambient;
};
typedef unsigned char Str255[256];

struct PlatformData {
    intptr_t hwnd;
};

struct PSPixelMask {
    PSPixelMask* next;
    void* maskData;
    int32 rowBytes;
    int32 colBytes;
    int32 maskDescription;
};

struct PSPixelMap {
    int32 version;
    VRect bounds;
    int32 imageMode;
    int32 rowBytes;
    int32 colBytes;
    int32 planeBytes;
    void* baseAddr;
    PSPixelMask* mat;  // version 1 and later
    PSPixelMask* masks;
    int32 maskPhaseRow;
    int32 maskPhaseCol;
};

typedef Boolean(HOST_CALLBACK* TestAbortProc)(void);
typedef void(HOST_CALLBACK* ProgressProc)(int32 done, int32 total);
typedef OSErr(HOST_CALLBACK* AdvanceStateProc)(void);
typedef OSErr(HOST_CALLBACK* DisplayPixelsProc)(const PSPixelMap* source, const VRect* srcRect, int32 dstRow,
                                                int32 dstCol, void* platformContext);
typedef void(HOST_CALLBACK* HostProc)(int16 selector, intptr_t* data);
typedef void(HOST_CALLBACK* ProcessEventProc)(void* event);
typedef OSErr(HOST_CALLBACK* GetPropertyProc)(PIType signature, PIType key, int32 index, intptr_t* simpleProperty,
                                              Handle* complexProperty);
typedef OSErr(HOST_CALLBACK* SetPropertyProc)(PIType signature, PIType key, int32 index, intptr_t simpleProperty,
                                              Handle complexProperty);

typedef Handle(HOST_CALLBACK* NewPIHandleProc)(int32 size);
typedef void(HOST_CALLBACK* DisposePIHandleProc)(Handle h);
typedef int32(HOST_CALLBACK* GetPIHandleSizeProc)(Handle h);
typedef OSErr(HOST_CALLBACK* SetPIHandleSizeProc)(Handle h, int32 newSize);
typedef Ptr(HOST_CALLBACK* LockPIHandleProc)(Handle h, Boolean moveHigh);
typedef void(HOST_CALLBACK* UnlockPIHandleProc)(Handle h);
typedef void(HOST_CALLBACK* RecoverSpaceProc)(int32 size);
typedef void(HOST_CALLBACK* DisposeRegularHandleProc)(Handle h);

struct HandleProcs {
    int16 handleProcsVersion;
    int16 numHandleProcs;
    NewPIHandleProc newProc;
    DisposePIHandleProc disposeProc;
    GetPIHandleSizeProc getSizeProc;
    SetPIHandleSizeProc setSizeProc;
    LockPIHandleProc lockProc;
    UnlockPIHandleProc unlockProc;
    RecoverSpaceProc recoverSpaceProc;
    DisposeRegularHandleProc disposeRegularHandleProc;
};

struct PropertyProcs {
    int16 propertyProcsVersion;
    int16 numPropertyProcs;
    GetPropertyProc getPropertyProc;
    SetPropertyProc setPropertyProc;
};

// Suites and descriptors Tavirel never touches: opaque to both sides.
struct BufferProcs;
struct ResourceProcs;
struct ImageServicesProcs;
struct ChannelPortProcs;
struct ReadImageDocumentDesc;
struct SPBasicSuite;
typedef OSErr(HOST_CALLBACK* ColorServicesProc)(void* info);

// The descriptor (scripting) suites: how a host records a filter's settings
// in an action and hands them back when the action plays. A descriptor is an
// opaque handle of the host's; the plug-in reads and writes it only through
// these procs, whose tables are naturally aligned (outside the pack(4) block
// below: on x86-64 their first pointer sits at 8, not 4). Floats go by
// pointer; four-character codes by value.
typedef Handle PIDescriptorHandle;
typedef uint32 DescriptorKeyID;
typedef uint32 DescriptorTypeID;
typedef uint32 DescriptorUnitID;
typedef uint32 DescriptorEnumID;
typedef double real64;
typedef const unsigned char* ConstStr255Param;  // a counted string
// Tokens for one descriptor being read or written; only null means failure.
typedef struct OpaqueReadDescriptor* PIReadDescriptor;
typedef struct OpaqueWriteDescriptor* PIWriteDescriptor;
struct PIDescriptorSimpleReference;  // never used by Tavirel or our host

typedef PIWriteDescriptor(HOST_CALLBACK* OpenWriteDescriptorProc)(void);
typedef OSErr(HOST_CALLBACK* CloseWriteDescriptorProc)(PIWriteDescriptor, PIDescriptorHandle* descriptor);
typedef OSErr(HOST_CALLBACK* PutIntegerProc)(PIWriteDescriptor, DescriptorKeyID, int32);
typedef OSErr(HOST_CALLBACK* PutFloatProc)(PIWriteDescriptor, DescriptorKeyID, const real64*);
typedef OSErr(HOST_CALLBACK* PutUnitFloatProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorUnitID, const real64*);
typedef OSErr(HOST_CALLBACK* PutBooleanProc)(PIWriteDescriptor, DescriptorKeyID, Boolean);
typedef OSErr(HOST_CALLBACK* PutTextProc)(PIWriteDescriptor, DescriptorKeyID, Handle);
typedef OSErr(HOST_CALLBACK* PutAliasProc)(PIWriteDescriptor, DescriptorKeyID, Handle);
typedef OSErr(HOST_CALLBACK* PutEnumeratedProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorTypeID type,
                                                DescriptorEnumID value);
typedef OSErr(HOST_CALLBACK* PutClassProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorTypeID);
typedef OSErr(HOST_CALLBACK* PutSimpleReferenceProc)(PIWriteDescriptor, DescriptorKeyID,
                                                     const PIDescriptorSimpleReference*);
typedef OSErr(HOST_CALLBACK* PutObjectProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorTypeID, PIDescriptorHandle);
typedef OSErr(HOST_CALLBACK* PutCountProc)(PIWriteDescriptor, DescriptorKeyID, uint32);
typedef OSErr(HOST_CALLBACK* PutStringProc)(PIWriteDescriptor, DescriptorKeyID, ConstStr255Param);
typedef OSErr(HOST_CALLBACK* PutScopedClassProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorTypeID);
typedef OSErr(HOST_CALLBACK* PutScopedObjectProc)(PIWriteDescriptor, DescriptorKeyID, DescriptorTypeID,
                                                  PIDescriptorHandle);

struct WriteDescriptorProcs {
    int16 writeDescriptorProcsVersion;
    int16 numWriteDescriptorProcs;
    OpenWriteDescriptorProc openWriteDescriptorProc;
    CloseWriteDescriptorProc closeWriteDescriptorProc;
    PutIntegerProc putIntegerProc;
    PutFloatProc putFloatProc;
    PutUnitFloatProc putUnitFloatProc;
    PutBooleanProc putBooleanProc;
    PutTextProc putTextProc;
    PutAliasProc putAliasProc;
    PutEnumeratedProc putEnumeratedProc;
    PutClassProc putClassProc;
    PutSimpleReferenceProc putSimpleReferenceProc;
    PutObjectProc putObjectProc;
    PutCountProc putCountProc;
    PutStringProc putStringProc;
    PutScopedClassProc putScopedClassProc;
    PutScopedObjectProc putScopedObjectProc;
};

// keyArray: the keys the plug-in expects, ended by 0. The host may write
// into it (a found key becomes 'null'), so it must be writable.
typedef PIReadDescriptor(HOST_CALLBACK* OpenReadDescriptorProc)(PIDescriptorHandle, DescriptorKeyID keyArray[]);
typedef OSErr(HOST_CALLBACK* CloseReadDescriptorProc)(PIReadDescriptor);
// The next stored key, its type and flags; false when none is left.
typedef Boolean(HOST_CALLBACK* GetKeyProc)(PIReadDescriptor, DescriptorKeyID* key, DescriptorTypeID* type,
                                           int32* flags);
typedef OSErr(HOST_CALLBACK* GetIntegerProc)(PIReadDescriptor, int32*);
typedef OSErr(HOST_CALLBACK* GetFloatProc)(PIReadDescriptor, real64*);
typedef OSErr(HOST_CALLBACK* GetUnitFloatProc)(PIReadDescriptor, DescriptorUnitID*, real64*);
typedef OSErr(HOST_CALLBACK* GetBooleanProc)(PIReadDescriptor, Boolean*);
typedef OSErr(HOST_CALLBACK* GetTextProc)(PIReadDescriptor, Handle*);
typedef OSErr(HOST_CALLBACK* GetAliasProc)(PIReadDescriptor, Handle*);
typedef OSErr(HOST_CALLBACK* GetEnumeratedProc)(PIReadDescriptor, DescriptorEnumID*);
typedef OSErr(HOST_CALLBACK* GetClassProc)(PIReadDescriptor, DescriptorTypeID*);
typedef OSErr(HOST_CALLBACK* GetSimpleReferenceProc)(PIReadDescriptor, PIDescriptorSimpleReference*);
typedef OSErr(HOST_CALLBACK* GetObjectProc)(PIReadDescriptor, DescriptorTypeID*, PIDescriptorHandle*);
typedef OSErr(HOST_CALLBACK* GetCountProc)(PIReadDescriptor, uint32*);
typedef OSErr(HOST_CALLBACK* GetStringProc)(PIReadDescriptor, Str255*);
typedef OSErr(HOST_CALLBACK* GetPinnedIntegerProc)(PIReadDescriptor, int32 min, int32 max, int32*);
typedef OSErr(HOST_CALLBACK* GetPinnedFloatProc)(PIReadDescriptor, const real64* min, const real64* max, real64*);
typedef OSErr(HOST_CALLBACK* GetPinnedUnitFloatProc)(PIReadDescriptor, const real64* min, const real64* max,
                                                     DescriptorUnitID* unit, real64*);

struct ReadDescriptorProcs {
    int16 readDescriptorProcsVersion;
    int16 numReadDescriptorProcs;
    OpenReadDescriptorProc openReadDescriptorProc;
    CloseReadDescriptorProc closeReadDescriptorProc;
    GetKeyProc getKeyProc;
    GetIntegerProc getIntegerProc;
    GetFloatProc getFloatProc;
    GetUnitFloatProc getUnitFloatProc;
    GetBooleanProc getBooleanProc;
    GetTextProc getTextProc;
    GetAliasProc getAliasProc;
    GetEnumeratedProc getEnumeratedProc;
    GetClassProc getClassProc;
    GetSimpleReferenceProc getSimpleReferenceProc;
    GetObjectProc getObjectProc;
    GetCountProc getCountProc;
    GetStringProc getStringProc;
    GetPinnedIntegerProc getPinnedIntegerProc;
    GetPinnedFloatProc getPinnedFloatProc;
    GetPinnedUnitFloatProc getPinnedUnitFloatProc;
};

struct PIDescriptorParameters {
    int16 descriptorParametersVersion;  // the lowest version that can read the structure
    int16 playInfo;                     // plugInDialog{DontDisplay, Display, Silent}: set by the host
    int16 recordInfo;                   // plugInDialog{Optional, Required, None}: set by the plug-in
    PIDescriptorHandle descriptor;      // null, or the settings to play; the plug-in stores the new one here
    WriteDescriptorProcs* writeDescriptorProcs;
    ReadDescriptorProcs* readDescriptorProcs;
};

#pragma pack(push, 4)
// Big documents (sides past 30,000 pixels): the 32-bit twins of the
// record's 16-bit sizes and rectangles, offered by hosts that have them to
// filters that declare a maximum size ('ms32'). A filter that uses them sets
// PluginUsing32BitCoordinates; the host then reads inRect32, outRect32 and
// maskRect32 instead of the 16-bit requests.
struct BigDocumentStruct {
    int32 PluginUsing32BitCoordinates;
    VPoint imageSize32;
    VRect filterRect32;
    VRect inRect32;
    VRect outRect32;
    VRect maskRect32;
    VPoint floatCoord32;
    VPoint wholeSize32;
};
struct FilterRecord {
    int32 serialNumber;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    Handle parameters;
    Point imageSize;
    int16 planes;
    Rect filterRect;
    RGBColor background;
    RGBColor foreground;
    int32 maxSpace;
    int32 bufferSpace;
    Rect inRect;
    int16 inLoPlane;
    int16 inHiPlane;
    Rect outRect;
    int16 outLoPlane;
    int16 outHiPlane;
    void* inData;
    int32 inRowBytes;
    void* outData;
    int32 outRowBytes;
    Boolean isFloating;
    Boolean haveMask;
    Boolean autoMask;
    Rect maskRect;
    void* maskData;
    int32 maskRowBytes;
    FilterColor backColor;
    FilterColor foreColor;
    OSType hostSig;
    HostProc hostProc;
    int16 imageMode;
    Fixed imageHRes;
    Fixed imageVRes;
    Point floatCoord;
    Point wholeSize;
    PlugInMonitor monitor;
    void* platformData;  // points to a PlatformData, never the window itself
    BufferProcs* bufferProcs;
    ResourceProcs* resourceProcs;
    ProcessEventProc processEvent;
    DisplayPixelsProc displayPixels;
    HandleProcs* handleProcs;
    Boolean supportsDummyChannels;
    Boolean supportsAlternateLayouts;
    int16 wantLayout;
    int16 filterCase;
    int16 dummyPlaneValue;
    void* premiereHook;
    AdvanceStateProc advanceState;
    Boolean supportsAbsolute;
    Boolean wantsAbsolute;
    GetPropertyProc getPropertyObsolete;
    Boolean cannotUndo;
    Boolean supportsPadding;
    int16 inputPadding;
    int16 outputPadding;
    int16 maskPadding;
    char samplingSupport;
    char reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    ColorServicesProc colorServices;
    int16 inLayerPlanes, inTransparencyMask, inLayerMasks, inInvertedLayerMasks, inNonLayerPlanes;
    int16 outLayerPlanes, outTransparencyMask, outLayerMasks, outInvertedLayerMasks, outNonLayerPlanes;
    int16 absLayerPlanes, absTransparencyMask, absLayerMasks, absInvertedLayerMasks, absNonLayerPlanes;
    int16 inPreDummyPlanes, inPostDummyPlanes, outPreDummyPlanes, outPostDummyPlanes;
    int32 inColumnBytes;
    int32 inPlaneBytes;
    int32 outColumnBytes;
    int32 outPlaneBytes;
    ImageServicesProcs* imageServicesProcs;
    PropertyProcs* propertyProcs;
    int16 inTileHeight, inTileWidth;
    Point inTileOrigin;
    int16 absTileHeight, absTileWidth;
    Point absTileOrigin;
    int16 outTileHeight, outTileWidth;
    Point outTileOrigin;
    int16 maskTileHeight, maskTileWidth;
    Point maskTileOrigin;
    PIDescriptorParameters* descriptorParameters;
    Str255* errorString;
    ChannelPortProcs* channelPortProcs;
    ReadImageDocumentDesc* documentInfo;
    SPBasicSuite* sSPBasic;
    void* plugInRef;
    int32 depth;
    Handle iCCprofileData;
    int32 iCCprofileSize;
    int32 canUseICCProfiles;
    int32 hasImageScrap;
    BigDocumentStruct* bigDocumentData;
    PIDescriptorParameters* input3DScene;
    PIDescriptorParameters* output3DScene;
    Boolean createNewLayer;
    Handle iCCWorkingProfileData;
    int32 iCCWorkingProfileSize;
    int64 bufferSpace64;
    int64 maxSpace64;
    Boolean allowOverrangeColors;
    char reserved[45];
};
#pragma pack(pop)

struct AboutRecord {
    void* platformData;
    SPBasicSuite* sSPBasic;
    void* plugInRef;
    char reserved[244];
};

// Selectors.
enum : int16 {
    filterSelectorAbout = 0,
    filterSelectorParameters = 1,
    filterSelectorPrepare = 2,
    filterSelectorStart = 3,
    filterSelectorContinue = 4,
    filterSelectorFinish = 5,
};

// Image modes.
enum : int16 {
    plugInModeBitmap = 0,
    plugInModeGrayScale = 1,
    plugInModeIndexedColor = 2,
    plugInModeRGBColor = 3,
    plugInModeCMYKColor = 4,
    plugInModeHSLColor = 5,
    plugInModeHSBColor = 6,
    plugInModeMultichannel = 7,
    plugInModeDuotone = 8,
    plugInModeLabColor = 9,
    plugInModeGray16 = 10,
    plugInModeRGB48 = 11,
    plugInModeLab48 = 12,
    plugInModeCMYK64 = 13,
    plugInModeDeepMultichannel = 14,
    plugInModeDuotone16 = 15,
};

// Errors as the host names them.
enum : int16 {
    noErr = 0,
    userCanceledErr = -128,
    paramErr = -50,
    memFullErr = -108,
    nilHandleErr = -109,
    readErr = -19,
    writErr = -20,
    ioErr = -36,
    fnfErr = -43,
    filterBadParameters = -30100,
    filterBadMode = -30101,
};

// Padding requests.
enum : int16 {
    plugInWantsEdgeReplication = -1,
    plugInDoesNotWantPadding = -2,
    plugInWantsErrorOnBoundsException = -3,
};

// A four-character code as hosts store it: first character most significant.
constexpr uint32 FourCharCode(const char (&c)[5]) {
    return (uint32(uint8_t(c[0])) << 24) | (uint32(uint8_t(c[1])) << 16) | (uint32(uint8_t(c[2])) << 8) |
           uint32(uint8_t(c[3]));
}

constexpr OSType kPhotoshopSignature = FourCharCode("8BIM");
constexpr OSType kFilterKind = FourCharCode("8BFM");
constexpr PIType propWatchSuspension = FourCharCode("wtch");
constexpr int16 kCurrentHandleProcsVersion = 1;
constexpr int16 kCurrentPropertyProcsVersion = 1;
constexpr Fixed kFixedOne = 0x10000;

// Descriptors: versions, play and record options, types and units.
constexpr int16 kCurrentDescriptorParametersVersion = 0;
constexpr int16 kCurrentReadDescriptorProcsVersion = 0;
constexpr int16 kCurrentReadDescriptorProcsCount = 18;
constexpr int16 kCurrentWriteDescriptorProcsVersion = 0;
constexpr int16 kCurrentWriteDescriptorProcsCount = 16;
enum : int16 {
    plugInDialogDontDisplay = 0,  // playInfo: a dialog only if the descriptor is not enough
    plugInDialogDisplay = 1,      // playInfo: the dialog, opened on the descriptor's values
    plugInDialogSilent = 2,       // playInfo: never a dialog
};
enum : int16 {
    plugInDialogOptional = 0,  // recordInfo: the dialog shows only when asked for
    plugInDialogRequired = 1,
    plugInDialogNone = 2,
};
constexpr DescriptorTypeID typeInteger = FourCharCode("long");
constexpr DescriptorTypeID typeFloat = FourCharCode("doub");
constexpr DescriptorTypeID typeUnitFloat = FourCharCode("UntF");
constexpr DescriptorTypeID typeBoolean = FourCharCode("bool");
constexpr DescriptorTypeID typeChar = FourCharCode("TEXT");
constexpr DescriptorTypeID typeEnumerated = FourCharCode("enum");
constexpr DescriptorTypeID typeType = FourCharCode("type");
constexpr DescriptorTypeID typeNull = FourCharCode("null");
constexpr DescriptorUnitID unitAngle = FourCharCode("#Ang");    // degrees
constexpr DescriptorUnitID unitPercent = FourCharCode("#Prc");  // percent
constexpr OSErr coercedParamErr = 2;                            // a pinned value was brought into its range
constexpr OSErr errMissingParameter = -1715;
constexpr OSErr errReportString = -30904;

#if defined(_WIN32) && !defined(_WIN64)
#define HOSTAPI_CHECK(type, field, offset) static_assert(offsetof(type, field) == (offset), #type "." #field)

static_assert(sizeof(Point) == 4 && sizeof(Rect) == 8 && sizeof(VRect) == 16);
static_assert(sizeof(RGBColor) == 6 && sizeof(PlugInMonitor) == 40 && sizeof(Str255) == 256);
static_assert(sizeof(PlatformData) == 4);
static_assert(sizeof(BigDocumentStruct) == 92);
HOSTAPI_CHECK(BigDocumentStruct, imageSize32, 4);
HOSTAPI_CHECK(BigDocumentStruct, filterRect32, 12);
HOSTAPI_CHECK(BigDocumentStruct, inRect32, 28);
HOSTAPI_CHECK(BigDocumentStruct, outRect32, 44);
HOSTAPI_CHECK(BigDocumentStruct, maskRect32, 60);
HOSTAPI_CHECK(BigDocumentStruct, wholeSize32, 84);
HOSTAPI_CHECK(Point, v, 0);
HOSTAPI_CHECK(Point, h, 2);
HOSTAPI_CHECK(Rect, top, 0);
HOSTAPI_CHECK(Rect, left, 2);
HOSTAPI_CHECK(Rect, bottom, 4);
HOSTAPI_CHECK(Rect, right, 6);
HOSTAPI_CHECK(VRect, left, 4);
HOSTAPI_CHECK(VRect, bottom, 8);
HOSTAPI_CHECK(VRect, right, 12);

static_assert(sizeof(HandleProcs) == 36);
HOSTAPI_CHECK(HandleProcs, numHandleProcs, 2);
HOSTAPI_CHECK(HandleProcs, newProc, 4);
HOSTAPI_CHECK(HandleProcs, disposeProc, 8);
HOSTAPI_CHECK(HandleProcs, getSizeProc, 12);
HOSTAPI_CHECK(HandleProcs, setSizeProc, 16);
HOSTAPI_CHECK(HandleProcs, lockProc, 20);
HOSTAPI_CHECK(HandleProcs, unlockProc, 24);
HOSTAPI_CHECK(HandleProcs, recoverSpaceProc, 28);
HOSTAPI_CHECK(HandleProcs, disposeRegularHandleProc, 32);

static_assert(sizeof(PropertyProcs) == 12);
HOSTAPI_CHECK(PropertyProcs, getPropertyProc, 4);
HOSTAPI_CHECK(PropertyProcs, setPropertyProc, 8);

static_assert(sizeof(PSPixelMask) == 20);
static_assert(sizeof(PSPixelMap) == 56);
HOSTAPI_CHECK(PSPixelMap, bounds, 4);
HOSTAPI_CHECK(PSPixelMap, imageMode, 20);
HOSTAPI_CHECK(PSPixelMap, rowBytes, 24);
HOSTAPI_CHECK(PSPixelMap, colBytes, 28);
HOSTAPI_CHECK(PSPixelMap, planeBytes, 32);
HOSTAPI_CHECK(PSPixelMap, baseAddr, 36);
HOSTAPI_CHECK(PSPixelMap, mat, 40);
HOSTAPI_CHECK(PSPixelMap, masks, 44);
HOSTAPI_CHECK(PSPixelMap, maskPhaseRow, 48);
HOSTAPI_CHECK(PSPixelMap, maskPhaseCol, 52);

static_assert(sizeof(PIDescriptorParameters) == 20);
HOSTAPI_CHECK(PIDescriptorParameters, recordInfo, 4);
HOSTAPI_CHECK(PIDescriptorParameters, descriptor, 8);
HOSTAPI_CHECK(PIDescriptorParameters, writeDescriptorProcs, 12);
HOSTAPI_CHECK(PIDescriptorParameters, readDescriptorProcs, 16);
static_assert(sizeof(WriteDescriptorProcs) == 68 && sizeof(ReadDescriptorProcs) == 76);
HOSTAPI_CHECK(WriteDescriptorProcs, openWriteDescriptorProc, 4);
HOSTAPI_CHECK(WriteDescriptorProcs, putUnitFloatProc, 20);
HOSTAPI_CHECK(WriteDescriptorProcs, putScopedObjectProc, 64);
HOSTAPI_CHECK(ReadDescriptorProcs, openReadDescriptorProc, 4);
HOSTAPI_CHECK(ReadDescriptorProcs, getKeyProc, 12);
HOSTAPI_CHECK(ReadDescriptorProcs, getUnitFloatProc, 24);
HOSTAPI_CHECK(ReadDescriptorProcs, getPinnedUnitFloatProc, 72);

static_assert(sizeof(AboutRecord) == 256);
HOSTAPI_CHECK(AboutRecord, platformData, 0);

static_assert(sizeof(FilterRecord) == 488);
HOSTAPI_CHECK(FilterRecord, serialNumber, 0);
HOSTAPI_CHECK(FilterRecord, abortProc, 4);
HOSTAPI_CHECK(FilterRecord, progressProc, 8);
HOSTAPI_CHECK(FilterRecord, parameters, 12);
HOSTAPI_CHECK(FilterRecord, imageSize, 16);
HOSTAPI_CHECK(FilterRecord, planes, 20);
HOSTAPI_CHECK(FilterRecord, filterRect, 22);
HOSTAPI_CHECK(FilterRecord, background, 30);
HOSTAPI_CHECK(FilterRecord, foreground, 36);
HOSTAPI_CHECK(FilterRecord, maxSpace, 44);
HOSTAPI_CHECK(FilterRecord, bufferSpace, 48);
HOSTAPI_CHECK(FilterRecord, inRect, 52);
HOSTAPI_CHECK(FilterRecord, inLoPlane, 60);
HOSTAPI_CHECK(FilterRecord, inHiPlane, 62);
HOSTAPI_CHECK(FilterRecord, outRect, 64);
HOSTAPI_CHECK(FilterRecord, outLoPlane, 72);
HOSTAPI_CHECK(FilterRecord, outHiPlane, 74);
HOSTAPI_CHECK(FilterRecord, inData, 76);
HOSTAPI_CHECK(FilterRecord, inRowBytes, 80);
HOSTAPI_CHECK(FilterRecord, outData, 84);
HOSTAPI_CHECK(FilterRecord, outRowBytes, 88);
HOSTAPI_CHECK(FilterRecord, isFloating, 92);
HOSTAPI_CHECK(FilterRecord, haveMask, 93);
HOSTAPI_CHECK(FilterRecord, autoMask, 94);
HOSTAPI_CHECK(FilterRecord, maskRect, 96);
HOSTAPI_CHECK(FilterRecord, maskData, 104);
HOSTAPI_CHECK(FilterRecord, maskRowBytes, 108);
HOSTAPI_CHECK(FilterRecord, backColor, 112);
HOSTAPI_CHECK(FilterRecord, foreColor, 116);
HOSTAPI_CHECK(FilterRecord, hostSig, 120);
HOSTAPI_CHECK(FilterRecord, hostProc, 124);
HOSTAPI_CHECK(FilterRecord, imageMode, 128);
HOSTAPI_CHECK(FilterRecord, imageHRes, 132);
HOSTAPI_CHECK(FilterRecord, imageVRes, 136);
HOSTAPI_CHECK(FilterRecord, floatCoord, 140);
HOSTAPI_CHECK(FilterRecord, wholeSize, 144);
HOSTAPI_CHECK(FilterRecord, monitor, 148);
HOSTAPI_CHECK(FilterRecord, platformData, 188);
HOSTAPI_CHECK(FilterRecord, bufferProcs, 192);
HOSTAPI_CHECK(FilterRecord, resourceProcs, 196);
HOSTAPI_CHECK(FilterRecord, processEvent, 200);
HOSTAPI_CHECK(FilterRecord, displayPixels, 204);
HOSTAPI_CHECK(FilterRecord, handleProcs, 208);
HOSTAPI_CHECK(FilterRecord, supportsDummyChannels, 212);
HOSTAPI_CHECK(FilterRecord, supportsAlternateLayouts, 213);
HOSTAPI_CHECK(FilterRecord, wantLayout, 214);
HOSTAPI_CHECK(FilterRecord, filterCase, 216);
HOSTAPI_CHECK(FilterRecord, dummyPlaneValue, 218);
HOSTAPI_CHECK(FilterRecord, premiereHook, 220);
HOSTAPI_CHECK(FilterRecord, advanceState, 224);
HOSTAPI_CHECK(FilterRecord, supportsAbsolute, 228);
HOSTAPI_CHECK(FilterRecord, wantsAbsolute, 229);
HOSTAPI_CHECK(FilterRecord, getPropertyObsolete, 232);
HOSTAPI_CHECK(FilterRecord, cannotUndo, 236);
HOSTAPI_CHECK(FilterRecord, supportsPadding, 237);
HOSTAPI_CHECK(FilterRecord, inputPadding, 238);
HOSTAPI_CHECK(FilterRecord, outputPadding, 240);
HOSTAPI_CHECK(FilterRecord, maskPadding, 242);
HOSTAPI_CHECK(FilterRecord, samplingSupport, 244);
HOSTAPI_CHECK(FilterRecord, reservedByte, 245);
HOSTAPI_CHECK(FilterRecord, inputRate, 248);
HOSTAPI_CHECK(FilterRecord, maskRate, 252);
HOSTAPI_CHECK(FilterRecord, colorServices, 256);
HOSTAPI_CHECK(FilterRecord, inLayerPlanes, 260);
HOSTAPI_CHECK(FilterRecord, outLayerPlanes, 270);
HOSTAPI_CHECK(FilterRecord, absLayerPlanes, 280);
HOSTAPI_CHECK(FilterRecord, inPreDummyPlanes, 290);
HOSTAPI_CHECK(FilterRecord, outPostDummyPlanes, 296);
HOSTAPI_CHECK(FilterRecord, inColumnBytes, 300);
HOSTAPI_CHECK(FilterRecord, inPlaneBytes, 304);
HOSTAPI_CHECK(FilterRecord, outColumnBytes, 308);
HOSTAPI_CHECK(FilterRecord, outPlaneBytes, 312);
HOSTAPI_CHECK(FilterRecord, imageServicesProcs, 316);
HOSTAPI_CHECK(FilterRecord, propertyProcs, 320);
HOSTAPI_CHECK(FilterRecord, inTileHeight, 324);
HOSTAPI_CHECK(FilterRecord, maskTileOrigin, 352);
HOSTAPI_CHECK(FilterRecord, descriptorParameters, 356);
HOSTAPI_CHECK(FilterRecord, errorString, 360);
HOSTAPI_CHECK(FilterRecord, channelPortProcs, 364);
HOSTAPI_CHECK(FilterRecord, documentInfo, 368);
HOSTAPI_CHECK(FilterRecord, sSPBasic, 372);
HOSTAPI_CHECK(FilterRecord, plugInRef, 376);
HOSTAPI_CHECK(FilterRecord, depth, 380);
HOSTAPI_CHECK(FilterRecord, iCCprofileData, 384);
HOSTAPI_CHECK(FilterRecord, canUseICCProfiles, 392);
HOSTAPI_CHECK(FilterRecord, hasImageScrap, 396);
HOSTAPI_CHECK(FilterRecord, bigDocumentData, 400);
HOSTAPI_CHECK(FilterRecord, createNewLayer, 412);
HOSTAPI_CHECK(FilterRecord, iCCWorkingProfileData, 416);
HOSTAPI_CHECK(FilterRecord, iCCWorkingProfileSize, 420);
HOSTAPI_CHECK(FilterRecord, bufferSpace64, 424);
HOSTAPI_CHECK(FilterRecord, maxSpace64, 432);
HOSTAPI_CHECK(FilterRecord, allowOverrangeColors, 440);
HOSTAPI_CHECK(FilterRecord, reserved, 441);
#undef HOSTAPI_CHECK
#endif

#if defined(_WIN64)
#define HOSTAPI_CHECK(type, field, offset) static_assert(offsetof(type, field) == (offset), #type "." #field)
// The 64-bit record: pack(4) keeps 8-byte pointers on 4-byte boundaries after
// depth, so these differ from natural alignment.
static_assert(sizeof(FilterRecord) == 608);
HOSTAPI_CHECK(FilterRecord, platformData, 216);
HOSTAPI_CHECK(FilterRecord, handleProcs, 256);
HOSTAPI_CHECK(FilterRecord, descriptorParameters, 432);
HOSTAPI_CHECK(FilterRecord, depth, 480);
HOSTAPI_CHECK(FilterRecord, bigDocumentData, 504);
static_assert(sizeof(PIDescriptorParameters) == 32);
HOSTAPI_CHECK(PIDescriptorParameters, descriptor, 8);
HOSTAPI_CHECK(PIDescriptorParameters, writeDescriptorProcs, 16);
HOSTAPI_CHECK(PIDescriptorParameters, readDescriptorProcs, 24);
static_assert(sizeof(WriteDescriptorProcs) == 136 && sizeof(ReadDescriptorProcs) == 152);
HOSTAPI_CHECK(WriteDescriptorProcs, openWriteDescriptorProc, 8);
HOSTAPI_CHECK(WriteDescriptorProcs, putUnitFloatProc, 40);
HOSTAPI_CHECK(ReadDescriptorProcs, getKeyProc, 24);
HOSTAPI_CHECK(ReadDescriptorProcs, getPinnedUnitFloatProc, 144);
#undef HOSTAPI_CHECK
#endif
