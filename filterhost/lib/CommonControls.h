// The common controls' bar classes (trackbar, progress bar, status bar),
// which image editors register before they load plug-ins; plug-in dialogs
// use the trackbar without registering it themselves.
#pragma once

namespace filterhost {

// provide: registers the bar classes (InitCommonControlsEx). Otherwise makes
// sure the trackbar class is absent, as in a host that never registered it;
// dialogs that use it then cannot be created in this process.
void PrepareBarClasses(bool provide);

}  // namespace filterhost
