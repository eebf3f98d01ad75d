#include "Rectangles.h"

#include "ResultCodes.h"

namespace tavirel {
namespace {

bool FitsInt16(int32_t v) { return v >= -32768 && v <= 32767; }

}  // namespace

bool IsEmpty(const PreviewRect& r) { return r.top >= r.bottom || r.left >= r.right; }

int SystemRectFromHostRect(const Rect* source, SystemRect* destination) {
    if (source == nullptr || destination == nullptr) return kParamErr;
    destination->left = source->left;
    destination->top = source->top;
    destination->right = source->right;
    destination->bottom = source->bottom;
    return kOk;
}

int HostRectFromSystemRect(const SystemRect* source, Rect* destination) {
    if (source == nullptr || destination == nullptr) return kParamErr;
    if (!FitsInt16(source->left) || !FitsInt16(source->top) || !FitsInt16(source->right) || !FitsInt16(source->bottom))
        return kParamErr;
    destination->top = int16_t(source->top);
    destination->left = int16_t(source->left);
    destination->bottom = int16_t(source->bottom);
    destination->right = int16_t(source->right);
    return kOk;
}

int PreviewRectFromHostRect(const Rect* source, PreviewRect* destination) {
    if (source == nullptr || destination == nullptr) return kParamErr;
    destination->top = source->top;
    destination->left = source->left;
    destination->right = source->right;
    destination->bottom = source->bottom;
    return kOk;
}

int HostRectFromPreviewRect(const PreviewRect* source, Rect* destination) {
    if (source == nullptr || destination == nullptr) return kParamErr;
    const SystemRect asSystem{source->left, source->top, source->right, source->bottom};
    return HostRectFromSystemRect(&asSystem, destination);
}

int SystemRectFromPreviewRect(const PreviewRect* source, SystemRect* destination) {
    if (source == nullptr || destination == nullptr) return kParamErr;
    *destination = SystemRect{source->left, source->top, source->right, source->bottom};
    return kOk;
}

int PreviewRectFromSystemRect(const SystemRect* source, PreviewRect* destination) {
    if (source == nullptr || destination == nullptr) return kParamErr;
    *destination = PreviewRect{source->top, source->left, source->right, source->bottom};
    return kOk;
}

int HostPointFromSystemPoint(const SystemPoint* source, Point* destination) {
    if (source == nullptr || destination == nullptr) return kParamErr;
    if (!FitsInt16(source->x) || !FitsInt16(source->y)) return kParamErr;
    destination->v = int16_t(source->y);
    destination->h = int16_t(source->x);
    return kOk;
}

}  // namespace tavirel
