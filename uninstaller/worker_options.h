// The options by which the uninstaller hands its work to its temporary copy:
//   -Remove RESULT_PIPE ORIGINAL_PROCESS UNINSTALLER_PATH
// with the inherited handles as decimal numbers and the original's own file.
#pragma once

struct WorkerOptions {
    unsigned long resultPipe;  // write end of the pipe that carries the result
    unsigned long original;    // the original process, to wait for its end
    const char* uninstallerPath;
};

// 1 when the arguments hold a complete -Remove with both handles nonzero;
// otherwise 0 and the run is not a worker's.
int ParseWorkerOptions(int argc, char* const* argv, WorkerOptions* options);

extern const char kWorkerOption[];  // "-Remove"
