// ipc.h: how running processes of the program talk to each other. Each process
// listens on a local socket "base-<pid>" in a per-user runtime folder
// ($XDG_RUNTIME_DIR/tilvane, else /tmp/tilvane-<uid>, mode 0700). A process that
// rewrote the settings sends "3025" (reloadConfigMessage) to every other one;
// the receiver calls reloadConfigHook. Owns reloadConfigHook.
#ifndef TILVANE_IPC_H
#define TILVANE_IPC_H

#include "app/commands.h"  // reloadConfigMessage (3025)

// Called in the main thread when another process saved the settings. The frame
// window installs a hook that posts 3025 to itself; the default reloads the
// settings and repaints (reloadConfigReceived).
extern void (*reloadConfigHook)(void);

// The per-user runtime folder into path; 1 when it exists and is private.
int ipcRuntimeDir(char *path, int size);

// Starts listening (needs a Qt event loop to deliver messages); 1 on success.
// ipcClose stops and removes our socket.
int ipcListen(void);
void ipcClose(void);

// Sends reloadConfigMessage to every other listening process; returns how many
// were reached. Sockets left behind by processes that ended are removed.
int notifyOtherEditors(void);

// A local socket server at "<runtime folder>/<name>" that accepts connections
// and reads and discards whatever they send. When a live process already
// serves that name, this one does not (1 is still returned). ipcServeClose
// stops it.
int ipcServe(const char *name);
void ipcServeClose(void);

#endif
