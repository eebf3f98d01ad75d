// What the wrapper script (cmake/wine-run.sh) and the host tell each other.
// Under Wine a Unix signal reaches a Windows program at most as a console
// Ctrl+C, and only when it has a console; a Wine process that its Wine server
// drops ends with status 0. So the two talk through files the wrapper names in
// the environment:
//   FILTERHOST_ABORT_FILE   the wrapper creates it on SIGINT or SIGTERM; its
//                           existence asks the host to abort, as Ctrl+C does
//   FILTERHOST_STATUS_FILE  the host writes its exit status there as it ends
//   FILTERHOST_DESKTOP      the desktop the host's windows go on, so that runs
//                           on different displays (or none) each have their own
//   FILTERHOST_UNSEEN_DISPLAY  set when the wrapper started a virtual display
//                           of its own because none was set: nobody sees it
// Each takes a Windows path or, under Wine, a Unix one. Unset, each is ignored.
#pragma once

namespace filterhost {

// Ctrl+C and the like. Once asked for, an abort stays asked for.
void RequestAbort();

// True once an abort was asked for, by RequestAbort or the abort file; until
// then every call looks for the file again.
bool AbortRequested();

// AbortRequested, asked once more just before a result replaces its file.
// For the wrapper's tests, FILTERHOST_TEST_HOLD_FILE holds the run there: the
// host creates that file, then waits up to 30 s for an abort request, so that
// a signal lands between the write and the move.
bool AbortRequestedBeforeCommit();

// Moves the calling thread onto the named desktop, created if need be. Call
// it first thing, before the thread has a window; threads started later by
// the UI driver follow it.
void JoinWrapperDesktop();

// True when the windows of this run go to a display nobody sees, so a dialog
// that waits for a person would wait for ever.
bool DisplayIsUnseen();

// Writes status to the status file; returns status.
int ReportExitStatus(int status);

}  // namespace filterhost
