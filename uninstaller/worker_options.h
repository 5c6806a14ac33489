// The options by which the uninstaller hands its work to its temporary copy:
//   -Remove RESULT_PIPE ORIGINAL_PROCESS VOLUME_SERIAL INDEX_HIGH INDEX_LOW UNINSTALLER_PATH
// with the inherited handles and the identity of the original's own file (as
// GetFileInformationByHandle tells it) as decimal numbers, and that file's path.
#pragma once

struct WorkerOptions {
    unsigned long resultPipe;  // write end of the pipe that carries the result
    unsigned long original;    // the original process, to wait for its end
    // The file the original was started from: the copy deletes that very file only.
    unsigned long volumeSerial;
    unsigned long fileIndexHigh;
    unsigned long fileIndexLow;
    const char* uninstallerPath;
};

// 1 when the arguments hold a complete -Remove with both handles nonzero;
// otherwise 0 and the run is not a worker's.
int ParseWorkerOptions(int argc, char* const* argv, WorkerOptions* options);

extern const char kWorkerOption[];  // "-Remove"
