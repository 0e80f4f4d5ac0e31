#pragma once

#include <string>

// The application object: runs the wizard frame modally; when the
// frame closes, the program ends.
class CConverterApp {
  public:
    // Runs the frame, with the file the program was started with open (none
    // when empty); returns false, always, after its modal run has ended.
    bool InitInstance(const std::string& fileToOpen = std::string());
};
