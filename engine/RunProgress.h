#pragma once

#include <cstdint>
#include <functional>

// How far a run has come, as the engine reports it now and then; the front
// ends put it into words.
struct RunProgress {
    enum class Phase {
        ReadingTypes, // the pass over the source that finds the CREATE TABLE types
        Writing,      // the pass that writes the script
    };
    Phase Step = Phase::Writing;
    std::uint64_t Line = 0;       // the source line reached
    std::uint64_t Bytes = 0;      // source bytes read in this pass
    std::uint64_t TotalBytes = 0; // the source's size; 0 where not known (a pipe)
    std::uint64_t Rows = 0;       // rows written so far
    int Percent = 0;              // of the whole run, both passes counted; may exceed 100 when the file grew
};

// Called with each report. Whatever it throws stops the run and is passed on.
using ProgressCallback = std::function<void(const RunProgress&)>;
