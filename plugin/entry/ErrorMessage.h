// The one way the plug-in shows a message.
#pragma once

namespace tavirel {

// A task-modal box with the stop icon and one OK button, owned by the
// foreground window; caption string 16000, text string id (a signed 16-bit
// id). A missing string comes out empty.
void ShowErrorMessage(int id);

}  // namespace tavirel
