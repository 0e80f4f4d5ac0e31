#pragma once

#include <functional>
#include <string>

// How engine work done for a window (a run, a column discovery, a preview) is put to
// the user when it fails.
struct EngineWorkTexts {
    const char* FileFailure; // heads a read or write error: "The source file cannot be read."
    const char* Purpose;     // ends "There is not enough memory to ...": "read the source file"
};

// Runs `work`. Returns an empty text when it ends normally, else the text for the "Error"
// box: a FileError as DescribeFileFailure, std::bad_alloc as "There is not enough memory to
// <purpose>.", any other std::exception (data that cannot be written safely, a file system
// error) as its own message, which says what went wrong and where. The window stays usable.
std::string RunEngineWork(const EngineWorkTexts& texts, const std::function<void()>& work);

// Lets tests make engine work fail as the engine would: `fault` runs at the start of every
// engine work from now on and may throw. An empty function ends that.
void SetEngineFaultForTesting(std::function<void()> fault);
