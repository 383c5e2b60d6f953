#pragma once

namespace store {
class Store;
}

namespace shell {

/// The whole run of the main program, in its documented order: help file, error
/// reporter, translator, configuration file, store, the frame until it closes, then the
/// store, translator and reporter torn down. Returns the process's exit code.
int RUNTEMBRIX(int argc, char** argv);

/// Defines the frame's own windows (password, terms, about, print set-up, help) in the
/// program's window registry; they run with the frame as their parent.
void registerShellProcedures();

/// Defines the frame's own windows and those of every subsystem in the program's window
/// registry, and ties the alert search and saved system preferences to the store of the run.
void registerWindows(store::Store& db);

}  // namespace shell
