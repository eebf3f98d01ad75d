// What a run leaves on disk, kept where its wrapper (filterhost/wine/wine-run.sh)
// can read it, and the host's watch over that wrapper.
//
// Every temporary a run creates is noted before the first byte goes into it
// and noted gone once it is moved into place or deleted; every finished
// output is noted too. Nothing but this process knows a temporary's name, so
// when the process dies (a signal, out of memory, its Wine server gone) the
// wrapper reads the notes, removes what is left and says how many files were
// written. The notes are lines in the file FILTERHOST_JOURNAL_FILE names:
//   total N        the run has N outputs to write (1 for a single run)
//   temp PATH      a temporary now exists (PATH as a Unix path under Wine)
//   gone PATH      it no longer does
//   written PATH   an output is in place
// Unset, nothing is written and the watch below does nothing.
//
// The other way round, a host whose wrapper is gone (SIGKILL to the wrapper
// or its process group, which a Unix signal to a Windows program does not
// reach) has no one to report to: WatchWrapper ends such a run.
#pragma once

#include <string>

namespace filterhost {

void JournalTotal(int outputs);
// A temporary at path (as our host's file calls take it) exists from now on.
void JournalTemporary(const std::string& path);
// The temporary at path is gone: moved into place (then written is true and
// final names the output) or deleted.
void JournalTemporaryGone(const std::string& path, bool written = false, const std::string& final = "");

// Deletes every temporary noted and not yet gone.
void RemoveJournalTemporaries();

// Starts a thread that looks every 200 ms whether the wrapper named by
// FILTERHOST_WRAPPER_PID (its Unix process id) still runs. Once it does not,
// the run is asked to abort as an interrupt would; a run still going a second
// and a half later has its temporaries removed and the process ends with
// status 1. Finished outputs stay as they are.
void WatchWrapper();

}  // namespace filterhost
