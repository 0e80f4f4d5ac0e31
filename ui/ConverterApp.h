#pragma once

#include <string>

// The application object: runs the wizard frame modally; when the
// frame closes, the program ends.
class CConverterApp {
  public:
    // Runs the frame, first opening `file` when one is given (a project file, or a
    // source for a new project); returns false, always, after its modal run has ended.
    bool InitInstance(const std::string& file = std::string());
};
