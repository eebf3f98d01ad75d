#include "Subclassing.h"

#include "../util/ResultCodes.h"

namespace tavirel {

int SubclassControl(HWND control, WNDPROC procedure) {
    if (control == nullptr) return kNilHandle;
    if (procedure == nullptr) return kNoAddress;
    // Pointer-sized slots on both builds; no message reaches the control
    // between the two calls, as both run on its own thread.
    const LONG_PTR previous = SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    SetWindowLongPtrA(control, GWLP_USERDATA, previous);
    return kOk;
}

LRESULT CallPreviousProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_USERDATA));
    if (previous == nullptr) return 0;
    return CallWindowProcA(previous, control, message, wParam, lParam);
}

}  // namespace tavirel
