// The updater's flow, the same in the dialog and in the terminal: what it
// shows in each state and how a search or a transfer moves it on.
#pragma once

enum class UpdaterState { Ready, NotFound, Failed, Done };

// The message of a state (string entry) and the label of its first button;
// Done has no first button and gives 0.
int UpdaterMessageId(UpdaterState state);
int UpdaterFirstButtonId(UpdaterState state);

// The opening search: Ready or NotFound. No device handle stays open while
// the updater waits for the user.
UpdaterState OpenUpdater();

// A transfer as the system runs it (behind the progress dialog, or in the
// terminal): 1 when the firmware was sent.
typedef int (*TransferRunner)(void* context);

// The first button: searches again. A failed search returns 0 and changes
// nothing; a found printer is released, `runTransfer` runs, and 1 comes back
// with Done or Failed in `outcome`.
int PressFirstButton(TransferRunner runTransfer, void* context, UpdaterState* outcome);
