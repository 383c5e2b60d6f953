#pragma once

namespace store {
class Store;
}

namespace shell {

/// The whole run of the main program, in its documented order: help file, error
/// reporter, translator, configuration file, store, the frame until it closes, then the
/// store, translator and reporter torn down. Returns the process's exit code.
int RUNTEMBRIX(int argc, char** argv);

/// Makes the frame's own windows (password, terms, about, print set-up, help) available
/// to its menu; each later subsystem registers its windows likewise.
void registerShellProcedures();

/// The frame's own windows and those of every subsystem, on the store of the run.
void registerWindows(store::Store& db);

}  // namespace shell
