// What the wrapper script (filterhost/wine/wine-run.sh) and the host tell each other.
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

#include <string>

namespace filterhost {

// The value of an environment variable as a path for the wide file API: a
// Unix path ("/tmp/x") becomes the DOS name Wine gives it ("Z:\tmp\x");
// empty when the variable is unset.
std::wstring EnvironmentPath(const wchar_t* name);

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
// The same, or no display at all (Wine's null driver): nobody can answer a
// message box, so the run answers it itself.
bool WindowsAreUnseen();

// Writes status to the status file; returns status. Once the wrapper is gone
// (WrapperGone), nobody reads it: the wrapper's files are removed instead.
int ReportExitStatus(int status);

// Said by the host's watch over its wrapper (RunJournal.h) once the wrapper
// has died without its traps: its folder of files is this process's to remove.
void WrapperGone();
bool WrapperIsGone();
// Removes the files the wrapper named in the environment, and their folder.
void RemoveWrapperFiles();

}  // namespace filterhost
